#include "core/config_path.h"
#include "platform/path_text.h"

#include <gtest/gtest.h>

namespace tessaro {
namespace {

// "a.b.exe" and an executable without extension are proven by whole runs.
TEST(ConfigPath, DerivesTheIniAndTheFolderOfTheExecutable) {
  const struct {
    const wchar_t *executable, *config, *folder;
  } cases[] = {
      {L"C:\\My.Pkg\\setup", L"C:\\My.Pkg\\setup.ini", L"C:\\My.Pkg"},  // a dot in a folder is no extension
      {L"C:\\Pkg\\.exe", L"C:\\Pkg\\.ini", L"C:\\Pkg"},
      {L"C:\\setup.exe", L"C:\\setup.ini", L"C:"},
      {L"\\\\server\\share\\setup.exe", L"\\\\server\\share\\setup.ini", L"\\\\server\\share"},
      {L"C:\\Pkg\\\\setup.exe", L"C:\\Pkg\\setup.ini", L"C:\\Pkg\\"},  // no second separator
      {L"setup.exe", L"setup.ini", L""},
      {L"", L".ini", L""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ConfigPathFor(c.executable), c.config) << c.executable;
    EXPECT_EQ(ParentFolder(c.executable), c.folder) << c.executable;
  }
}

}  // namespace
}  // namespace tessaro
