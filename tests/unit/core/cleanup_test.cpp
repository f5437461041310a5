#include "core/cleanup.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

namespace tessaro {
namespace {

// The folders that get scripts: strictly between the executable and the
// clean-up folder, innermost first, found by text alone (none need exist).
// A plain parent, an unrelated and an empty clean-up folder run end to end.
TEST(Cleanup, FoldersBetweenTheExecutableAndTheCleanupFolder) {
  const std::wstring exe = L"C:\\T\\A\\B\\setup.exe";
  const std::wstring other = L"C:\\Tools\\A\\setup.exe";
  const struct {
    const wchar_t* cleanupFolder;
    std::wstring executable;
    std::vector<std::wstring> targets;
  } cases[] = {
      {L"C:\\T\\", exe, {exe, L"C:\\T\\A\\B", L"C:\\T\\A"}},
      // A drive root is never a target itself.
      {L"C:\\", exe, {exe, L"C:\\T\\A\\B", L"C:\\T\\A", L"C:\\T"}},
      {L"C:\\T\\A\\B", exe, {exe}},
      // Not a parent: only a text prefix, a case that differs, or nothing.
      {L"C:\\T", other, {other}},
      {L"c:\\t", exe, {exe}},
      {L"\\", exe, {exe}},
  };
  for (const auto& c : cases) {
    Cleanup cleanup;
    cleanup.BuildCleanupLists(L"", c.cleanupFolder, c.executable, L"C:\\T\\A\\B\\setup.ini");
    std::vector<std::wstring> targets;
    for (const DeleteRequest& request : cleanup.Requests()) {
      targets.push_back(request.target);
      EXPECT_EQ(request.isFolder, request.target != c.executable) << request.target.c_str();
    }
    EXPECT_EQ(targets, c.targets) << c.cleanupFolder;
    EXPECT_EQ(cleanup.FilesToDelete(), std::vector<std::wstring>{L"C:\\T\\A\\B\\setup.ini"})
        << c.cleanupFolder;
  }
}

// A script names its target in the ANSI code page, by its short form when
// it has one (the end-to-end scenarios show that); otherwise exactly or not
// at all.
TEST(Cleanup, ScriptTargetsAreExactAnsiOrNone) {
  Cleanup cleanup;
  cleanup.AddDeleteRequest(L"C:\\gone\\plain name.txt", false);
  // A best fit ("e" for U+0113) would name another file.
  cleanup.AddDeleteRequest(L"C:\\gone\\caf\u0113.txt", false);
  cleanup.AddDeleteRequest(L"C:\\gone\\plain name.txt", true);  // already there
  ASSERT_EQ(cleanup.Requests().size(), 2u);
  EXPECT_EQ(cleanup.Requests()[0].scriptTarget, "C:\\gone\\plain name.txt");
  if (GetACP() != CP_UTF8) {
    EXPECT_EQ(cleanup.Requests()[1].scriptTarget, "");
  }
}

}  // namespace
}  // namespace tessaro
