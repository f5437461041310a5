#include "platform/os_description.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "prereq/os_names.h"

namespace tessaro {
namespace {

TEST(OsDescription, AgreesWithTheSystemsOwnVersionReport) {
  const OsDescription& os = GetOsDescription();
  EXPECT_EQ(&os, &GetOsDescription()) << "one description per process";

  OSVERSIONINFOEXW info{};
  info.dwOSVersionInfoSize = sizeof(info);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  ASSERT_TRUE(GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&info)));
#pragma GCC diagnostic pop
  // Without a manifest, newer systems report 6.2 to old programs; the registry tells the truth.
  if (info.dwMajorVersion == 6 && info.dwMinorVersion == 2 && os.major == 10) GTEST_SKIP();
  EXPECT_EQ(os.major, info.dwMajorVersion);
  EXPECT_EQ(os.minor, info.dwMinorVersion);
  EXPECT_EQ(os.build, info.dwBuildNumber);
  EXPECT_EQ(os.servicePack, info.wServicePackMajor);
  EXPECT_EQ(os.isServer, info.wProductType != VER_NT_WORKSTATION);
  EXPECT_EQ(os.productType, info.wProductType);
#ifdef _WIN64
  EXPECT_TRUE(os.is64Bit) << "a 64-bit process runs on 64-bit Windows only";
#endif

  EXPECT_NE(GetDetailedOsName(), L"OsNotIdentified");
  EXPECT_NE(GetGenericOsName(), L"OsNotIdentified");
  EXPECT_EQ(GetDetailedOsName(), DetailedOsName(os));
  EXPECT_EQ(GetGenericOsName(), GenericOsName(os));
  printf("OS names here: \"%ls\" / \"%ls\"\n", GetDetailedOsName().c_str(), GetGenericOsName().c_str());
}

TEST(OsNames, LocaleNameJoinsIdAndDisplayName) {
  const std::wstring english = LocaleName(1033);
  EXPECT_EQ(english.rfind(L"1033-", 0), 0u);
  EXPECT_GT(english.size(), 5u) << "the display name is missing";
  EXPECT_NE(english.find(L"English"), std::wstring::npos) << std::string(english.begin(), english.end());
  EXPECT_EQ(LocaleName(1031).rfind(L"1031-", 0), 0u);
}

// Points HKEY_LOCAL_MACHINE at a scratch key of the current user for one test,
// so that the description can be read from values written on purpose.
class FakeLocalMachine : public testing::Test {
 protected:
  void SetUp() override {
    const std::string testName = testing::UnitTest::GetInstance()->current_test_info()->name();
    keyPath_ = L"Software\\Tessaro Tests\\os-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
               std::wstring(testName.begin(), testName.end());
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, keyPath_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &root_,
                              nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(RegOverridePredefKey(HKEY_LOCAL_MACHINE, root_), ERROR_SUCCESS);
  }
  void TearDown() override {
    RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr);
    if (root_ != nullptr) RegCloseKey(root_);
    RegDeleteTreeW(HKEY_CURRENT_USER, keyPath_.c_str());
  }

  HKEY Key(const wchar_t* path) {
    HKEY key = nullptr;
    EXPECT_EQ(RegCreateKeyExW(root_, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr), ERROR_SUCCESS);
    opened_.push_back(key);
    return key;
  }
  HKEY CurrentVersion() { return Key(L"Software\\Microsoft\\Windows NT\\CurrentVersion"); }
  HKEY ProductOptions() { return Key(L"SYSTEM\\CurrentControlSet\\Control\\ProductOptions"); }

  static void SetText(HKEY key, const wchar_t* name, const std::wstring& text) {
    ASSERT_EQ(RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                             static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))),
              ERROR_SUCCESS);
  }
  static void SetMultiText(HKEY key, const wchar_t* name, const std::wstring& texts) {
    ASSERT_EQ(RegSetValueExW(key, name, 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>(texts.data()),
                             static_cast<DWORD>(texts.size() * sizeof(wchar_t))),
              ERROR_SUCCESS);
  }
  static void SetDword(HKEY key, const wchar_t* name, DWORD value) {
    ASSERT_EQ(RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value)),
              ERROR_SUCCESS);
  }

  ~FakeLocalMachine() override {
    for (HKEY key : opened_) RegCloseKey(key);
  }

  std::wstring keyPath_;
  HKEY root_ = nullptr;
  std::vector<HKEY> opened_;
};

