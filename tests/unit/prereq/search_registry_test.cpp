// Registry searches against real keys and values of every relevant type.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "search_test_support.h"

namespace tessaro {
namespace {

using search_test::ContentOutcome;
using search_test::MakeSearch;
using search_test::RunOnce;
using search_test::VersionOutcome;

const std::wstring kTestsKey = L"Software\\Tessaro Tests\\";

// A key of its own under |root|\Software\Tessaro Tests in the given view,
// removed afterwards together with everything below it.
class ScratchKey {
 public:
  ScratchKey(HKEY root, const std::wstring& name, REGSAM view = 0) : root_(root), view_(view) {
    relative_ = kTestsKey + name;
    created_ = RegCreateKeyExW(root_, relative_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | view_, nullptr, &key_,
                               nullptr) == ERROR_SUCCESS;
  }
  ~ScratchKey() {
    if (!created_) return;
    RegDeleteTreeW(key_, nullptr);
    RegCloseKey(key_);
    RegDeleteKeyExW(root_, relative_.c_str(), view_, 0);
  }
  ScratchKey(const ScratchKey&) = delete;
  ScratchKey& operator=(const ScratchKey&) = delete;

  [[nodiscard]] bool Created() const { return created_; }
  [[nodiscard]] const std::wstring& Relative() const { return relative_; }

  // |sub| names a subkey to write into (created when missing), empty for this key.
  void SetRaw(const std::wstring& name, DWORD type, const void* data, DWORD bytes, const std::wstring& sub = {}) const {
    ASSERT_EQ(RegSetKeyValueW(key_, sub.empty() ? nullptr : sub.c_str(), name.c_str(), type, data, bytes),
              ERROR_SUCCESS);
  }
  void SetText(const std::wstring& name, const std::wstring& text, DWORD type = REG_SZ,
               const std::wstring& sub = {}) const {
    SetRaw(name, type, text.c_str(), static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)), sub);
  }
  void SetDword(const std::wstring& name, DWORD value, const std::wstring& sub = {}) const {
    SetRaw(name, REG_DWORD, &value, sizeof(value), sub);
  }
  void AddSubkey(const std::wstring& name) const {
    HKEY sub = nullptr;
    ASSERT_EQ(RegCreateKeyExW(key_, name.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | view_, nullptr, &sub, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(sub);
  }

 private:
  HKEY root_;
  REGSAM view_;
  std::wstring relative_;
  HKEY key_ = nullptr;
  bool created_ = false;
};

class RegistrySearch : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(key_.Created());
    key_.AddSubkey(L"1.0.5");
    key_.AddSubkey(L"2.5");
    key_.SetText(L"Version", L"1.2.3");
    key_.SetText(L"Empty", L"");
    key_.SetRaw(L"NoData", REG_SZ, nullptr, 0);
    key_.SetDword(L"Dword", 1);
    key_.SetText(L"Beta", L"Beta2");
    key_.SetText(L"Expand", L"%SystemRoot%\\x", REG_EXPAND_SZ);
    const wchar_t multi[] = L"3.1\0more\0";
    key_.SetRaw(L"Multi", REG_MULTI_SZ, multi, sizeof(multi));
    const wchar_t unterminated[] = {L'7', L'.', L'7'};
    key_.SetRaw(L"Unterminated", REG_SZ, unterminated, sizeof(unterminated));
    const wchar_t binary[] = {L'4', L'.', L'2'};
    key_.SetRaw(L"Binary", REG_BINARY, binary, sizeof(binary));
    const unsigned char odd[] = {'A', 0, 'B'};
    key_.SetRaw(L"Odd", REG_BINARY, odd, sizeof(odd));
  }

  [[nodiscard]] std::wstring Path(const std::wstring& below = {}) const {
    return L"HKCU\\" + key_.Relative() + (below.empty() ? L"" : L"\\" + below);
  }
  [[nodiscard]] std::wstring MissingPath() const { return Path(L"Missing"); }

  ScratchKey key_{HKEY_CURRENT_USER, search_test::UniqueName(L"search")};
};

TEST_F(RegistrySearch, SubkeyNamesAreVersionsInRange) {
  const PrereqSearch search = MakeSearch(1, Path(), L"2.0");
  SearchResult result = RunOnce(search);
  std::sort(result.foundTexts.begin(), result.foundTexts.end());
  EXPECT_EQ(result.foundTexts, (std::vector<std::wstring>{L"1.0.5", L"2.5"}));
  EXPECT_TRUE(VersionOutcome(search, result));
  EXPECT_FALSE(VersionOutcome(MakeSearch(1, Path(), L"3.0"), result));

  // A key without subkeys finds nothing, so even the unbounded range fails.
  const PrereqSearch leaf = MakeSearch(1, Path(L"2.5"));
  EXPECT_TRUE(RunOnce(leaf).foundTexts.empty());
  EXPECT_TRUE(RunOnce(MakeSearch(1, MissingPath())).foundTexts.empty());
}

