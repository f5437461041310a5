// Error texts, system-folder library loading and the WOW64 entries.
#include <gtest/gtest.h>

#include "platform/error_text.h"
#include "platform/system_library.h"
#include "platform/wow64.h"
#include "test_support.h"

namespace tessaro {
namespace {

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
  test_support::ScratchFolder scratch;
  test_support::MakeFile(scratch / L"tessaro_planted.dll", FILE_ATTRIBUTE_NORMAL, "not a library");
  {
    test_support::ScopedCurrentDirectory inScratch(scratch.Path());
    EXPECT_EQ(LoadSystemLibrary(L"tessaro_planted.dll"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
    EXPECT_EQ(LoadLibraryW(L"tessaro_planted.dll"), nullptr);
    EXPECT_NE(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));  // the probe sees the planted file
  }
  for (const wchar_t* name :
       {L"..\\msi.dll", L"C:\\windows\\system32\\msi.dll", L"", static_cast<const wchar_t*>(nullptr)}) {
    SetLastError(0);
    EXPECT_EQ(LoadSystemLibrary(name), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  }
}

TEST(Wow64, ThisBuildRunsNativelyOnSixtyFourBitWindows) {
  const Wow64Functions& functions = LoadWow64Functions();
  EXPECT_NE(functions.isWow64Process, nullptr);
  EXPECT_NE(functions.disableRedirection, nullptr);
  EXPECT_NE(functions.revertRedirection, nullptr);
  EXPECT_FALSE(functions.runsUnderWow64);
  EXPECT_TRUE(IsWindows64Bit());
}

}  // namespace
}  // namespace tessaro
