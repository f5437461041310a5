// The store against the real registry. What the run keeps under
// "InterbootContext" (text values, negative codes, the nameless value, the
// last of two writes, names outside the ANSI code page) is proven end to end.
#include "core/interboot_store.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "test_support.h"

namespace tessaro {
namespace {

// The store removes its key itself (DeleteKey), so a name is all it needs.
std::string ScratchKeyName() {
  return test_support::Narrow(L"Software\\Tessaro Tests\\" + test_support::UniqueName(L"interboot"));
}

std::map<std::string, std::string> AllValues(const InterbootStore& store) {
  std::map<std::string, std::string> values;
  for (auto it = store.Begin(); !(it == store.End()); ++it) values.insert(*it);
  return values;
}

TEST(InterbootStore, ReadsBackDeletesAndFailsQuietly) {
  InterbootStore store(ScratchKeyName());
  std::string text = "untouched";
  EXPECT_FALSE(store.GetText("code", text));
  EXPECT_EQ(text, "untouched");
  EXPECT_TRUE(store.Begin() == store.End());

  ASSERT_TRUE(store.SetNumber("code", -1073741819));
  ASSERT_TRUE(store.SetText("text", "a b"));
  std::int32_t number = 0;
  ASSERT_TRUE(store.GetNumber("code", number));
  EXPECT_EQ(number, -1073741819);
  EXPECT_TRUE(store.Delete("text"));
  EXPECT_FALSE(store.Delete("text"));
  EXPECT_EQ(AllValues(store), (std::map<std::string, std::string>{{"code", "-1073741819"}}));

  store.DeleteKey();
  EXPECT_TRUE(store.Begin() == store.End());
  EXPECT_FALSE(store.GetNumber("code", number));
  store.DeleteKey();  // a key that is gone is no error

  // Key names are limited to 255 characters: such a store fails quietly.
  InterbootStore tooLong("Software\\Tessaro Tests\\" + std::string(300, 'k'));
  EXPECT_FALSE(tooLong.SetNumber("code", 1));
  EXPECT_TRUE(tooLong.Begin() == tooLong.End());
}

}  // namespace
}  // namespace tessaro
