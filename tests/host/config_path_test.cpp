#include "core/config_path.h"
#include "platform/path_text.h"

#include <gtest/gtest.h>

namespace tessaro {
namespace {

// Whole runs prove "a.b.exe" and a name without extension; these are the folders no run has.
TEST(ConfigPath, DerivesTheIniAndTheFolderOfTheExecutable) {
  const wchar_t* cases[][3] = {
      {L"C:\\My.Pkg\\setup", L"C:\\My.Pkg\\setup.ini", L"C:\\My.Pkg"},
      {L"C:\\setup.exe", L"C:\\setup.ini", L"C:"},
      {L"\\\\server\\share\\setup.exe", L"\\\\server\\share\\setup.ini", L"\\\\server\\share"},
      {L"C:\\Pkg\\\\setup.exe", L"C:\\Pkg\\setup.ini", L"C:\\Pkg\\"},  // no second separator
      {L"setup.exe", L"setup.ini", L""},
  };
  for (const auto& [executable, config, folder] : cases) {
    EXPECT_EQ(ConfigPathFor(executable), config) << executable;
    EXPECT_EQ(ParentFolder(executable), folder) << executable;
  }
}

}  // namespace
}  // namespace tessaro
