// Every install run proves setups beside the executable; these are the paths no run has.
#include "package/package_files.h"

#include <gtest/gtest.h>

namespace tessaro {
namespace {

TEST(PackageFiles, FilesResolveInTheExtractionFolderElseBesideTheExecutable) {
  PackageFiles files;
  files.SetExecutablePath(L"C:\\setup.exe");
  EXPECT_EQ(files.ResolveFile(L"vc.exe"), L"C:\\vc.exe");
  files.SetExecutablePath(L"C:\\pkg\\setup.exe");
  unsigned long result = 99;
  // Existence is not checked, and the name is appended unchanged.
  EXPECT_EQ(files.ResolveFile(L"..\\redist\\vc.exe", &result), L"C:\\pkg\\..\\redist\\vc.exe");
  EXPECT_EQ(result, 0u);
  for (const wchar_t* extraction : {L"D:\\extract", L"D:\\extract\\"}) {
    files.SetExtractionFolder(extraction);
    EXPECT_EQ(files.ResolveFile(L"redist\\vc.exe"), L"D:\\extract\\redist\\vc.exe");
  }
  files.SetExtractionFolder(L"");
  EXPECT_EQ(files.ResolveFile(L"vc.exe"), L"C:\\pkg\\vc.exe");
}

}  // namespace
}  // namespace tessaro
