// The window while searching (its title and text) is proven by the basic-UI
// scenarios; here, that it shows only with UI and that closing destroys it.
// The product shows and closes it on its main thread only.
#include "ui/preparing_dialog.h"

#include <gtest/gtest.h>

#include "test_support.h"
#include "ui/strings.h"

namespace tessaro {
namespace {

TEST(PreparingDialog, ShownOnlyWithUiAndDestroyedByClose) {
  const UniqueModule program = test_support::LoadAsData(L"tessaro.exe");
  ASSERT_TRUE(program);
  PreparingDialog silent(program.Get());
  silent.Show(IDS_PREPARING, false);
  EXPECT_EQ(silent.Window(), nullptr);

  UiEnabled = true;
  PreparingDialog shown(program.Get());
  shown.Show(IDS_PREPARING, false);
  const HWND window = shown.Window();
  EXPECT_TRUE(IsWindowVisible(window));
  shown.Close();
  EXPECT_FALSE(IsWindow(window));
  EXPECT_EQ(shown.Window(), nullptr);
  UiEnabled = false;
}

}  // namespace
}  // namespace tessaro
