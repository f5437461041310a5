// File-version searches against real programs with and without a version
// resource, laid out in temporary trees, and against the system's own files.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "prereq/file_version.h"
#include "search_test_support.h"

namespace tessaro {
namespace {

using search_test::BinFolder;
using search_test::MakeSearch;
using search_test::RunOnce;
using search_test::ScratchFolder;
using search_test::VersionOutcome;
using Texts = std::vector<std::wstring>;

const wchar_t kVersioned[] = L"versioned_file.exe";  // FILEVERSION 2.5.7.9
const wchar_t kPlain[] = L"plain_program.exe";       // no version resource

class FileSearch : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(BinFolder().empty()) << "TESSARO_BIN is not set";
    ASSERT_TRUE(tree_.Created());
  }
  void Place(const wchar_t* program, const std::wstring& relative) const {
    tree_.CopyIn(BinFolder() + program, relative);
  }
  [[nodiscard]] Texts Found(const std::wstring& relative, const std::wstring& verMin = {},
                            const std::wstring& verMax = {}) const {
    return RunOnce(MakeSearch(0, tree_.Path() + relative, verMin, verMax)).foundTexts;
  }
  [[nodiscard]] bool Outcome(const std::wstring& searchString, const std::wstring& verMin = {},
                             const std::wstring& verMax = {}) const {
    const PrereqSearch search = MakeSearch(0, searchString, verMin, verMax);
    return VersionOutcome(search, RunOnce(search));
  }

  ScratchFolder tree_{L"file_search"};
};

TEST_F(FileSearch, VersionResourceAgainstTheBounds) {
  Place(kVersioned, L"v.exe");
  const std::wstring path = tree_.Path() + L"v.exe";
  EXPECT_EQ(Found(L"v.exe"), Texts{L"2.5.7.9"});
  EXPECT_TRUE(Outcome(path));
  EXPECT_TRUE(Outcome(path, L"2.5", L"2.5.7.9"));
  EXPECT_TRUE(Outcome(path, L"", L"3"));
  // Out of range: the version is still collected, and rejected again.
  EXPECT_EQ(Found(L"v.exe", L"2.5.8"), Texts{L"2.5.7.9"});
  EXPECT_FALSE(Outcome(path, L"2.5.8"));
  EXPECT_FALSE(Outcome(path, L"1.0", L"2.5.7.8"));
}

