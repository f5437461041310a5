#include "core/config_path.h"
#include "platform/path_text.h"

#include <gtest/gtest.h>

namespace tessaro {
namespace {

TEST(ConfigPath, DerivesTheIniBesideTheExecutable) {
  const struct {
    const wchar_t* executable;
    const wchar_t* config;
    const wchar_t* folder;
  } cases[] = {
      // "a.b.exe" and an executable without extension are proven by whole runs.
      // A dot in a folder name is not the file's extension.
      {L"C:\\My.Pkg\\setup", L"C:\\My.Pkg\\setup.ini", L"C:\\My.Pkg"},
      {L"C:\\Pkg\\.exe", L"C:\\Pkg\\.ini", L"C:\\Pkg"},
      {L"C:\\setup.exe", L"C:\\setup.ini", L"C:"},
      {L"\\\\server\\share\\setup.exe", L"\\\\server\\share\\setup.ini", L"\\\\server\\share"},
      // A folder already ending with a separator gets no second one.
      {L"C:\\Pkg\\\\setup.exe", L"C:\\Pkg\\setup.ini", L"C:\\Pkg\\"},
      {L"\\setup.exe", L"\\setup.ini", L""},
      // Without a separator the path stays relative.
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