TEST_F(FakeLocalMachine, Windows10NumbersComeFromTheDwordValues) {
  HKEY version = CurrentVersion();
  SetDword(version, L"CurrentMajorVersionNumber", 10);
  SetDword(version, L"CurrentMinorVersionNumber", 0);
  SetText(version, L"CurrentVersion", L"6.3");
  SetText(version, L"CurrentBuildNumber", L"17763");
  SetText(version, L"ReleaseId", L"1809");
  HKEY options = ProductOptions();
  SetText(options, L"ProductType", L"ServerNT");
  // Only exact names count; the list may hold names that mean nothing.
  SetMultiText(options, L"ProductSuite", std::wstring(L"Enterprise\0Terminal Server\0terminal server\0Other\0\0", 48));

  const OsDescription os = ReadOsDescription();
  EXPECT_EQ(os.major, 10u);
  EXPECT_EQ(os.minor, 0u);
  EXPECT_EQ(os.build, 17763u);
  EXPECT_EQ(os.releaseId, 1809u);
  EXPECT_EQ(os.servicePack, 0u);
  EXPECT_TRUE(os.csdVersion.empty());
  EXPECT_EQ(os.productType, 3);
  EXPECT_TRUE(os.isServer);
  EXPECT_EQ(os.suiteMask, 0x12);
#ifdef _WIN64
  EXPECT_TRUE(os.is64Bit);
  EXPECT_EQ(DetailedOsName(os), L"Windows Server 2019 x64");
  EXPECT_EQ(GenericOsName(os), L"Windows Server x64");
#endif
}

TEST_F(FakeLocalMachine, OlderSystemsUseTheVersionTextAndServicePackDigit) {
  HKEY version = CurrentVersion();
  SetText(version, L"CurrentVersion", L"5.2");
  SetText(version, L"CurrentBuildNumber", L"3790");
  SetText(version, L"CSDVersion", L"Service Pack 2");
  SetText(ProductOptions(), L"ProductType", L"LanmanNT");

  const OsDescription os = ReadOsDescription();
  EXPECT_EQ(os.major, 5u);
  EXPECT_EQ(os.minor, 2u);
  EXPECT_EQ(os.build, 3790u);
  EXPECT_EQ(os.csdVersion, L"Service Pack 2");
  EXPECT_EQ(os.servicePack, 2u);
  EXPECT_EQ(os.releaseId, 1507u) << "an absent ReleaseId keeps the initial value";
  EXPECT_EQ(os.productType, 2) << "any other product type is a domain controller";
  EXPECT_TRUE(os.isServer);
  EXPECT_EQ(os.suiteMask, 0);
}

TEST_F(FakeLocalMachine, OddValuesLeaveTheirFieldsAlone) {
  HKEY version = CurrentVersion();
  SetText(version, L"CurrentVersion", L"10.0");  // only a three-character text is read
  SetText(version, L"CurrentMajorVersionNumber", L"10");  // wrong type
  SetText(version, L"CSDVersion", L"");
  HKEY options = ProductOptions();
  SetText(options, L"ProductType", L"WinNT");
  // A list that does not fit the 2048-byte buffer sets no bits.
  std::wstring longList;
  while (longList.size() * sizeof(wchar_t) <= 2048) longList += std::wstring(L"Enterprise\0", 11);
  longList += L'\0';
  SetMultiText(options, L"ProductSuite", longList);

  const OsDescription os = ReadOsDescription();
  EXPECT_EQ(os.major, 0u);
  EXPECT_EQ(os.minor, 0u);
  EXPECT_EQ(os.servicePack, 0u);
  EXPECT_EQ(os.productType, 1);
  EXPECT_FALSE(os.isServer);
  EXPECT_EQ(os.suiteMask, 0);
  EXPECT_EQ(DetailedOsName(os), L"OsNotIdentified");
}

TEST_F(FakeLocalMachine, WithoutTheVersionKeyNothingElseIsRead) {
  SetText(ProductOptions(), L"ProductType", L"ServerNT");
  const OsDescription os = ReadOsDescription();
  EXPECT_EQ(os.major, 0u);
  EXPECT_EQ(os.productType, 1);
  EXPECT_FALSE(os.isServer);
  EXPECT_FALSE(os.is64Bit);
  EXPECT_EQ(os.releaseId, 1507u);
  EXPECT_EQ(GenericOsName(os), L"OsNotIdentified");
}

}  // namespace
}  // namespace tessaro