TEST_F(FileSearch, FileWithoutVersionResourceCountsAsZero) {
  Place(kPlain, L"plain.exe");
  const std::wstring path = tree_.Path() + L"plain.exe";
  EXPECT_EQ(Found(L"plain.exe"), Texts{L"0.0.0.0"});
  EXPECT_TRUE(Outcome(path));  // something was found
  EXPECT_FALSE(Outcome(path, L"0.1"));
  EXPECT_FALSE(Outcome(path, L"", L"9.0"));

  // Not a program at all: read the same way.
  HANDLE text = CreateFileW((tree_.Path() + L"notes.txt").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
  ASSERT_NE(text, INVALID_HANDLE_VALUE);
  CloseHandle(text);
  EXPECT_EQ(Found(L"notes.txt"), Texts{L"0.0.0.0"});
}

TEST_F(FileSearch, DepthReachesNestedFolders) {
  Place(kVersioned, L"a\\b\\deep.exe");
  EXPECT_TRUE(Found(L"deep.exe").empty());
  EXPECT_TRUE(Found(L"deep.exe?1").empty());
  EXPECT_EQ(Found(L"deep.exe?2"), Texts{L"2.5.7.9"});
  EXPECT_EQ(Found(L"deep.exe?  +2"), Texts{L"2.5.7.9"});  // blanks and sign
  EXPECT_EQ(Found(L"deep.exe?3rd"), Texts{L"2.5.7.9"});   // the number ends at the first non-digit
  EXPECT_TRUE(Found(L"deep.exe?-2").empty());
  EXPECT_TRUE(Found(L"deep.exe?x2").empty());
  EXPECT_TRUE(Found(L"deep.exe?").empty());
  EXPECT_TRUE(Found(L"a\\deep.exe?0").empty());
  EXPECT_EQ(Found(L"a\\deep.exe?1"), Texts{L"2.5.7.9"});
}

TEST_F(FileSearch, TheFirstVersionInRangeEndsTheWholeSearch) {
  Place(kPlain, L"same.exe");
  Place(kVersioned, L"one\\same.exe");
  Place(kVersioned, L"two\\same.exe");
  // The folder's own file comes first, then one sub-folder is enough.
  EXPECT_EQ(Found(L"same.exe?1", L"2.0"), (Texts{L"0.0.0.0", L"2.5.7.9"}));
  // Unbounded, the zero version of the top file is already in range.
  EXPECT_EQ(Found(L"same.exe?1"), Texts{L"0.0.0.0"});
  // Nothing in range: every file is collected.
  EXPECT_EQ(Found(L"same.exe?1", L"3.0"), (Texts{L"0.0.0.0", L"2.5.7.9", L"2.5.7.9"}));
}

TEST_F(FileSearch, PathsAreExpandedBeforeTheSearch) {
  Place(kVersioned, L"v.exe");
  const std::wstring folderName = tree_.Path().substr(0, tree_.Path().size() - 1);
  const std::wstring leaf = folderName.substr(folderName.rfind(L'\\') + 1);
  EXPECT_TRUE(Outcome(L"[TempFolder]" + leaf + L"\\v.exe", L"2.5"));
  ASSERT_TRUE(SetEnvironmentVariableW(L"TESSARO_SEARCH_TREE", folderName.c_str()));
  EXPECT_TRUE(Outcome(L"%TESSARO_SEARCH_TREE%\\v.exe", L"2.5"));
  SetEnvironmentVariableW(L"TESSARO_SEARCH_TREE", nullptr);
}

TEST_F(FileSearch, MissingOrMalformedPathsFindNothing) {
  for (const std::wstring& text :
       {tree_.Path() + L"absent.exe", tree_.Path() + L"no\\such\\folder\\v.exe?3", std::wstring(L"[NoSuchFolder]v.exe"),
        std::wstring(L"%"), std::wstring(L"!HKCU\\Software\\Missing\\Value!"), std::wstring(L"[SystemFolder]"),
        std::wstring(L"")}) {
    EXPECT_TRUE(RunOnce(MakeSearch(0, text)).foundTexts.empty()) << text;
  }
}

TEST_F(FileSearch, SystemFilesHaveTheirRealVersions) {
  // The native system folder in both views: through [SystemFolder] when the
  // 64-bit view is asked for, through [System32Folder] from this process.
  const PrereqSearch native = MakeSearch(0, L"[SystemFolder]kernel32.dll", L"5.0");
  EXPECT_TRUE(VersionOutcome(native, RunOnce(native, true)));
  const PrereqSearch own = MakeSearch(0, L"[System32Folder]kernel32.dll", L"5.0");
  EXPECT_TRUE(VersionOutcome(own, RunOnce(own, false)));

  const PrereqSearch regedit = MakeSearch(0, L"[WindowsFolder]regedit.exe", L"1.0");
  EXPECT_TRUE(VersionOutcome(regedit, RunOnce(regedit)));
  // Notepad is there on every system, with or without a version resource.
  EXPECT_EQ(RunOnce(MakeSearch(0, L"[WindowsFolder]notepad.exe")).foundTexts.size(), 1u);
}

// A bare file name is looked for on every fixed drive, from its root down.
TEST(BareFileNameSearch, LooksBelowTheRootOfEveryFixedDrive) {
  ASSERT_FALSE(BinFolder().empty());
  wchar_t windows[MAX_PATH] = {};
  ASSERT_GT(GetWindowsDirectoryW(windows, MAX_PATH), 3u);
  const std::wstring driveRoot(windows, 3);
  const std::wstring folder = driveRoot + search_test::UniqueName(L"bare") + L"\\";
  const std::wstring name = search_test::UniqueName(L"bare") + L".exe";
  ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
  ASSERT_TRUE(CopyFileW((BinFolder() + kVersioned).c_str(), (folder + name).c_str(), FALSE));

  EXPECT_TRUE(RunOnce(MakeSearch(0, name)).foundTexts.empty());
  EXPECT_EQ(RunOnce(MakeSearch(0, name + L"?1", L"2.0")).foundTexts, Texts{L"2.5.7.9"});

  DeleteFileW((folder + name).c_str());
  RemoveDirectoryW(folder.c_str());
}

// The version reader on its own: the copy it may read through must not stay behind.
class FileVersionReader : public ::testing::Test {
 protected:
  static int CountCopies() {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    // GetTempFileNameW keeps the first three letters of the prefix.
    WIN32_FIND_DATAW data = {};
    HANDLE find = FindFirstFileW((std::wstring(temp) + L"shi*.tmp").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return 0;
    int count = 0;
    do ++count;
    while (FindNextFileW(find, &data));
    FindClose(find);
    return count;
  }
  static std::wstring Text(const VersionValue& version) { return VersionToText(version); }
};

TEST_F(FileVersionReader, ReadsThroughATemporaryCopyAndRemovesIt) {
  const int before = CountCopies();
  VersionValue version;
  bool copied = false;
  EXPECT_TRUE(ReadVersionResourceFromCopy(BinFolder() + kVersioned, version, copied));
  EXPECT_TRUE(copied);
  EXPECT_EQ(Text(version), L"2.5.7.9");

  VersionValue untouched;
  untouched.parts[0] = 7;
  EXPECT_FALSE(ReadVersionResourceFromCopy(BinFolder() + kPlain, untouched, copied));
  EXPECT_TRUE(copied);
  EXPECT_FALSE(ReadVersionResourceFromCopy(BinFolder() + L"absent.exe", untouched, copied));
  EXPECT_FALSE(copied);
  EXPECT_EQ(untouched.parts[0], 7);
  EXPECT_EQ(CountCopies(), before);
}

TEST_F(FileVersionReader, WindowsFolderIsComparedCharacterByCharacter) {
  wchar_t windows[MAX_PATH] = {};
  ASSERT_GT(GetWindowsDirectoryW(windows, MAX_PATH), 3u);
  std::wstring inside = std::wstring(windows) + L"\\notepad.exe";
  EXPECT_TRUE(IsBelowWindowsFolder(inside));
  // Same folder to a case-blind eye, a different text character by character.
  for (wchar_t& c : inside) c = iswlower(c) ? towupper(c) : towlower(c);
  EXPECT_FALSE(IsBelowWindowsFolder(inside));
  EXPECT_FALSE(IsBelowWindowsFolder(BinFolder() + kVersioned));
  EXPECT_FALSE(IsBelowWindowsFolder(L""));

  EXPECT_EQ(Text(GetFileVersion(BinFolder() + kVersioned)), L"2.5.7.9");
  EXPECT_TRUE(GetFileVersion(BinFolder() + kPlain).IsZero());
  EXPECT_TRUE(GetFileVersion(BinFolder() + L"absent.exe").IsZero());
}

}  // namespace
}  // namespace tessaro
