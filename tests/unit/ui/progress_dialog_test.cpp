// The basic-UI scenarios drive the dialog through whole runs; no run lets the
// transfer engine report an error without text, so that report is scripted
// here against the real dialog from the program's own template.
#include "ui/progress_dialog.h"

#include <commctrl.h>
#include <gtest/gtest.h>

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
  std::uint32_t DownloadAll(ProgressListener* listener) override {
    listener->OnStart(1);
    listener->OnEvent(L"Downloading A", kEventNextItem, 0);
    // An error without text keeps the line; its code is the answer, which
    // the transfer engine takes as a refusal to try again.
    seen.push_back(std::to_wstring(listener->OnError(nullptr, 0xE0000022, 0)));
    seen.push_back(Seen());
    return 0;
  }
  std::uint32_t OpenAllSites(ProgressListener*) override { return 0; }
  std::uint32_t InstallAll(ProgressListener*) override { return 0; }
  bool AllMandatoryPresent() override { return true; }
  void SetShutdown() override {}

  std::vector<std::wstring> seen;
};

TEST(ProgressDialog, AnErrorKeepsTheStatusAndIsAnsweredWithItsCode) {
  const UniqueModule program = test_support::LoadAsData(L"tessaro.exe");
  ASSERT_TRUE(program);
  ScriptedWork work;
  ProgressDialog dialog(work, kTitle, program.Get());
  EXPECT_EQ(dialog.Run(), IDOK);
  EXPECT_EQ(work.seen, (std::vector<std::wstring>{std::to_wstring(0xE0000022u), L"Downloading A|1|1"}));
}

}  // namespace
}  // namespace tessaro