TEST_F(RegistrySearch, ValueDataIsReadAsTextUpToTheFirstNulWhateverItsType) {
  const auto data = [&](const std::wstring& name) { return RunOnce(MakeSearch(2, Path(name))).foundTexts; };
  using Texts = std::vector<std::wstring>;
  EXPECT_EQ(data(L"Version"), Texts{L"1.2.3"});
  EXPECT_EQ(data(L"Multi"), Texts{L"3.1"});
  EXPECT_EQ(data(L"Unterminated"), Texts{L"7.7"});
  EXPECT_EQ(data(L"Binary"), Texts{L"4.2"});
  EXPECT_EQ(data(L"Expand"), Texts{L"%SystemRoot%\\x"});  // not expanded
  EXPECT_EQ(data(L"Dword"), Texts{std::wstring(1, L'\x01')});
  EXPECT_EQ(data(L"Odd"), Texts{L"AB"});

  const PrereqSearch ranged = MakeSearch(2, Path(L"Version"), L"1.2", L"1.2.3");
  EXPECT_TRUE(VersionOutcome(ranged, RunOnce(ranged)));
}

TEST_F(RegistrySearch, EmptyStringValueIsFoundButOnlyTheUnboundedRangeAcceptsIt) {
  for (const wchar_t* name : {L"Empty", L"NoData"}) {
    const PrereqSearch unbounded = MakeSearch(2, Path(name));
    const SearchResult result = RunOnce(unbounded);
    EXPECT_EQ(result.foundTexts, std::vector<std::wstring>{L""}) << name;
    EXPECT_TRUE(VersionOutcome(unbounded, result)) << name;
    EXPECT_FALSE(VersionOutcome(MakeSearch(2, Path(name), L"0.1"), result)) << name;
  }
}

TEST_F(RegistrySearch, ValueDataOfMissingOrMalformedPathsFindsNothing) {
  for (const std::wstring& path : {Path(L"Absent"), MissingPath() + L"\\Version", std::wstring(L"Version"),
                                   std::wstring(L""), std::wstring(L"\\"), std::wstring(L"HKCU\\")}) {
    EXPECT_TRUE(RunOnce(MakeSearch(2, path)).foundTexts.empty()) << path;
  }
}

TEST_F(RegistrySearch, KeyPresenceAndAbsence) {
  const auto exists = [](const std::wstring& path) { return RunOnce(MakeSearch(5, path)).found; };
  const auto missing = [](const std::wstring& path) { return RunOnce(MakeSearch(6, path)).found; };
  EXPECT_TRUE(exists(Path()));
  EXPECT_FALSE(missing(Path()));
  EXPECT_TRUE(exists(L"hkey_current_user\\" + key_.Relative()));  // roots in any case

  for (const std::wstring& path : {MissingPath(), std::wstring(L"HKLM\\Software\\Missing"),
                                   std::wstring(L"Software"), std::wstring(L"")}) {
    EXPECT_FALSE(exists(path)) << path;
    EXPECT_TRUE(missing(path)) << path;
  }
  // An unknown root names HKEY_USERS.
  EXPECT_TRUE(exists(L"NOSUCHROOT\\.DEFAULT"));
  EXPECT_FALSE(exists(L"NOSUCHROOT\\" + key_.Relative()));
}

TEST_F(RegistrySearch, ValuePresenceOfAnyTypeAndAbsence) {
  const auto exists = [](const std::wstring& path) { return RunOnce(MakeSearch(7, path)).found; };
  const auto missing = [](const std::wstring& path) { return RunOnce(MakeSearch(8, path)).found; };
  for (const wchar_t* name : {L"Version", L"Dword", L"Binary", L"NoData", L"Multi"}) {
    EXPECT_TRUE(exists(Path(name))) << name;
    EXPECT_FALSE(missing(Path(name))) << name;
  }
  for (const std::wstring& path : {Path(L"Absent"), MissingPath() + L"\\Version", std::wstring(L"Version")}) {
    EXPECT_FALSE(exists(path)) << path;
    EXPECT_TRUE(missing(path)) << path;
  }
}

