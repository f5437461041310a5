#include "core/config_path.h"

#include <gtest/gtest.h>

namespace tessaro {
namespace {

struct PathCase {
  const wchar_t* executable;
  const wchar_t* config;
  const wchar_t* folder;
};

TEST(ConfigPath, DerivesTheIniBesideTheExecutable) {
  const PathCase cases[] = {
      {L"C:\\Pkg\\setup.exe", L"C:\\Pkg\\setup.ini", L"C:\\Pkg"},
      // Several dots: only the last extension goes.
      {L"C:\\Pkg\\a.b.exe", L"C:\\Pkg\\a.b.ini", L"C:\\Pkg"},
      // No extension at all: the whole name keeps, ".ini" is appended.
      {L"C:\\Pkg\\setup", L"C:\\Pkg\\setup.ini", L"C:\\Pkg"},
      // A dot in a folder name is not the file's extension.
      {L"C:\\My.Pkg\\setup", L"C:\\My.Pkg\\setup.ini", L"C:\\My.Pkg"},
      {L"C:\\My.Pkg\\setup.exe", L"C:\\My.Pkg\\setup.ini", L"C:\\My.Pkg"},
      // A name that is only an extension keeps nothing but ".ini".
      {L"C:\\Pkg\\.exe", L"C:\\Pkg\\.ini", L"C:\\Pkg"},
      // The executable at a drive's root.
      {L"C:\\setup.exe", L"C:\\setup.ini", L"C:"},
      {L"\\\\server\\share\\setup.exe", L"\\\\server\\share\\setup.ini", L"\\\\server\\share"},
  };
  for (const PathCase& c : cases) {
    EXPECT_EQ(ConfigPathFor(c.executable), c.config) << c.executable;
    EXPECT_EQ(ExecutableFolderOf(c.executable), c.folder) << c.executable;
  }
}

TEST(ConfigPath, FolderEndingWithSeparatorGetsNoSecondOne) {
  // A doubled separator leaves the folder ending with "\".
  EXPECT_EQ(ExecutableFolderOf(L"C:\\Pkg\\\\setup.exe"), L"C:\\Pkg\\");
  EXPECT_EQ(ConfigPathFor(L"C:\\Pkg\\\\setup.exe"), L"C:\\Pkg\\setup.ini");
  EXPECT_EQ(ConfigPathFor(L"\\setup.exe"), L"\\setup.ini");
}

TEST(ConfigPath, PathWithoutSeparatorStaysRelative) {
  EXPECT_EQ(ExecutableFolderOf(L"setup.exe"), L"");
  EXPECT_EQ(ConfigPathFor(L"setup.exe"), L"setup.ini");
  EXPECT_EQ(ConfigPathFor(L"setup"), L"setup.ini");
  EXPECT_EQ(ConfigPathFor(L""), L".ini");
}

}  // namespace
}  // namespace tessaro
