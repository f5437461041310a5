// Windows Installer searches against a real package (built with wixl during
// the test build), installed into the test prefix with msiexec and removed.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "platform/process.h"
#include "search_test_support.h"

namespace tessaro {
namespace {

using test_support::RunOnce;
using test_support::Texts;

// The codes of the "Search" family of tests/data/msi/test_product.wxs.
const wchar_t kProductCode[] = L"{5E3C3A52-7A41-4F0B-9C1D-2B7E6D4A1F01}";
const wchar_t kUpgradeCode[] = L"{5E3C3A52-7A41-4F0B-9C1D-2B7E6D4A1F02}";
const wchar_t kComponentCode[] = L"{5E3C3A52-7A41-4F0B-9C1D-2B7E6D4A1F03}";

std::wstring PackagePath() { return test_support::BinPath(L"search_product.msi"); }
bool PackageBuilt() { return GetFileAttributesW(PackagePath().c_str()) != INVALID_FILE_ATTRIBUTES; }

bool RunMsiexec(const wchar_t* action) {
  unsigned long exitCode = 1;
  const std::wstring commandLine =
      std::wstring(L"msiexec.exe ") + action + L" \"" + PackagePath() + L"\" /qn";
  return RunProcess(L"", commandLine, &exitCode, 0) && exitCode == 0;
}

TEST(ProductSearch, EachCodeFindsOnlyWhatItNamesAndNothingOnceRemoved) {
  if (!PackageBuilt()) GTEST_SKIP() << "search_product.msi was not built (no wixl)";
  ASSERT_TRUE(RunMsiexec(L"/i")) << "msiexec /i failed";
  EXPECT_EQ(RunOnce(3, kProductCode, L"1.2.3").foundTexts, Texts{L"1.2.3"});
  EXPECT_EQ(RunOnce(4, kUpgradeCode, L"1.0").foundTexts, Texts{L"1.2.3"});
  EXPECT_TRUE(RunOnce(11, kComponentCode).found);
  EXPECT_TRUE(RunOnce(4, kProductCode).foundTexts.empty());
  EXPECT_FALSE(RunOnce(11, kProductCode).found);
  for (const wchar_t* code : {L"{00000000-1111-2222-3333-444444444444}", L"", L"not a code",
                              L"{5E3C3A52-7A41-4F0B-9C1D-2B7E6D4A1F01"}) {
    EXPECT_TRUE(RunOnce(3, code).foundTexts.empty()) << code;
    EXPECT_TRUE(RunOnce(4, code).foundTexts.empty()) << code;
    EXPECT_FALSE(RunOnce(11, code).found) << code;
  }

  ASSERT_TRUE(RunMsiexec(L"/x")) << "msiexec /x failed";
  EXPECT_TRUE(RunOnce(3, kProductCode).foundTexts.empty());
  EXPECT_TRUE(RunOnce(4, kUpgradeCode).foundTexts.empty());
  EXPECT_FALSE(RunOnce(11, kComponentCode).found);
}

}  // namespace
}  // namespace tessaro
