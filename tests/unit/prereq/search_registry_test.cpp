// Registry searches against real keys and values of every relevant type.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <string>

#include "search_test_support.h"

namespace tessaro {
namespace {

using namespace test_support;

Texts Sorted(Texts texts) {
  std::sort(texts.begin(), texts.end());
  return texts;
}

class RegistrySearch : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(key_.Created());
    key_.AddSubkey(L"1.0.5");
    key_.AddSubkey(L"2.5");
    key_.SetText(L"Version", L"1.2.3");
    key_.SetText(L"Empty", L"");
    key_.SetRaw(L"NoData", REG_SZ, nullptr, 0);
    key_.SetText(L"Expand", L"%SystemRoot%\\x", REG_EXPAND_SZ);
    key_.SetRaw(L"Multi", REG_MULTI_SZ, L"3.1\0more\0", sizeof(L"3.1\0more\0"));
    key_.SetRaw(L"Unterminated", REG_SZ, L"7.7", 3 * sizeof(wchar_t));
    key_.SetRaw(L"Binary", REG_BINARY, L"4.2", 3 * sizeof(wchar_t));
    key_.SetRaw(L"Odd", REG_BINARY, "A\0B", 3);
  }
  [[nodiscard]] std::wstring Path(const std::wstring& below = {}) const { return key_.Path(below); }

  ScratchKey key_;
};

TEST_F(RegistrySearch, SubkeyNamesAreAllCollected) {
  EXPECT_EQ(Sorted(RunOnce(1, Path(), L"2.0").foundTexts), (Texts{L"1.0.5", L"2.5"}));
  EXPECT_TRUE(RunOnce(1, Path(L"2.5")).foundTexts.empty());
  EXPECT_TRUE(RunOnce(1, Path(L"Missing")).foundTexts.empty());
}

// Not expanded, and an empty text counts as found (though as no version).
TEST_F(RegistrySearch, ValueDataIsReadAsTextUpToTheFirstNulWhateverItsType) {
  const std::pair<const wchar_t*, const wchar_t*> cases[] = {
      {L"Version", L"1.2.3"}, {L"Multi", L"3.1"}, {L"Unterminated", L"7.7"}, {L"Binary", L"4.2"},
      {L"Expand", L"%SystemRoot%\\x"}, {L"Odd", L"AB"}, {L"Empty", L""}, {L"NoData", L""},
      {L"Absent", nullptr}, {L"Missing\\Version", nullptr}};
  for (const auto& [name, text] : cases) {
    EXPECT_EQ(RunOnce(2, Path(name)).foundTexts, text ? Texts{text} : Texts{}) << name;
  }
  for (const wchar_t* path : {L"Version", L"HKCU\\"}) EXPECT_TRUE(RunOnce(2, path).foundTexts.empty()) << path;
}

TEST_F(RegistrySearch, PresenceAndAbsenceOfKeysAndValues) {
  // Each presence search is followed by the type that asks for absence.
  const auto expect = [](std::int32_t type, const std::wstring& path, bool exists) {
    EXPECT_EQ(RunOnce(type, path).found, exists) << type << L" " << path;
    EXPECT_EQ(RunOnce(type + 1, path).found, !exists) << type + 1 << L" " << path;
  };
  // Root names (any case, unknown ones naming HKEY_USERS): registry_test.cpp.
  expect(5, Path(), true);
  for (const std::wstring& path : {Path(L"Missing"), std::wstring(L"Software")}) expect(5, path, false);
  for (const wchar_t* name : {L"Version", L"NoData"}) expect(7, Path(name), true);
  for (const std::wstring& path : {Path(L"Absent"), Path(L"Missing\\Version"), std::wstring(L"Version")}) {
    expect(7, path, false);
  }
}

TEST_F(RegistrySearch, ValueNamesReplaceWhateverWasCollected) {
  // Every name, the nameless value and one of the longest a name can be.
  const std::wstring longest(16383, L'n');
  key_.SetText(L"4.0", L"", REG_SZ, L"1.0.5");
  key_.SetNumber(L"3.9", 0, L"1.0.5");
  key_.SetText(L"", L"default", REG_SZ, L"1.0.5");
  key_.SetNumber(longest, 3, L"1.0.5");
  Searcher searcher(nullptr);
  SearchResult result;
  result.foundTexts = {L"stale"};
  searcher.RunSearch(Search(12, Path(L"1.0.5")), false, result);
  EXPECT_TRUE(result.found);
  EXPECT_EQ(Sorted(result.foundTexts), (Texts{L"", L"3.9", L"4.0", longest}));

  // A key without values: the enumeration ends normally with nothing in it.
  const SearchResult empty = RunOnce(12, Path(L"2.5"));
  EXPECT_TRUE(empty.found && empty.foundTexts.empty());
  for (const std::wstring& path : {Path(L"Missing"), std::wstring(L"Software")}) {
    const SearchResult nothing = RunOnce(12, path);
    EXPECT_FALSE(nothing.found || !nothing.foundTexts.empty()) << path;
  }
}

// The same key written in both views of HKLM\Software. The searches that open
// keys by path are held to their view end to end (the wow64 scenarios); the
// value-name search opens its key on its own.
class RegistryViewSearch : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!key64_.Created() || !key32_.Created()) GTEST_SKIP() << "HKLM\\Software is not writable here";
    key64_.SetText(L"Where", L"64");
    key32_.SetText(L"Where", L"32");
    key64_.SetText(L"Only64", L"");
    key32_.SetText(L"Only32", L"");
  }

  static constexpr bool kNative64 = sizeof(void*) == 8;
  const std::wstring name_ = UniqueName(L"view");
  ScratchKey key64_{HKEY_LOCAL_MACHINE, KEY_WOW64_64KEY, name_};
  ScratchKey key32_{HKEY_LOCAL_MACHINE, KEY_WOW64_32KEY, name_};
};

TEST_F(RegistryViewSearch, ValueNamesAreReadInTheViewAskedFor) {
  EXPECT_EQ(Sorted(RunOnce(12, key64_.Path(), {}, true).foundTexts), (Texts{L"Only64", L"Where"}));
  EXPECT_EQ(Sorted(RunOnce(12, key64_.Path()).foundTexts), (Texts{kNative64 ? L"Only64" : L"Only32", L"Where"}));
}

}  // namespace
}  // namespace tessaro
