// What the run keeps under "InterbootContext" is proven end to end; here,
// what no run reaches: deletes of what is gone, and a key that cannot exist.
#include "core/interboot_store.h"

#include <gtest/gtest.h>

#include <string>

#include "test_support.h"

namespace tessaro {
namespace {

TEST(InterbootStore, ReadsBackDeletesAndFailsQuietly) {
  // The store removes its key itself, so a name is all it needs.
  InterbootStore store(
      test_support::Narrow(L"Software\\Tessaro Tests\\" + test_support::UniqueName(L"interboot")));
  std::string text = "untouched";
  EXPECT_FALSE(store.GetText("code", text));
  EXPECT_EQ(text, "untouched");

  ASSERT_TRUE(store.SetNumber("code", -1073741819));
  ASSERT_TRUE(store.SetText("text", "a b"));
  EXPECT_TRUE(store.Delete("text"));
  EXPECT_FALSE(store.Delete("text"));
  auto it = store.Begin();
  ASSERT_FALSE(it == store.End());
  EXPECT_EQ(*it, (std::pair<std::string, std::string>{"code", "-1073741819"}));
  EXPECT_TRUE(++it == store.End());

  store.DeleteKey();
  std::int32_t number = 0;
  EXPECT_FALSE(store.GetNumber("code", number));
  store.DeleteKey();  // a key that is gone is no error

  // Key names are limited to 255 characters: such a store fails quietly.
  InterbootStore tooLong("Software\\Tessaro Tests\\" + std::string(300, 'k'));
  EXPECT_FALSE(tooLong.SetNumber("code", 1));
  EXPECT_TRUE(tooLong.Begin() == tooLong.End());
}

}  // namespace
}  // namespace tessaro
