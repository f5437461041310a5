// The real system's description is in every end-to-end log header; these are
// the systems Wine does not show.
#include "platform/os_description.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <string>

#include "test_support.h"

namespace tessaro {
namespace {

std::string Summary(const OsDescription& os) {
  char text[80];
  std::snprintf(text, sizeof(text), "%u.%u.%u sp%u server%d 64bit%d", os.major, os.minor, os.build,
                os.servicePack, os.isServer, os.is64Bit);
  return text;
}
const std::string k64 = sizeof(void*) == 8 ? " 64bit1" : " 64bit0";

// HKEY_LOCAL_MACHINE is a scratch key of the current user for one test.
class FakeLocalMachine : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(root_.Created());
    ASSERT_EQ(RegOverridePredefKey(HKEY_LOCAL_MACHINE, root_.Key()), ERROR_SUCCESS);
  }
  void TearDown() override { RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr); }

  void Version(const wchar_t* name, const std::wstring& text) const { root_.SetText(name, text, REG_SZ, kVersion); }
  void ProductType(const std::wstring& text) const { root_.SetText(L"ProductType", text, REG_SZ, kOptions); }

  static constexpr const wchar_t* kVersion = L"Software\\Microsoft\\Windows NT\\CurrentVersion";
  static constexpr const wchar_t* kOptions = L"SYSTEM\\CurrentControlSet\\Control\\ProductOptions";
  test_support::ScratchKey root_;
};

TEST_F(FakeLocalMachine, Windows10NumbersComeFromTheDwordValuesOlderOnesFromTheText) {
  root_.SetNumber(L"CurrentMajorVersionNumber", 10, kVersion);
  root_.SetNumber(L"CurrentMinorVersionNumber", 0, kVersion);
  Version(L"CurrentVersion", L"6.3");
  Version(L"CurrentBuildNumber", L"17763");
  ProductType(L"ServerNT");
  EXPECT_EQ(Summary(ReadOsDescription()), "10.0.17763 sp0 server1" + k64);

  root_.SetText(L"CurrentMajorVersionNumber", L"10", REG_SZ, kVersion);  // wrong type: not read
  Version(L"CurrentVersion", L"5.2");
  Version(L"CSDVersion", L"Service Pack 2");
  ProductType(L"LanmanNT");  // a domain controller is a server too
  EXPECT_EQ(Summary(ReadOsDescription()), "5.2.17763 sp2 server1" + k64);

  Version(L"CurrentVersion", L"10.0");  // only a three-character text is read
  Version(L"CSDVersion", L"");
  ProductType(L"WinNT");
  EXPECT_EQ(Summary(ReadOsDescription()), "0.0.17763 sp0 server0" + k64);

  // Without the version key nothing else is read.
  root_.RemoveSubkey(kVersion);
  ProductType(L"ServerNT");
  EXPECT_EQ(Summary(ReadOsDescription()), "0.0.0 sp0 server0 64bit0");
}

}  // namespace
}  // namespace tessaro
