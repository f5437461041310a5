// The window while searching, and its closing by its own thread, show in the
// basic-UI scenarios; here, that it shows only with UI, that another thread
// can close it, and the worker the searches run on.
#include "ui/preparing_dialog.h"

#include <gtest/gtest.h>

#include <thread>

#include "test_support.h"
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

// The searches run on a worker in basic UI and on the main thread in silent
// mode; both have COM.
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

}  // namespace
}  // namespace tessaro
