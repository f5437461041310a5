// Check programs from the package: found exactly when they run and exit with 0.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "package/package_files.h"
#include "search_test_support.h"

namespace tessaro {
namespace {

bool Found(const PackageFiles* files, const std::wstring& program, const std::wstring& commandLine,
           const std::wstring& refContent = {}) {
  Searcher searcher(files);
  SearchResult result;
  PrereqSearch search = test_support::Search(10, program, {}, refContent);
  search.searchCmdLine = commandLine;
  searcher.RunPackageProgramSearch(search, result, {});
  return result.found;
}

TEST(CheckProgramSearch, FoundOnlyWhenItRunsAndExitsWithZero) {
  const std::wstring bin = test_support::BinFolder();
  ASSERT_FALSE(bin.empty()) << "TESSARO_BIN is not set";
  PackageFiles files;
  files.SetExtractionFolder(bin);  // the helper programs lie where the package's files would
  const PackageFiles* package = &files;

  // Exit codes 0 and 3 decide whole runs (the end-to-end decision scenarios).
  EXPECT_FALSE(Found(package, L"no_such_check.exe", L"0"));
  EXPECT_FALSE(Found(nullptr, L"exit_with.exe", L"0"));  // without a package there is no program

  // Parameters are expanded.
  for (const wchar_t* code : {L"0", L"4"}) {
    test_support::ScopedVariable variable(L"TESSARO_CHECK_CODE", code);
    EXPECT_EQ(Found(package, L"exit_with.exe", L"%TESSARO_CHECK_CODE%"), *code == L'0') << code;
  }

  // hidden_check exits with 0 only when started hidden, which takes the exact word.
  EXPECT_TRUE(Found(package, L"hidden_check.exe", L"", L"WND_HIDE"));
  for (const wchar_t* word : {L"", L"wnd_hide", L"WND_HIDE "}) {
    EXPECT_FALSE(Found(package, L"hidden_check.exe", L"", word)) << word;
  }
}

}  // namespace
}  // namespace tessaro
