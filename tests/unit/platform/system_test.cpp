// Error texts, system-folder library loading and the WOW64 entries.
#include <gtest/gtest.h>

#include "platform/error_text.h"
#include "platform/system_library.h"
#include "platform/wow64.h"
#include "platform_scratch.h"

namespace tessaro {
namespace {

using testing::ScratchFolder;

TEST(ErrorText, GivesTheSystemMessageOrTheCodeInDecimal) {
  const std::wstring notFound = ErrorText(ERROR_FILE_NOT_FOUND);
  EXPECT_NE(notFound, L"2");
  EXPECT_GT(notFound.size(), 3u);
  // Codes the system has no text for, the chainer's own ones among them.
  EXPECT_EQ(ErrorText(0x2000BEEF), L"536919791");
  EXPECT_EQ(ErrorText(0xE0000005), L"-536870907");
}

TEST(LoadSystemLibrary, LoadsFromTheSystemFolderOnly) {
  const HMODULE msi = LoadSystemLibrary(L"msi.dll");
  ASSERT_NE(msi, nullptr);
  EXPECT_NE(GetProcedure<FARPROC>(msi, "MsiGetProductInfoW"), nullptr);
  EXPECT_EQ(GetProcedure<FARPROC>(msi, "NoSuchEntry"), nullptr);
  EXPECT_EQ(GetProcedure<FARPROC>(nullptr, "MsiGetProductInfoW"), nullptr);

  // A library in the current directory is not found; LoadLibraryW would find
  // it there and fail on its contents instead.
  ScratchFolder scratch;
  const std::wstring planted = scratch / L"tessaro_planted.dll";
  const HANDLE file = CreateFileW(planted.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  DWORD written = 0;
  WriteFile(file, "not a library", 13, &written, nullptr);
  CloseHandle(file);
  wchar_t previous[MAX_PATH];
  GetCurrentDirectoryW(MAX_PATH, previous);
  ASSERT_TRUE(SetCurrentDirectoryW(scratch.Path().c_str()));
  const HMODULE fromSystem = LoadSystemLibrary(L"tessaro_planted.dll");
  const DWORD systemError = GetLastError();
  const HMODULE fromSearchPath = LoadLibraryW(L"tessaro_planted.dll");
  const DWORD searchPathError = GetLastError();
  SetCurrentDirectoryW(previous);
  EXPECT_EQ(fromSystem, nullptr);
  EXPECT_EQ(systemError, static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
  EXPECT_EQ(fromSearchPath, nullptr);
  EXPECT_NE(searchPathError, static_cast<DWORD>(ERROR_MOD_NOT_FOUND));  // the probe sees the planted file

  for (const wchar_t* name :
       {L"..\\msi.dll", L"C:\\windows\\system32\\msi.dll", L"", static_cast<const wchar_t*>(nullptr)}) {
    SetLastError(0);
    EXPECT_EQ(LoadSystemLibrary(name), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  }
}

TEST(Wow64, ThisBuildRunsNativelyOnSixtyFourBitWindows) {
  const Wow64Functions& functions = LoadWow64Functions();
  EXPECT_EQ(&functions, &LoadWow64Functions());
  EXPECT_NE(functions.isWow64Process, nullptr);
  EXPECT_NE(functions.disableRedirection, nullptr);
  EXPECT_NE(functions.revertRedirection, nullptr);
  EXPECT_FALSE(functions.runsUnderWow64);
  EXPECT_TRUE(IsWindows64Bit());
  RedirectionGuard idle(false);
  EXPECT_FALSE(idle.IsActive());
}

}  // namespace
}  // namespace tessaro
