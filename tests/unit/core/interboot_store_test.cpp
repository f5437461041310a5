// The store's slots against the real registry; the chainer run's use of the
// "InterbootContext" key is proven end to end.
#include "core/interboot_store.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "platform/ansi_text.h"
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

TEST(InterbootStore, WritesReadsIteratesAndDeletesAnsiTextValues) {
  InterbootStore store(ScratchKeyName());
  std::string text = "untouched";
  EXPECT_FALSE(store.GetText("code", text));
  EXPECT_EQ(text, "untouched");
  EXPECT_TRUE(store.Begin() == store.End());

  ASSERT_TRUE(store.SetNumber("code", -1073741819));
  ASSERT_TRUE(store.SetNumber("", 3010));
  ASSERT_TRUE(store.SetText("text", "a b"));
  ASSERT_TRUE(store.SetNumber("twice", 5));
  ASSERT_TRUE(store.SetNumber("twice", 6));

  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyA(HKEY_CURRENT_USER, store.KeyName().c_str(), &key), ERROR_SUCCESS);
  DWORD type = 0;
  EXPECT_EQ(RegQueryValueExA(key, "code", nullptr, &type, nullptr, nullptr), ERROR_SUCCESS);
  RegCloseKey(key);
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));

  std::int32_t number = 0;
  ASSERT_TRUE(store.GetNumber("code", number));
  EXPECT_EQ(number, -1073741819);
  ASSERT_TRUE(store.GetNumber("", number));
  EXPECT_EQ(number, 3010);
  EXPECT_EQ(AllValues(store), (std::map<std::string, std::string>{
                                  {"code", "-1073741819"}, {"", "3010"}, {"text", "a b"}, {"twice", "6"}}));

  EXPECT_TRUE(store.Delete("text"));
  EXPECT_FALSE(store.Delete("text"));
  EXPECT_EQ(AllValues(store).count("text"), 0u);

  store.DeleteKey();
  EXPECT_TRUE(store.Begin() == store.End());
  EXPECT_FALSE(store.GetNumber("code", number));
  store.DeleteKey();  // a key that is gone is no error
}

TEST(InterbootStore, KeyThatCannotBeCreatedFailsQuietly) {
  // Key names are limited to 255 characters.
  InterbootStore store("Software\\Tessaro Tests\\" + std::string(300, 'k'));
  EXPECT_FALSE(store.SetNumber("code", 1));
  std::string text;
  EXPECT_FALSE(store.GetText("code", text));
  EXPECT_TRUE(store.Begin() == store.End());
}

TEST(InterbootStore, NamesOutsideTheAnsiCodePageKeepWhatTheyCan) {
  EXPECT_EQ(ToAnsi(L"Return"), "Return");
  EXPECT_EQ(ToAnsi(L""), "");
  EXPECT_EQ(ToAnsi(L"\x041A\x043E\x0434"), "???");
}

}  // namespace
}  // namespace tessaro
