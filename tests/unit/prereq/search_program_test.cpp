// Check programs from the package: found exactly when they run and exit with 0.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "package/package_files.h"
#include "search_test_support.h"

namespace tessaro {
namespace {

using search_test::BinFolder;

class CheckProgramSearch : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(BinFolder().empty()) << "TESSARO_BIN is not set";
    // The helper programs lie where the package's files would.
    files_.SetExtractionFolder(BinFolder());
  }

  [[nodiscard]] bool Found(const std::wstring& program, const std::wstring& commandLine,
                           const std::wstring& refContent = {}) const {
    PrereqSearch search;
    search.type = 10;
    search.searchString = program;
    search.searchCmdLine = commandLine;
    search.refContent = refContent;
    Searcher searcher(&files_);
    SearchResult result;
    searcher.RunPackageProgramSearch(search, result, {});
    return result.found;
  }

  PackageFiles files_;
};

TEST_F(CheckProgramSearch, OnlyExitCodeZeroCounts) {
  EXPECT_TRUE(Found(L"exit_with.exe", L"0"));
  EXPECT_FALSE(Found(L"exit_with.exe", L"3"));
  EXPECT_FALSE(Found(L"exit_with.exe", L"-1"));
}

TEST_F(CheckProgramSearch, ParametersAreExpanded) {
  ASSERT_TRUE(SetEnvironmentVariableW(L"TESSARO_CHECK_CODE", L"0"));
  EXPECT_TRUE(Found(L"exit_with.exe", L"%TESSARO_CHECK_CODE%"));
  ASSERT_TRUE(SetEnvironmentVariableW(L"TESSARO_CHECK_CODE", L"4"));
  EXPECT_FALSE(Found(L"exit_with.exe", L"%TESSARO_CHECK_CODE%"));
  SetEnvironmentVariableW(L"TESSARO_CHECK_CODE", nullptr);
}

TEST_F(CheckProgramSearch, HiddenExactlyWhenAskedWithTheExactWord) {
  // hidden_check exits with 0 only when started hidden.
  EXPECT_TRUE(Found(L"hidden_check.exe", L"", L"WND_HIDE"));
  EXPECT_FALSE(Found(L"hidden_check.exe", L""));
  EXPECT_FALSE(Found(L"hidden_check.exe", L"", L"wnd_hide"));
  EXPECT_FALSE(Found(L"hidden_check.exe", L"", L"WND_HIDE "));
}

TEST_F(CheckProgramSearch, ProgramsThatCannotStartAreNotFound) {
  EXPECT_FALSE(Found(L"no_such_check.exe", L"0"));
  // Without a package there is no program to start.
  Searcher searcher(nullptr);
  PrereqSearch search;
  search.type = 10;
  search.searchString = L"exit_with.exe";
  SearchResult result;
  searcher.RunPackageProgramSearch(search, result, {});
  EXPECT_FALSE(result.found);
}

}  // namespace
}  // namespace tessaro