TEST_F(RegistrySearch, ValueContentFeedsTheComparison) {
  const auto content = [&](const std::wstring& name) { return RunOnce(MakeSearch(9, Path(name))); };
  const SearchResult dword = content(L"Dword");
  EXPECT_TRUE(dword.found);
  EXPECT_EQ(dword.value, L"1");
  EXPECT_TRUE(ContentOutcome(dword, L"M1"));
  EXPECT_TRUE(ContentOutcome(dword, L"G0"));
  EXPECT_FALSE(ContentOutcome(dword, L"L1"));

  const SearchResult beta = content(L"Beta");
  EXPECT_EQ(beta.value, L"Beta2");
  EXPECT_TRUE(ContentOutcome(beta, L"SBeta"));
  EXPECT_FALSE(ContentOutcome(beta, L"Q"));
  EXPECT_FALSE(ContentOutcome(beta, L"QBeta2"));

  // Types that have no text form, and values that are not there, are not found.
  for (const std::wstring& path : {Path(L"Binary"), Path(L"Absent"), MissingPath() + L"\\Beta", std::wstring(L"Beta")}) {
    const SearchResult result = RunOnce(MakeSearch(9, path));
    EXPECT_FALSE(result.found) << path;
    EXPECT_TRUE(result.value.empty()) << path;
  }
}

TEST_F(RegistrySearch, ValueNamesReplaceWhateverWasCollected) {
  const PrereqSearch search = MakeSearch(12, Path(L"1.0.5"));
  key_.SetText(L"4.0", L"", REG_SZ, L"1.0.5");
  key_.SetDword(L"3.9", 0, L"1.0.5");

  Searcher searcher(nullptr);
  SearchResult result;
  result.foundTexts = {L"stale"};
  searcher.RunSearch(search, false, result);
  EXPECT_TRUE(result.found);
  std::sort(result.foundTexts.begin(), result.foundTexts.end());
  EXPECT_EQ(result.foundTexts, (std::vector<std::wstring>{L"3.9", L"4.0"}));
  EXPECT_TRUE(VersionOutcome(MakeSearch(12, search.searchString, L"4.0"), result));

  // A key without values: the enumeration ends normally with nothing in it.
  const SearchResult empty = RunOnce(MakeSearch(12, Path(L"2.5")));
  EXPECT_TRUE(empty.found);
  EXPECT_TRUE(empty.foundTexts.empty());

  for (const std::wstring& path : {MissingPath(), std::wstring(L"Software"), std::wstring(L"")}) {
    const SearchResult nothing = RunOnce(MakeSearch(12, path));
    EXPECT_FALSE(nothing.found) << path;
    EXPECT_TRUE(nothing.foundTexts.empty()) << path;
  }
}

TEST_F(RegistrySearch, TypesWithoutARegistrySearchLeaveTheResultAlone) {
  // Type 10 needs the prerequisite list and is not run through RunSearch.
  for (const std::int32_t type : {-1, 10, 13, 100, INT32_MIN}) {
    const SearchResult result = RunOnce(MakeSearch(type, Path(L"Version")));
    EXPECT_FALSE(result.found) << type;
    EXPECT_TRUE(result.foundTexts.empty()) << type;
    EXPECT_TRUE(result.value.empty()) << type;
  }
}

// The same key written in both views of HKLM\Software: each search must read
// the view it was asked for (a 64-bit process sees its own view by default).
class RegistryViewSearch : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!key64_.Created() || !key32_.Created()) GTEST_SKIP() << "HKLM\\Software is not writable here";
    key64_.SetText(L"Where", L"64");
    key32_.SetText(L"Where", L"32");
    key64_.SetText(L"Only64", L"");
    key32_.SetText(L"Only32", L"");
    key32_.AddSubkey(L"Sub32");
  }

  [[nodiscard]] std::wstring Path(const std::wstring& below) const {
    return L"HKLM\\" + key64_.Relative() + L"\\" + below;
  }

  static constexpr bool kNative64 = sizeof(void*) == 8;
  const std::wstring name_ = search_test::UniqueName(L"view");
  ScratchKey key64_{HKEY_LOCAL_MACHINE, name_, KEY_WOW64_64KEY};
  ScratchKey key32_{HKEY_LOCAL_MACHINE, name_, KEY_WOW64_32KEY};
};

TEST_F(RegistryViewSearch, The64BitViewIsReadWhenAskedFor) {
  EXPECT_EQ(RunOnce(MakeSearch(9, Path(L"Where")), true).value, L"64");
  EXPECT_EQ(RunOnce(MakeSearch(9, Path(L"Where")), false).value, kNative64 ? L"64" : L"32");
  EXPECT_EQ(RunOnce(MakeSearch(2, Path(L"Where")), true).foundTexts, std::vector<std::wstring>{L"64"});

  EXPECT_TRUE(RunOnce(MakeSearch(7, Path(L"Only64")), true).found);
  EXPECT_FALSE(RunOnce(MakeSearch(7, Path(L"Only32")), true).found);
  EXPECT_FALSE(RunOnce(MakeSearch(5, Path(L"Sub32")), true).found);
  EXPECT_EQ(RunOnce(MakeSearch(5, Path(L"Sub32")), false).found, !kNative64);

  std::vector<std::wstring> names = RunOnce(MakeSearch(12, L"HKLM\\" + key64_.Relative()), true).foundTexts;
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::wstring>{L"Only64", L"Where"}));
}

}  // namespace
}  // namespace tessaro
