// The two windows against the program's own templates: what the basic-UI scenarios'
// whole runs do not reach.
#include <windows.h>
// After windows.h.
#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "test_support.h"
#include "ui/preparing_dialog.h"
#include "ui/progress_dialog.h"
#include "ui/resources/resource_ids.h"
#include "ui/strings.h"
#include "ui/worker_thread.h"

namespace tessaro {
namespace {

TEST(PreparingDialog, ShownOnlyWithUiAndClosedFromAnotherThread) {
  const UniqueModule program = test_support::LoadAsData(L"tessaro.exe");
  ASSERT_TRUE(program);
  PreparingDialog silent(program.Get());
  silent.Show(IDS_PREPARING, false);
  EXPECT_EQ(silent.Window(), nullptr);

  // Close, from this thread, returns only once the window's own thread,
  // dispatching as the main thread does during the search, destroyed it.
  UiEnabled = true;
  PreparingDialog other(program.Get());
  const UniqueHandle shown(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  const UniqueHandle stop(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  std::thread showing([&] {
    other.Show(IDS_SEARCHING, false);
    SetEvent(shown.Get());
    WaitWithMessagePump(stop.Get());
  });
  EXPECT_EQ(WaitForSingleObject(shown.Get(), 10000), WAIT_OBJECT_0);
  const HWND window = other.Window();
  EXPECT_TRUE(IsWindowVisible(window));
  other.Close();
  EXPECT_FALSE(IsWindow(window));
  SetEvent(stop.Get());
  showing.join();
  UiEnabled = false;
}

// Searches run on a worker in basic UI and on the main thread in silent mode; both have COM.
TEST(WorkerThread, RunsItsWorkInAComApartment) {
  struct : Runnable {
    std::uint32_t Run(std::uint32_t, std::uint32_t) override {
      const HRESULT again = CoInitialize(nullptr);
      if (SUCCEEDED(again)) CoUninitialize();
      return again == S_FALSE;
    }
  } probe;
  WorkerThread worker(probe, 0, 0);
  ASSERT_TRUE(worker.Start());
  ASSERT_EQ(WaitForSingleObject(worker.Handle(), 10000), WAIT_OBJECT_0);
  DWORD code = 0;
  EXPECT_TRUE(GetExitCodeThread(worker.Handle(), &code) && code == 1);
}

// No run lets the transfer engine report an error without text, so it is scripted here.
constexpr wchar_t kTitle[] = L"Listener Test Setup";

struct ScriptedWork final : ProgressWork {
  std::uint32_t DownloadAll(ProgressListener* listener) override {
    listener->OnStart(1);
    listener->OnEvent(L"Downloading A", kEventNextItem, 0);
    // Its code is the answer, which the transfer engine takes as a refusal to
    // try again; so is a credential question that nobody answered.
    answer = listener->OnError(nullptr, 0xE0000022, 0);
    declined = listener->OnError(L"http://host/file", 0xE0000012, 1);
    const HWND dialog = FindWindowW(nullptr, kTitle);
    const HWND bar = GetDlgItem(dialog, IDC_PROGRESS_BAR);
    wchar_t text[256] = {};
    GetDlgItemTextW(dialog, IDC_PROGRESS_STATUS, text, 256);
    seen = std::wstring(text) + L"|" + std::to_wstring(SendMessageW(bar, PBM_GETPOS, 0, 0)) + L"|" +
           std::to_wstring(SendMessageW(bar, PBM_GETRANGE, FALSE, 0));
    return 0;
  }
  std::uint32_t OpenAllSites(ProgressListener*) override { return 0; }
  std::uint32_t InstallAll(ProgressListener*) override { return 0; }
  bool AllMandatoryPresent() override { return true; }
  void SetShutdown() override {}

  std::uint32_t answer = 0;
  std::uint32_t declined = 0;
  std::wstring seen;  // status text|bar position|bar upper bound
};

TEST(ProgressDialog, AnErrorKeepsTheStatusAndIsAnsweredWithItsCode) {
  const UniqueModule program = test_support::LoadAsData(L"tessaro.exe");
  ASSERT_TRUE(program);
  ScriptedWork work;
  ProgressDialog dialog(work, kTitle, program.Get());
  EXPECT_EQ(dialog.Run(), IDOK);
  EXPECT_EQ(work.answer, 0xE0000022u);
  EXPECT_EQ(work.declined, 0xE0000012u);
  EXPECT_EQ(work.seen, L"Downloading A|1|1");
}

}  // namespace
}  // namespace tessaro
