// File-version searches against real programs with and without a version
// resource, laid out in temporary trees and below the system drive's root.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <string>

#include "platform/version_resource.h"
#include "platform/wow64.h"
#include "search_test_support.h"

namespace tessaro {
namespace {

using namespace test_support;

const wchar_t kVersioned[] = L"versioned_file.exe";  // FILEVERSION 2.5.7.9
const wchar_t kPlain[] = L"plain_program.exe";       // no version resource
const Texts kFoundVersioned{L"2.5.7.9"};

class FileSearch : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_FALSE(BinFolder().empty()) << "TESSARO_BIN is not set"; }
  void Place(const wchar_t* program, const std::wstring& relative) const {
    ASSERT_EQ(CreateDirectories(tree_ / relative, false, nullptr), 0u) << relative;
    ASSERT_TRUE(CopyFileW(BinPath(program).c_str(), (tree_ / relative).c_str(), FALSE)) << relative;
  }
  [[nodiscard]] Texts Found(const std::wstring& relative, const std::wstring& verMin = {}) const {
    return RunOnce(0, tree_ / relative, verMin).foundTexts;
  }

  ScratchFolder tree_{L"file_search"};
};

TEST_F(FileSearch, DepthReachesNestedFolders) {
  Place(kVersioned, L"a\\b\\deep.exe");
  const std::pair<const wchar_t*, bool> cases[] = {
      {L"deep.exe?1", false}, {L"deep.exe?  +2", true},  // read as any decimal number of the configuration
      {L"deep.exe?", false},  {L"a\\deep.exe?0", false}, {L"a\\deep.exe?1", true},
  };
  for (const auto& [searchString, found] : cases) {
    EXPECT_EQ(Found(searchString), found ? kFoundVersioned : Texts{}) << searchString;
  }
}

TEST_F(FileSearch, TheFirstVersionInRangeEndsTheWholeSearch) {
  Place(kPlain, L"same.exe");
  Place(kVersioned, L"one\\same.exe");
  Place(kVersioned, L"two\\same.exe");
  // The folder's own file comes first, then one sub-folder is enough.
  EXPECT_EQ(Found(L"same.exe?1", L"2.0"), (Texts{L"0.0.0.0", L"2.5.7.9"}));
  // Unbounded, the zero version of the top file is already in range.
  EXPECT_EQ(Found(L"same.exe?1"), Texts{L"0.0.0.0"});
  // Nothing in range: every file is collected, one without a version resource as 0.
  EXPECT_EQ(Found(L"same.exe?1", L"3.0"), (Texts{L"0.0.0.0", L"2.5.7.9", L"2.5.7.9"}));
  MakeFile(tree_ / L"notes.txt");
  EXPECT_EQ(Found(L"notes.txt"), Texts{L"0.0.0.0"});
}

TEST_F(FileSearch, MissingOrMalformedPathsFindNothing) {
  for (const std::wstring& text : {tree_ / L"absent.exe", tree_ / L"no\\such\\folder\\v.exe?3",
                                   std::wstring(L"[NoSuchFolder]v.exe"), std::wstring(L"[SystemFolder]"),
                                   std::wstring(L"")}) {
    EXPECT_TRUE(RunOnce(0, text).foundTexts.empty()) << text;
  }
}

// A bare file name is looked for on every fixed drive, from its root down.
TEST(SystemFileSearch, BareFileNameLooksBelowTheRootOfEveryFixedDrive) {
  ASSERT_FALSE(BinFolder().empty());
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

// Inside a scope that turned redirection off no library loads (a 32-bit
// process would get the 64-bit one). A search with "x" therefore has
// version.dll loaded before it turns redirection off, and a load refused
// earlier is tried again: in a process of its own, where nothing loaded it yet.
TEST(FileSearchWithX, LoadsTheVersionLibraryBeforeRedirectionGoesOff) {
  ASSERT_FALSE(BinFolder().empty());
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

}  // namespace
}  // namespace tessaro
