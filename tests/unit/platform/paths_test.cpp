#include "platform/paths.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "test_support.h"

namespace tessaro {
namespace {

using namespace test_support;

TEST(ToLongForm, AddsThePrefixToLongDriveAndNetworkPathsOnly) {
  const std::wstring x286(286, L'x');
  const std::wstring drive = L"C:\\" + std::wstring(245, L'x');  // where CreateDirectoryW needs it
  const std::wstring network = L"\\\\server\\share\\" + x286;
  EXPECT_EQ(ToLongForm(drive), L"\\\\?\\" + drive);
  EXPECT_EQ(ToLongForm(network), L"\\\\?\\UNC\\server\\share\\" + x286);
  // Already long in any case of "UNC", short or relative: unchanged.
  for (const std::wstring& unchanged : {L"\\\\?\\" + drive, L"\\\\?\\unc\\server\\share\\" + x286,
                                        L"C:\\" + std::wstring(244, L'x'), std::wstring(300, L'r')})
    EXPECT_EQ(ToLongForm(unchanged), unchanged);
  // And back, for the shell.
  EXPECT_EQ(FromLongForm(ToLongForm(drive)), drive);
  EXPECT_EQ(FromLongForm(ToLongForm(network)), network);
}

TEST(NormalizePath, TrimsComponentsAndKeepsRootsAndFolderProperties) {
  const std::pair<const wchar_t*, const wchar_t*> cases[] = {
      {L"C:\\Program Files. \\Sub .\\file.txt. ", L"C:\\Program Files\\Sub\\file.txt"},
      {L"C:\\a\\\\b\\", L"C:\\a\\b\\"},
      {L"\\\\server. \\share. \\dir. ", L"\\\\server. \\share. \\dir"},
      {L"\\\\?\\C:\\a \\b", L"\\\\?\\C:\\a\\b"},
      {L"\\\\?\\UNC\\srv\\sh\\a.", L"\\\\?\\UNC\\srv\\sh\\a"},
      {L"[TempFolder]\\Downloads. \\x", L"[TempFolder]Downloads\\x"},
      {L"relative \\path", L"relative\\path"},
      {L"", L""}};
  for (const auto& [in, out] : cases) EXPECT_EQ(NormalizePath(in), out) << in;
}

TEST(PathExists, FindsOnlyAbsoluteExistingPathsAndMakeFullPathSuppliesThem) {
  ScratchFolder scratch;
  MakeFile(scratch / L"file.txt");
  for (const std::wstring& path : {scratch / L"file.txt", scratch.Path(), scratch.Path() + L"\\"})
    EXPECT_TRUE(PathExists(path)) << path;
  for (const std::wstring& path :
       {scratch / L"missing", scratch / L"*", scratch / L"fil?.txt", std::wstring(), std::wstring(L"C"),
        std::wstring(L"\\"), L"C:\\" + std::wstring(40000, L'q')})
    EXPECT_FALSE(PathExists(path)) << path.substr(0, 80);

  // Relative paths never exist, even when the current directory holds them;
  // MakeFullPath resolves them against it (effective_folders_test) and normalizes.
  ScopedCurrentDirectory inScratch(scratch.Path());
  EXPECT_FALSE(PathExists(L"file.txt"));
  EXPECT_EQ(MakeFullPath(L"down. \\load "), scratch / L"down\\load");
}

TEST(CreateDirectories, MakesAndListsTheMissingLevelsAndTakesThemBackOnFailure) {
  ScratchFolder scratch;
  std::vector<std::wstring> created;
  EXPECT_EQ(CreateDirectories(scratch / L"a\\b\\file.txt", false, &created), 0u);
  EXPECT_EQ(created, (std::vector<std::wstring>{scratch / L"a", scratch / L"a\\b"}));
  EXPECT_FALSE(PathExists(scratch / L"a\\b\\file.txt"));
  created.clear();
  EXPECT_EQ(CreateDirectories(scratch / L"a\\b\\c\\", true, &created), 0u);
  EXPECT_EQ(created, std::vector<std::wstring>{scratch / L"a\\b\\c"});
  EXPECT_EQ(CreateDirectories(scratch / L"a\\b", true, &created), 0u);
  EXPECT_EQ(created.size(), 1u) << "a path that is there already adds nothing";
  // Beyond the classic limit.
  std::wstring deep = scratch.Path();
  while (deep.size() <= 400) deep += L"\\" + std::wstring(50, L'd');
  EXPECT_EQ(CreateDirectories(deep + L"\\setup.exe", false, nullptr), 0u);
  EXPECT_TRUE(IsFolder(deep) && PathExists(deep));

  // A failure half-way takes back what this call made, deepest first, and
  // nothing that was there before, empty as it may be.
  ASSERT_TRUE(CreateDirectoryW((scratch / L"empty").c_str(), nullptr));
  for (const wchar_t* path : {L"empty\\bad|name\\f", L"empty\\new\\newer\\bad|name\\deeper\\f"}) {
    created.clear();
    EXPECT_EQ(CreateDirectories(scratch / path, false, &created),
              static_cast<unsigned long>(ERROR_INVALID_NAME));
    EXPECT_TRUE(created.empty()) << path;
    EXPECT_TRUE(IsFolder(scratch / L"empty") && IsEmptyFolder(scratch / L"empty")) << path;
  }
}

TEST(HasFreeSpace, AnswersForTheNearestExistingAncestor) {
  ScratchFolder scratch;
  EXPECT_TRUE(HasFreeSpace(scratch / L"not\\yet\\there\\", 1024));
  EXPECT_FALSE(HasFreeSpace(scratch / L"not\\yet", UINT64_MAX));
  EXPECT_FALSE(HasFreeSpace(L"\\\\nosuchserver.invalid\\share\\x", 0));
}

}  // namespace
}  // namespace tessaro
