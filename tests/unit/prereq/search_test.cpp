// Real files, keys, programs and a package: what the end-to-end scenarios do not reach.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "package/package_files.h"
#include "platform/paths.h"
#include "platform/process.h"
#include "platform/version_resource.h"
#include "platform/wow64.h"
#include "prereq/searcher.h"
#include "test_support.h"

namespace tessaro {
namespace {

using namespace test_support;
using Texts = std::vector<std::wstring>;

const wchar_t kVersioned[] = L"versioned_file.exe";  // FILEVERSION 2.5.7.9
const Texts kFoundVersioned{L"2.5.7.9"};

SearchResult RunOnce(std::int32_t type, const std::wstring& searchString, const std::wstring& verMin = {},
                     bool use64BitView = false, const std::wstring& refContent = {},
                     const PackageFiles* files = nullptr, const std::wstring& commandLine = {}) {
  const PrereqSearch search{type, searchString, verMin, {}, refContent, commandLine};
  SearchResult result;
  type == 10 ? Searcher(files).RunPackageProgramSearch(search, result, {})
             : Searcher(nullptr).RunSearch(search, use64BitView, result);
  return result;
}

Texts Sorted(Texts texts) {
  std::sort(texts.begin(), texts.end());
  return texts;
}

TEST(FileSearch, DepthReachesNestedFoldersAndTheFirstVersionInRangeEndsTheSearch) {
  ScratchFolder tree;
  for (const wchar_t* place : {L"a\\b\\deep.exe", L"same.exe", L"one\\same.exe", L"two\\same.exe"}) {
    ASSERT_EQ(CreateDirectories(tree / place, false, nullptr), 0u);
    const wchar_t* program = std::wstring(place) == L"same.exe" ? L"plain_program.exe" : kVersioned;
    ASSERT_TRUE(CopyFileW(BinPath(program).c_str(), (tree / place).c_str(), FALSE));
  }
  const auto found = [&](const wchar_t* relative, const wchar_t* verMin = L"") {
    return RunOnce(0, tree / relative, verMin).foundTexts;
  };
  const std::pair<const wchar_t*, bool> depths[] = {
      {L"deep.exe?1", false}, {L"deep.exe?  +2", true},  // read as any decimal number of the configuration
      {L"deep.exe?", false},  {L"a\\deep.exe?0", false}, {L"a\\deep.exe?1", true}, {L"absent.exe", false}};
  for (const auto& [searchString, expected] : depths) {
    EXPECT_EQ(found(searchString), expected ? kFoundVersioned : Texts{}) << searchString;
  }
  // The folder's own file (no version resource: 0) comes first, then one sub-folder is enough.
  EXPECT_EQ(found(L"same.exe?1", L"2.0"), (Texts{L"0.0.0.0", L"2.5.7.9"}));
  EXPECT_EQ(found(L"same.exe?1"), Texts{L"0.0.0.0"});
  // Nothing in range: every file is collected.
  EXPECT_EQ(found(L"same.exe?1", L"3.0"), (Texts{L"0.0.0.0", L"2.5.7.9", L"2.5.7.9"}));
  for (const wchar_t* text : {L"[NoSuchFolder]v.exe", L"[SystemFolder]", L""}) {
    EXPECT_TRUE(RunOnce(0, text).foundTexts.empty()) << text;
  }
}

TEST(FileSearch, BareFileNameLooksBelowTheRootOfEveryFixedDrive) {
  wchar_t windows[MAX_PATH] = {};
  ASSERT_GT(GetWindowsDirectoryW(windows, MAX_PATH), 3u);
  const std::wstring folder = std::wstring(windows, 3) + UniqueName(L"bare") + L"\\";
  const std::wstring name = UniqueName(L"bare") + L".exe";
  ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
  ASSERT_TRUE(CopyFileW(BinPath(kVersioned).c_str(), (folder + name).c_str(), FALSE));
  EXPECT_TRUE(RunOnce(0, name).foundTexts.empty());
  EXPECT_EQ(RunOnce(0, name + L"?1", L"2.0").foundTexts, kFoundVersioned);
  DeleteFileW((folder + name).c_str());
  RemoveDirectoryW(folder.c_str());
}

// No library loads inside a scope that turned redirection off (a 32-bit process
// would get the 64-bit one): a search with "x" loads version.dll first, and a
// refused load is tried again. In a process of its own, where nothing loaded it yet.
TEST(FileSearch, WithXLoadsTheVersionLibraryBeforeRedirectionGoesOff) {
  const std::wstring file = BinPath(kVersioned);
  EXPECT_EXIT(
      {
        bool refused = false;
        {
          const RedirectionGuard off(true);
          refused = ReadVersionBlock(file).empty() && GetLastError() == ERROR_INVALID_STATE;
        }
        const bool read = RunOnce(0, file, L"2.5", true).foundTexts == kFoundVersioned;
        std::exit(refused && read ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "");
}

TEST(RegistrySearch, ValuesAreReadAsTextUpToTheFirstNulWhateverTheirTypeAndNamesAreCollected) {
  ScratchKey key;
  key.AddSubkey(L"1.0.5");
  key.AddSubkey(L"2.5");
  key.SetRaw(L"NoData", REG_SZ, nullptr, 0);
  key.SetText(L"Expand", L"%SystemRoot%\\x", REG_EXPAND_SZ);
  key.SetRaw(L"Multi", REG_MULTI_SZ, L"3.1\0more\0", sizeof(L"3.1\0more\0"));
  key.SetRaw(L"Unterminated", REG_SZ, L"7.7", 3 * sizeof(wchar_t));
  key.SetRaw(L"Odd", REG_BINARY, "A\0B", 3);
  // Longer than one short read takes, unterminated and of odd length.
  const std::wstring longText(300, L'9');
  key.SetRaw(L"Long", REG_BINARY, longText.c_str(), static_cast<DWORD>(longText.size() * sizeof(wchar_t) - 1));
  // Not expanded, and an empty text counts as found (though as no version).
  const std::pair<const wchar_t*, const wchar_t*> values[] = {
      {L"Multi", L"3.1"}, {L"Unterminated", L"7.7"}, {L"Expand", L"%SystemRoot%\\x"},
      {L"Odd", L"AB"},    {L"NoData", L""},          {L"Missing\\Version", nullptr}, {L"Long", longText.c_str()}};
  for (const auto& [name, text] : values) {
    EXPECT_EQ(RunOnce(2, key.Path(name)).foundTexts, text ? Texts{text} : Texts{}) << name;
    EXPECT_EQ(RunOnce(7, key.Path(name)).found, text != nullptr) << name;
    EXPECT_EQ(RunOnce(8, key.Path(name)).found, text == nullptr) << name;
  }
  EXPECT_TRUE(RunOnce(8, L"Version").found);  // no "\": no value
  EXPECT_EQ(Sorted(RunOnce(1, key.Path(), L"2.0").foundTexts), (Texts{L"1.0.5", L"2.5"}));

  // Value names: the nameless one and one of the longest a name can be; a key
  // without values ends the enumeration normally, a missing one does not.
  const std::wstring longest(16383, L'n');
  key.SetText(L"", L"default", REG_SZ, L"1.0.5");
  key.SetNumber(longest, 3, L"1.0.5");
  EXPECT_EQ(Sorted(RunOnce(12, key.Path(L"1.0.5")).foundTexts), (Texts{L"", longest}));
  EXPECT_TRUE(RunOnce(12, key.Path(L"2.5")).found);
  EXPECT_FALSE(RunOnce(12, key.Path(L"Missing")).found);
}

TEST(CheckProgramSearch, FoundOnlyWhenItRunsAndExitsWithZero) {
  PackageFiles files;
  files.SetExtractionFolder(BinFolder());  // the helpers lie where the package's files would
  const auto found = [&](const wchar_t* program, const wchar_t* commandLine,
                         const wchar_t* refContent = L"") {
    return RunOnce(10, program, {}, false, refContent, &files, commandLine).found;
  };
  EXPECT_FALSE(found(L"no_such_check.exe", L"0"));
  ScopedVariable variable(L"TESSARO_CHECK_CODE", L"0");  // parameters are expanded; exit codes run end to end
  EXPECT_TRUE(found(L"exit_with.exe", L"%TESSARO_CHECK_CODE%"));
  // hidden_check exits with 0 only when started hidden, which takes the exact word.
  EXPECT_TRUE(found(L"hidden_check.exe", L"", L"WND_HIDE"));
  for (const wchar_t* word : {L"wnd_hide", L"WND_HIDE "}) EXPECT_FALSE(found(L"hidden_check.exe", L"", word));
}

// The "Search" family of tests/data/msi/test_product.wxs; a product found by its code runs end to end.
TEST(ProductSearch, EachCodeFindsOnlyWhatItNamesAndNothingOnceRemoved) {
  const wchar_t kProductCode[] = L"{5E3C3A52-7A41-4F0B-9C1D-2B7E6D4A1F01}";
  const wchar_t kUpgradeCode[] = L"{5E3C3A52-7A41-4F0B-9C1D-2B7E6D4A1F02}";
  const wchar_t kComponentCode[] = L"{5E3C3A52-7A41-4F0B-9C1D-2B7E6D4A1F03}";
  const std::wstring package = L" \"" + BinPath(L"search_product.msi") + L"\" /qn";
  unsigned long code = 1;
  ASSERT_TRUE(RunProcess(L"", L"msiexec.exe /i" + package, &code, 0) && code == 0) << "msiexec /i failed";
  EXPECT_EQ(RunOnce(4, kUpgradeCode, L"1.0").foundTexts, Texts{L"1.2.3"});
  EXPECT_TRUE(RunOnce(11, kComponentCode).found);
  for (const wchar_t* code : {kProductCode, L"", L"{5E3C3A52-7A41-4F0B-9C1D-2B7E6D4A1F01"}) {
    EXPECT_TRUE(RunOnce(4, code).foundTexts.empty()) << code;
    EXPECT_FALSE(RunOnce(11, code).found) << code;
  }
  ASSERT_TRUE(RunProcess(L"", L"msiexec.exe /x" + package, &code, 0) && code == 0) << "msiexec /x failed";
  EXPECT_TRUE(RunOnce(3, kProductCode).foundTexts.empty());
  EXPECT_TRUE(RunOnce(4, kUpgradeCode).foundTexts.empty());
  EXPECT_FALSE(RunOnce(11, kComponentCode).found);
}

}  // namespace
}  // namespace tessaro
