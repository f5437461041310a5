// Registry reading, and the description of the running Windows read from it:
// the real system's is in every end-to-end log header, these are the systems
// Wine does not show.
#include "platform/registry.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "platform/os_description.h"
#include "test_support.h"

namespace tessaro {
namespace {

using test_support::ScratchKey;

std::wstring Read(const ScratchKey& scratch, const std::wstring& name) {
  std::wstring text = L"untouched";
  return ReadRegistryValueText(scratch.Key(), name, text) ? text : L"<failed:" + text + L">";
}

// Any other root text is a user's hive.
TEST(RegistryRootFromPath, KnowsTheRootNamesInAnyCase) {
  const std::pair<const wchar_t*, HKEY> cases[] = {{L"hklm\\Software", HKEY_LOCAL_MACHINE},
                                                   {L"hkey_current_user\\x", HKEY_CURRENT_USER},
                                                   {L"HKCR\\x", HKEY_CLASSES_ROOT},
                                                   {L"HkCc\\x", HKEY_CURRENT_CONFIG},
                                                   {L"HKLMX\\x", HKEY_USERS},
                                                   {L"\\x", HKEY_USERS},
                                                   {L"Software", nullptr}};
  for (const auto& [path, root] : cases) EXPECT_EQ(RegistryRootFromPath(path), root) << path;
}

TEST(ReadRegistryValueText, ReadsTextUpToTheLastNonNulAndDwordsInDecimalAndRefusesOtherTypes) {
  ScratchKey scratch;
  scratch.SetRaw(L"expand", REG_EXPAND_SZ, L"%SystemRoot%\\x", 30);
  scratch.SetRaw(L"multi", REG_MULTI_SZ, L"one\0two\0\0", 20);
  scratch.SetRaw(L"odd", REG_SZ, L"abc", 5);  // no NUL, and half a character
  scratch.SetRaw(L"nuls", REG_SZ, L"\0\0\0", 6);
  scratch.SetText(L"", L"default value");
  scratch.SetNumber(L"max", 0xFFFFFFFFu);
  const std::uint64_t quad = 10;
  scratch.SetRaw(L"qword", REG_QWORD, &quad, sizeof(quad));
  const std::pair<const wchar_t*, std::wstring> cases[] = {
      {L"expand", L"%SystemRoot%\\x"},
      {L"multi", std::wstring(L"one\0two", 7)},
      {L"odd", L"ab"},
      {L"nuls", L""},
      {L"", L"default value"},
      {L"max", L"4294967295"},
      {L"qword", L"<failed:untouched>"},
      {L"missing", L"<failed:untouched>"}};  // failures leave the text alone
  for (const auto& [name, expected] : cases) EXPECT_EQ(Read(scratch, name), expected) << name;
  // Around the 200-byte first buffer and far beyond it, even and odd, with and without a NUL.
  for (const DWORD bytes : {199u, 200u, 201u, 202u, 70001u}) {
    std::wstring content(bytes / 2 + 1, L'\0');
    for (size_t i = 0; i < content.size(); ++i) content[i] = static_cast<wchar_t>(L'A' + i % 26);
    scratch.SetRaw(L"long", REG_SZ, content.c_str(), bytes);
    EXPECT_EQ(Read(scratch, L"long"), content.substr(0, bytes / 2)) << bytes;
    scratch.SetText(L"long", content.substr(0, bytes / 2));
    EXPECT_EQ(Read(scratch, L"long"), content.substr(0, bytes / 2)) << bytes;
  }
}

TEST(RegistryPaths, SplitAtTheFirstAndLastSeparatorAndOpenForReading) {
  ScratchKey scratch;
  scratch.SetNumber(L"Number", 10);
  scratch.SetText(L"Text", L"hello");
  scratch.SetText(L"", L"default");
  scratch.SetRaw(L"Binary", REG_BINARY, "\x01", 1);
  const std::wstring key = L"HKCU\\" + scratch.SubKey() + L"\\";
  EXPECT_EQ(ReadRegistryValueByPath(key + L"Number", false), L"10");
  EXPECT_EQ(ReadRegistryValueByPath(key, false), L"default");
  for (const std::wstring& path : {key + L"Binary", key + L"No such key\\Text", std::wstring(L"Software")})
    EXPECT_EQ(ReadRegistryValueByPath(path, false), L"") << path;
  // Read access only.
  UniqueRegistryKey opened = OpenRegistryKey(L"HKEY_CURRENT_USER\\" + scratch.SubKey(), true);
  ASSERT_TRUE(opened);
  EXPECT_NE(RegSetValueExW(opened.Get(), L"w", 0, REG_SZ, reinterpret_cast<const BYTE*>(L""), 2),
            ERROR_SUCCESS);
}

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

  void Version(const wchar_t* name, const std::wstring& text) const {
    root_.SetText(name, text, REG_SZ, kVersion);
  }
  void ProductType(const std::wstring& text) const { root_.SetText(L"ProductType", text, REG_SZ, kOptions); }

  static constexpr const wchar_t* kVersion = L"Software\\Microsoft\\Windows NT\\CurrentVersion";
  static constexpr const wchar_t* kOptions = L"SYSTEM\\CurrentControlSet\\Control\\ProductOptions";
  ScratchKey root_;
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
