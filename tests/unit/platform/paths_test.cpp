#include "platform/paths.h"

#include <gtest/gtest.h>

#include <limits>

#include "platform_scratch.h"

namespace tessaro {
namespace {

using testing::ScratchFolder;

bool IsFolder(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(ToLongForm(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool IsFile(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(ToLongForm(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

void MakeFile(const std::wstring& path, DWORD attributes = FILE_ATTRIBUTE_NORMAL) {
  const HANDLE file =
      CreateFileW(ToLongForm(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, attributes, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE) << GetLastError();
  CloseHandle(file);
}

// A path below |base| that is longer than |length| characters, made of
// 50-character folder names.
std::wstring DeepPath(const std::wstring& base, size_t length) {
  std::wstring path = base;
  for (int level = 0; path.size() <= length; ++level)
    path += L"\\" + std::wstring(49, L'a' + level % 26) + L"d";
  return path;
}

TEST(ToLongForm, AddsThePrefixToLongDriveAndNetworkPathsOnly) {
  const std::wstring drive = L"C:\\" + std::wstring(297, L'x');
  EXPECT_EQ(ToLongForm(drive), L"\\\\?\\" + drive);
  const std::wstring network = L"\\\\server\\share\\" + std::wstring(286, L'x');
  EXPECT_EQ(ToLongForm(network), L"\\\\?\\UNC\\server\\share\\" + std::wstring(286, L'x'));

  // Already long, in any case of "UNC": unchanged (and not "\\?\UNC\?\...").
  for (const std::wstring& longForm :
       {L"\\\\?\\" + drive, L"\\\\?\\UNC\\server\\share\\" + std::wstring(286, L'x'),
        L"\\\\?\\unc\\server\\share\\" + std::wstring(286, L'x')}) {
    EXPECT_EQ(ToLongForm(longForm), longForm);
  }
  // 248 characters is where CreateDirectoryW needs it.
  const std::wstring atLimit = L"C:\\" + std::wstring(245, L'x');
  EXPECT_EQ(ToLongForm(atLimit), L"\\\\?\\" + atLimit);
  const std::wstring belowLimit = L"C:\\" + std::wstring(244, L'x');
  EXPECT_EQ(ToLongForm(belowLimit), belowLimit);
  const std::wstring relative(300, L'r');
  EXPECT_EQ(ToLongForm(relative), relative);
  EXPECT_EQ(ToLongForm(L""), L"");
  EXPECT_EQ(ToLongForm(L"\\"), L"\\");
  EXPECT_EQ(ToLongForm(std::wstring(40000, L'\\')).substr(0, 4), L"\\\\?\\");

  // And back, for the shell.
  EXPECT_EQ(FromLongForm(ToLongForm(drive)), drive);
  EXPECT_EQ(FromLongForm(ToLongForm(network)), network);
  EXPECT_EQ(FromLongForm(L"\\\\?\\unc\\server\\share"), L"\\\\server\\share");
}

TEST(NormalizePath, TrimsComponentsAndKeepsRootsAndFolderProperties) {
  const struct {
    const wchar_t* in;
    const wchar_t* out;
  } cases[] = {
      {L"C:\\Program Files. \\Sub .\\file.txt. ", L"C:\\Program Files\\Sub\\file.txt"},
      {L"C:\\a\\\\b\\", L"C:\\a\\b\\"},
      {L"\\\\server. \\share. \\dir. ", L"\\\\server. \\share. \\dir"},
      {L"\\\\?\\C:\\a \\b", L"\\\\?\\C:\\a\\b"},
      {L"\\\\?\\UNC\\srv\\sh\\a.", L"\\\\?\\UNC\\srv\\sh\\a"},
      {L"[TempFolder]\\Downloads. \\x", L"[TempFolder]Downloads\\x"},
      {L"[A]\\[B]\\c", L"[A][B]c"},
      {L"relative \\path", L"relative\\path"},
      {L"\\rooted\\x ", L"\\rooted\\x"},
      {L"C:", L"C:"},
      {L"C:\\", L"C:\\"},
      {L"x", L"x"},
      {L"", L""},
  };
  for (const auto& c : cases) EXPECT_EQ(NormalizePath(c.in), c.out) << c.in;
  const std::wstring huge = L"C:\\" + std::wstring(40000, L'y');
  EXPECT_EQ(NormalizePath(huge + L" . "), huge);
}

TEST(MakeFullPath, ResolvesAgainstTheCurrentDirectoryAndNormalizes) {
  ScratchFolder scratch;
  wchar_t previous[MAX_PATH];
  GetCurrentDirectoryW(MAX_PATH, previous);
  ASSERT_TRUE(SetCurrentDirectoryW(scratch.Path().c_str()));
  const std::wstring full = MakeFullPath(L"down. \\load ");
  const std::wstring parent = MakeFullPath(L"..\\x");
  SetCurrentDirectoryW(previous);
  EXPECT_EQ(full, scratch / L"down\\load");
  EXPECT_EQ(parent, ParentFolder(scratch.Path()) + L"\\x");
  EXPECT_EQ(MakeFullPath(L""), L"");
}

TEST(PathExists, FindsOnlyAbsoluteExistingPaths) {
  ScratchFolder scratch;
  MakeFile(scratch / L"file.txt");
  EXPECT_TRUE(PathExists(scratch / L"file.txt"));
  EXPECT_TRUE(PathExists(scratch.Path()));
  EXPECT_TRUE(PathExists(scratch.Path() + L"\\"));
  EXPECT_FALSE(PathExists(scratch / L"missing"));
  EXPECT_FALSE(PathExists(scratch / L"*"));
  EXPECT_FALSE(PathExists(scratch / L"fil?.txt"));
  EXPECT_FALSE(PathExists(L""));
  EXPECT_FALSE(PathExists(L"C"));
  EXPECT_FALSE(PathExists(L"\\"));

  // Relative paths never exist, even when the current directory holds them.
  wchar_t previous[MAX_PATH];
  GetCurrentDirectoryW(MAX_PATH, previous);
  ASSERT_TRUE(SetCurrentDirectoryW(scratch.Path().c_str()));
  const bool relativeExists = PathExists(L"file.txt");
  SetCurrentDirectoryW(previous);
  EXPECT_FALSE(relativeExists);

  const std::wstring deep = DeepPath(scratch.Path(), 300);
  ASSERT_EQ(CreateDirectories(deep, true, nullptr), 0u);
  EXPECT_TRUE(PathExists(deep));
  EXPECT_FALSE(PathExists(deep + L"\\missing"));
  EXPECT_FALSE(PathExists(L"C:\\" + std::wstring(40000, L'q')));
}

TEST(CreateDirectories, CreatesTheMissingLevelsAndListsThem) {
  ScratchFolder scratch;
  std::vector<std::wstring> created;
  EXPECT_EQ(CreateDirectories(scratch / L"a\\b\\file.txt", false, &created), 0u);
  EXPECT_EQ(created, (std::vector<std::wstring>{scratch / L"a", scratch / L"a\\b"}));
  EXPECT_TRUE(IsFolder(scratch / L"a\\b"));
  EXPECT_FALSE(PathExists(scratch / L"a\\b\\file.txt"));

  // Existing levels count as success and are not listed again.
  created.clear();
  EXPECT_EQ(CreateDirectories(scratch / L"a\\b\\c\\", true, &created), 0u);
  EXPECT_EQ(created, std::vector<std::wstring>{scratch / L"a\\b\\c"});
  created.clear();
  EXPECT_EQ(CreateDirectories(scratch / L"a\\b", true, &created), 0u);
  EXPECT_TRUE(created.empty());
  EXPECT_EQ(CreateDirectories(scratch / L"x\\y", true, nullptr), 0u);
  EXPECT_TRUE(IsFolder(scratch / L"x\\y"));

  // A name beyond every limit fails at its own level and leaves nothing behind.
  created.clear();
  EXPECT_NE(CreateDirectories(scratch / (L"z\\" + std::wstring(40000, L'z')), true, &created), 0u);
  EXPECT_EQ(created, std::vector<std::wstring>{scratch / L"z"});
  EXPECT_FALSE(PathExists(scratch / L"z"));
  EXPECT_EQ(CreateDirectories(L"", true, nullptr), 0u);
}

TEST(CreateDirectories, CreatesPathsBeyondTheClassicLimit) {
  ScratchFolder scratch;
  const std::wstring deep = DeepPath(scratch.Path(), 400);
  std::vector<std::wstring> created;
  EXPECT_EQ(CreateDirectories(deep + L"\\setup.exe", false, &created), 0u);
  EXPECT_TRUE(IsFolder(deep));
  ASSERT_FALSE(created.empty());
  EXPECT_EQ(created.back(), deep);
  EXPECT_EQ(created.front(), scratch / (std::wstring(49, L'a') + L"d"));
}

TEST(CreateDirectories, StopsAtTheFirstLocalFailureAndTakesBackTheLevelAbove) {
  ScratchFolder scratch;
  std::vector<std::wstring> created;
  const unsigned long error = CreateDirectories(scratch / L"new\\bad|name\\deeper", true, &created);
  EXPECT_EQ(error, static_cast<unsigned long>(ERROR_INVALID_NAME));
  // "new" was made, listed, and removed again because it stayed empty.
  EXPECT_EQ(created, std::vector<std::wstring>{scratch / L"new"});
  EXPECT_FALSE(PathExists(scratch / L"new"));

  // A failure at the first level below the root removes nothing above it.
  MakeFile(scratch / L"keep.txt");
  EXPECT_NE(CreateDirectories(scratch / L"keep.txt\\sub", true, nullptr), 0u);
  EXPECT_TRUE(IsFile(scratch / L"keep.txt"));
  EXPECT_TRUE(IsFolder(scratch.Path()));
}

TEST(DeleteFolderContents, EmptiesTheTreeIncludingReadOnlyAndLongEntries) {
  ScratchFolder scratch;
  const std::wstring top = scratch / L"top";
  ASSERT_EQ(CreateDirectories(top + L"\\sub\\subsub", true, nullptr), 0u);
  MakeFile(top + L"\\plain.txt");
  MakeFile(top + L"\\sub\\readonly.txt", FILE_ATTRIBUTE_READONLY);
  MakeFile(top + L"\\sub\\subsub\\hidden.txt", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY);
  ASSERT_TRUE(SetFileAttributesW((top + L"\\sub").c_str(), FILE_ATTRIBUTE_READONLY));
  const std::wstring deep = DeepPath(top, 320);
  ASSERT_EQ(CreateDirectories(deep, true, nullptr), 0u);
  MakeFile(deep + L"\\long.txt", FILE_ATTRIBUTE_READONLY);

  DeleteFolderContents(top + L"\\");
  EXPECT_TRUE(IsFolder(top));
  WIN32_FIND_DATAW data;
  const HANDLE find = FindFirstFileW((top + L"\\*").c_str(), &data);
  int entries = 0;
  if (find != INVALID_HANDLE_VALUE) {
    do {
      if (std::wstring(data.cFileName) != L"." && std::wstring(data.cFileName) != L"..") ++entries;
    } while (FindNextFileW(find, &data));
    FindClose(find);
  }
  EXPECT_EQ(entries, 0);

  DeleteFolderContents(L"");  // must not touch the current drive's root
  DeleteFolderContents(scratch / L"missing");
}

TEST(DeleteFileLongAndRemoveDirectoryLong, HandleBothSidesOfTheLimit) {
  ScratchFolder scratch;
  const std::wstring deep = DeepPath(scratch.Path(), 270);
  ASSERT_EQ(CreateDirectories(deep, true, nullptr), 0u);
  MakeFile(deep + L"\\f.txt");
  EXPECT_FALSE(RemoveDirectoryLong(deep));  // not empty
  EXPECT_TRUE(DeleteFileLong(deep + L"\\f.txt"));
  EXPECT_FALSE(DeleteFileLong(deep + L"\\f.txt"));
  EXPECT_TRUE(RemoveDirectoryLong(ToLongForm(deep)));
  MakeFile(scratch / L"short.txt");
  EXPECT_TRUE(DeleteFileLong(scratch / L"short.txt"));
  EXPECT_FALSE(DeleteFileLong(L""));
  EXPECT_FALSE(RemoveDirectoryLong(std::wstring(40000, L'z')));
}

TEST(RemoveEmptyParents, ClimbsWhileLongerThanTheStopAndKeepsNonEmptyFolders) {
  ScratchFolder scratch;
  ASSERT_EQ(CreateDirectories(scratch / L"a\\b\\c\\d", true, nullptr), 0u);
  MakeFile(scratch / L"a\\keep.txt");
  RemoveEmptyParents(scratch / L"a\\b\\c\\d", scratch.Path() + L"\\");
  EXPECT_FALSE(PathExists(scratch / L"a\\b"));
  EXPECT_TRUE(IsFolder(scratch / L"a"));

  ASSERT_EQ(CreateDirectories(scratch / L"e\\f", true, nullptr), 0u);
  RemoveEmptyParents(scratch / L"e\\f", scratch / L"e");
  EXPECT_FALSE(PathExists(scratch / L"e\\f"));
  EXPECT_TRUE(IsFolder(scratch / L"e"));  // the stop itself stays
  RemoveEmptyParents(scratch / L"e", scratch / L"e");
  EXPECT_TRUE(IsFolder(scratch / L"e"));
  RemoveEmptyParents(L"", L"");
}

TEST(GetTempFolder, IsComputedOnceAndEndsWithASeparator) {
  const std::wstring& first = GetTempFolder();
  EXPECT_EQ(&first, &GetTempFolder());
  ASSERT_FALSE(first.empty());
  EXPECT_EQ(first.back(), L'\\');
  EXPECT_TRUE(PathExists(first));
}

TEST(CreateUniqueTempFile, MakesNewFilesWithTheGivenExtension) {
  ScratchFolder scratch;
  const std::wstring batch = CreateUniqueTempFile(scratch.Path(), L"EXE", L".bat");
  const std::wstring download = CreateUniqueTempFile(scratch.Path(), L"123", L"DLD");
  const std::wstring plain = CreateUniqueTempFile(scratch.Path(), L"URL", L"");
  for (const std::wstring& path : {batch, download, plain}) {
    ASSERT_FALSE(path.empty());
    EXPECT_EQ(ParentFolder(path), scratch.Path());
    EXPECT_TRUE(IsFile(path)) << path;
  }
  EXPECT_EQ(batch.substr(scratch.Path().size() + 1, 3), L"EXE");
  EXPECT_EQ(batch.substr(batch.size() - 4), L".bat");
  EXPECT_EQ(download.substr(download.size() - 4), L".DLD");
  EXPECT_EQ(plain.substr(plain.size() - 4), L".tmp");
  // The renamed files leave no .tmp file behind.
  EXPECT_FALSE(PathExists(batch.substr(0, batch.size() - 4) + L".tmp"));
  EXPECT_NE(CreateUniqueTempFile(scratch.Path(), L"EXE", L".bat"), batch);

  EXPECT_EQ(CreateUniqueTempFile(scratch / L"missing", L"EXE", L".bat"), L"");
}

TEST(HasFreeSpace, AnswersForTheNearestExistingAncestor) {
  ScratchFolder scratch;
  const std::wstring notYet = scratch / L"not\\yet\\there";
  EXPECT_TRUE(HasFreeSpace(notYet, 0));
  EXPECT_TRUE(HasFreeSpace(notYet + L"\\", 1024));
  EXPECT_FALSE(HasFreeSpace(notYet, std::numeric_limits<std::uint64_t>::max()));
  EXPECT_TRUE(HasFreeSpace(DeepPath(scratch.Path(), 400), 0));
  EXPECT_TRUE(HasFreeSpace(scratch / std::wstring(40000, L'h'), 0));
  EXPECT_FALSE(HasFreeSpace(L"", 0));
  EXPECT_FALSE(HasFreeSpace(L"\\\\nosuchserver.invalid\\share\\x", 0));
}

}  // namespace
}  // namespace tessaro
