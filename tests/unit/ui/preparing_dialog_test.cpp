#include "ui/preparing_dialog.h"

#include <gtest/gtest.h>

#include "test_support.h"
#include "ui/strings.h"
#include "ui/worker_thread.h"

namespace tessaro {
namespace {

// Shows the window on its own thread and dispatches that thread's messages
// until told to stop, as the chainer's main thread does during the search.
struct ShowingThread final : Runnable {
  explicit ShowingThread(PreparingDialog& dialog) : dialog(dialog) {}
  std::uint32_t Run(std::uint32_t, std::uint32_t) override {
    dialog.Show(IDS_SEARCHING, false);
    SetEvent(shown.Get());
    WaitWithMessagePump(stop.Get());
    return 0;
  }
  PreparingDialog& dialog;
  UniqueHandle shown{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
  UniqueHandle stop{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
};

TEST(PreparingDialog, ShownOnlyWithUiAndClosedFromItsOwnThreadOrAnother) {
  const UniqueModule program = test_support::LoadAsData(L"tessaro.exe");
  ASSERT_TRUE(program);
  PreparingDialog silent(program.Get());
  silent.Show(IDS_PREPARING, false);
  EXPECT_EQ(silent.Window(), nullptr);

  UiEnabled = true;
  PreparingDialog own(program.Get());
  own.Show(IDS_PREPARING, false);
  const HWND first = own.Window();
  EXPECT_TRUE(IsWindowVisible(first));
  own.Close();
  EXPECT_FALSE(IsWindow(first));
  EXPECT_EQ(own.Window(), nullptr);

  // From another thread the window's own thread is asked to destroy it, and
  // Close returns only when it is gone.
  PreparingDialog other(program.Get());
  ShowingThread showing(other);
  WorkerThread thread(showing, 0, 0);
  ASSERT_TRUE(thread.Start());
  ASSERT_EQ(WaitForSingleObject(showing.shown.Get(), 10000), WAIT_OBJECT_0);
  const HWND second = other.Window();
  EXPECT_TRUE(IsWindowVisible(second));
  other.Close();
  EXPECT_FALSE(IsWindow(second));
  SetEvent(showing.stop.Get());
  UiEnabled = false;
}

}  // namespace
}  // namespace tessaro
