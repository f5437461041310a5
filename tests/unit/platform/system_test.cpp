// Error texts and system-folder library loading. Planted libraries and the
// WOW64 entries are proven end to end (hardening and wow64 scenarios).
#include <gtest/gtest.h>

#include "platform/error_text.h"
#include "platform/system_library.h"

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

  // Names that could reach beyond the system folder are refused outright.
  for (const wchar_t* name :
       {L"..\\msi.dll", L"C:\\windows\\system32\\msi.dll", L"", static_cast<const wchar_t*>(nullptr)}) {
    SetLastError(0);
    EXPECT_EQ(LoadSystemLibrary(name), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  }
}

}  // namespace
}  // namespace tessaro
