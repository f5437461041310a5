// The description is read from values written on purpose; the real system's
// one is in every end-to-end log header, and the decision and wow64
// scenarios hold the OS names to it.
#include "platform/os_description.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <string>

#include "test_support.h"

namespace tessaro {
namespace {

// Every field in one line, so that a mismatch shows them all.
std::string Summary(const OsDescription& os) {
  char text[200];
  std::snprintf(text, sizeof(text), "%u.%u.%u sp%u csd'%ls' release%u type%u suite%#x server%d 64bit%d",
                os.major, os.minor, os.build, os.servicePack, os.csdVersion.c_str(), os.releaseId,
                os.productType, os.suiteMask, os.isServer, os.is64Bit);
  return text;
}
const std::string k64 = sizeof(void*) == 8 ? " 64bit1" : " 64bit0";

// Points HKEY_LOCAL_MACHINE at a scratch key of the current user for one
// test, so that the description is read from values written on purpose.
class FakeLocalMachine : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(root_.Created());
    ASSERT_EQ(RegOverridePredefKey(HKEY_LOCAL_MACHINE, root_.Key()), ERROR_SUCCESS);
  }
  void TearDown() override { RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr); }

  void Version(const wchar_t* name, const std::wstring& text) const { root_.SetText(name, text, REG_SZ, kVersion); }
  void Product(const wchar_t* name, const std::wstring& text) const { root_.SetText(name, text, REG_SZ, kOptions); }
  // |list| brings its own closing nuls.
  void Suites(const std::wstring& list) const {
    root_.SetRaw(L"ProductSuite", REG_MULTI_SZ, list.data(), DWORD(list.size() * sizeof(wchar_t)), kOptions);
  }

  static constexpr const wchar_t* kVersion = L"Software\\Microsoft\\Windows NT\\CurrentVersion";
  static constexpr const wchar_t* kOptions = L"SYSTEM\\CurrentControlSet\\Control\\ProductOptions";
  test_support::ScratchKey root_;
};

TEST_F(FakeLocalMachine, Windows10NumbersComeFromTheDwordValues) {
  root_.SetNumber(L"CurrentMajorVersionNumber", 10, kVersion);
  root_.SetNumber(L"CurrentMinorVersionNumber", 0, kVersion);
  Version(L"CurrentVersion", L"6.3");
  Version(L"CurrentBuildNumber", L"17763");
  Version(L"ReleaseId", L"1809");
  Product(L"ProductType", L"ServerNT");
  // Only exact names count; the list may hold names that mean nothing.
  Suites(std::wstring(L"Enterprise\0Terminal Server\0terminal server\0Other\0\0", 48));
  EXPECT_EQ(Summary(ReadOsDescription()), "10.0.17763 sp0 csd'' release1809 type3 suite0x12 server1" + k64);
}

// An absent ReleaseId keeps the initial value; any other product type is a domain controller.
TEST_F(FakeLocalMachine, OlderSystemsUseTheVersionTextAndServicePackDigit) {
  Version(L"CurrentVersion", L"5.2");
  Version(L"CurrentBuildNumber", L"3790");
  Version(L"CSDVersion", L"Service Pack 2");
  Product(L"ProductType", L"LanmanNT");
  EXPECT_EQ(Summary(ReadOsDescription()), "5.2.3790 sp2 csd'Service Pack 2' release1507 type2 suite0 server1" + k64);
}

TEST_F(FakeLocalMachine, OddValuesLeaveTheirFieldsAlone) {
  Version(L"CurrentVersion", L"10.0");           // only a three-character text is read
  Version(L"CurrentMajorVersionNumber", L"10");  // wrong type
  Version(L"CSDVersion", L"");
  Product(L"ProductType", L"WinNT");
  // A list that does not fit the 2048-byte buffer sets no bits.
  std::wstring longList;
  while (longList.size() * sizeof(wchar_t) <= 2048) longList += std::wstring(L"Enterprise\0", 11);
  Suites(longList + L'\0');
  EXPECT_EQ(Summary(ReadOsDescription()), "0.0.0 sp0 csd'' release1507 type1 suite0 server0" + k64);
}

TEST_F(FakeLocalMachine, WithoutTheVersionKeyNothingElseIsRead) {
  Product(L"ProductType", L"ServerNT");
  EXPECT_EQ(Summary(ReadOsDescription()), "0.0.0 sp0 csd'' release1507 type1 suite0 server0 64bit0");
}

}  // namespace
}  // namespace tessaro
