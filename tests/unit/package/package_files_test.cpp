#include "package/package_files.h"

#include <gtest/gtest.h>
#include <windows.h>

namespace tessaro {
namespace {

TEST(PackageFiles, ExecutablePathGivesItsFolderAndEmptyMeansThisProgram) {
  PackageFiles files;
  files.SetExecutablePath(L"C:\\pkg\\sub\\setup.exe");
  EXPECT_EQ(files.ExecutablePath(), L"C:\\pkg\\sub\\setup.exe");
  EXPECT_EQ(files.ExecutableFolder(), L"C:\\pkg\\sub\\");
  files.SetExecutablePath(L"C:\\setup.exe");
  EXPECT_EQ(files.ExecutableFolder(), L"C:\\");

  wchar_t module[MAX_PATH] = {};
  ASSERT_GT(GetModuleFileNameW(nullptr, module, MAX_PATH), 0u);
  files.SetExecutablePath(L"");
  EXPECT_EQ(files.ExecutablePath(), module);
  const std::wstring path = module;
  EXPECT_EQ(files.ExecutableFolder(), path.substr(0, path.rfind(L'\\') + 1));
}

TEST(PackageFiles, FilesResolveInTheExtractionFolderElseBesideTheExecutable) {
  PackageFiles files;
  files.SetExecutablePath(L"C:\\pkg\\setup.exe");
  unsigned long result = 99;
  EXPECT_EQ(files.ResolveFile(L"redist\\vc.exe", &result), L"C:\\pkg\\redist\\vc.exe");
  EXPECT_EQ(result, 0u);
  // Existence is not checked, and the name is appended unchanged.
  EXPECT_EQ(files.ResolveFile(L"..\\missing.msi"), L"C:\\pkg\\..\\missing.msi");

  files.SetExtractionFolder(L"D:\\extract");
  EXPECT_EQ(files.ResolveFile(L"redist\\vc.exe"), L"D:\\extract\\redist\\vc.exe");
  files.SetExtractionFolder(L"D:\\extract\\");
  EXPECT_EQ(files.ResolveFile(L"vc.exe"), L"D:\\extract\\vc.exe");
  files.SetExtractionFolder(L"");
  EXPECT_EQ(files.ResolveFile(L"vc.exe"), L"C:\\pkg\\vc.exe");

  files.SetExecutablePath(L"setup.exe");
  EXPECT_EQ(files.ResolveFile(L"vc.exe"), L"vc.exe");
}

}  // namespace
}  // namespace tessaro
