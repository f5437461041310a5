// What the progress dialog does with each report, seen from the worker the
// way the run's steps see it, where the end-to-end runs cannot bring it
// about (Cancel, the session's end, the reboot question and failed steps are
// driven there). The dialog is real and comes from the program's own
// template; the work is scripted.
#include "ui/progress_dialog.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "test_support.h"
#include "ui/resources/resource_ids.h"

namespace tessaro {
namespace {

constexpr wchar_t kTitle[] = L"Listener Test Setup";

// The dialog as the worker finds it: "status text|bar position|bar upper bound".
std::wstring Seen() {
  const HWND dialog = FindWindowW(nullptr, kTitle);
  wchar_t text[4096] = {};
  GetDlgItemTextW(dialog, IDC_PROGRESS_STATUS, text, 4096);
  const HWND bar = GetDlgItem(dialog, IDC_PROGRESS_BAR);
  return std::wstring(text) + L"|" + std::to_wstring(SendMessageW(bar, PBM_GETPOS, 0, 0)) + L"|" +
         std::to_wstring(SendMessageW(bar, PBM_GETRANGE, FALSE, 0));
}

struct ScriptedWork final : ProgressWork {
  std::uint32_t DownloadAll(ProgressListener* listener) override { return download(*listener); }
  std::uint32_t OpenAllSites(ProgressListener* listener) override { return sites(*listener); }
  std::uint32_t InstallAll(ProgressListener* listener) override { return install(*listener); }
  bool AllMandatoryPresent() override {
    seen.push_back(L"evaluated");
    return false;
  }
  void SetShutdown() override {}

  std::function<std::uint32_t(ProgressListener&)> download, sites, install;
  std::vector<std::wstring> seen;
};

std::uint32_t Phase(ProgressListener& listener, const std::vector<std::wstring>& items) {
  listener.OnStart(items.size());
  for (const std::wstring& item : items) listener.OnEvent(item.c_str(), kEventNextItem, 0);
  return 0;
}

TEST(ProgressDialog, EachPhaseRestartsTheBarAndOnlyTheRunsEndEndsTheDialog) {
  const UniqueModule program = test_support::LoadAsData(L"tessaro.exe");
  ASSERT_TRUE(program);
  ScriptedWork work;
  work.download = [&](ProgressListener& listener) {
    Phase(listener, {L"Downloading A", L"Downloading B", L"Downloading C"});
    work.seen.push_back(Seen());
    // An error without text keeps the line; its code is the answer, which
    // the transfer engine takes as a refusal to try again.
    work.seen.push_back(std::to_wstring(listener.OnError(nullptr, 0xE0000022, 0)));
    work.seen.push_back(Seen());
    return 0u;
  };
  work.sites = [&](ProgressListener& listener) { return Phase(listener, {}); };
  work.install = [&](ProgressListener& listener) {
    Phase(listener, {L"Installing W"});
    work.seen.push_back(Seen());
    return Phase(listener, {L"Installing X", L"Installing Y"});
  };
  ProgressDialog dialog(work, kTitle, program.Get());
  EXPECT_EQ(dialog.Run(), kProgressMandatoryMissing);
  const std::vector<std::wstring> expected = {L"Downloading C|3|3", std::to_wstring(0xE0000022u),
                                              L"Downloading C|3|3", L"Installing W|1|1",
                                              L"evaluated"};
  EXPECT_EQ(work.seen, expected);
}

}  // namespace
}  // namespace tessaro
