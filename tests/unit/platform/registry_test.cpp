#include "platform/registry.h"

#include <gtest/gtest.h>

#include <cstdint>

#include "test_support.h"

namespace tessaro {
namespace {

using test_support::ScratchKey;

std::wstring Read(const ScratchKey& scratch, const std::wstring& name) {
  std::wstring text = L"untouched";
  return ReadRegistryValueText(scratch.Key(), name, text) ? text : L"<failed:" + text + L">";
}

TEST(RegistryRootFromPath, KnowsTheRootNamesInAnyCase) {
  const std::pair<const wchar_t*, HKEY> cases[] = {
      {L"hklm\\Software", HKEY_LOCAL_MACHINE}, {L"hkey_current_user\\x", HKEY_CURRENT_USER},
      {L"HKCR\\x", HKEY_CLASSES_ROOT},         {L"HkCc\\x", HKEY_CURRENT_CONFIG},
      {L"HKLMX\\x", HKEY_USERS},               {L"\\x", HKEY_USERS},  // any other text is a user's hive
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
      {L"expand", L"%SystemRoot%\\x"}, {L"multi", std::wstring(L"one\0two", 7)}, {L"odd", L"ab"},
      {L"nuls", L""},                  {L"", L"default value"},                  {L"max", L"4294967295"},
      {L"qword", L"<failed:untouched>"}, {L"missing", L"<failed:untouched>"}};  // failures leave the text alone
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
  EXPECT_NE(RegSetValueExW(opened.Get(), L"w", 0, REG_SZ, reinterpret_cast<const BYTE*>(L""), 2), ERROR_SUCCESS);
}

// Registry-value properties pick their view apart from the key opener, whose
// views the wow64 scenarios prove.
TEST(RegistryPaths, NeverReadTheThirtyTwoBitViewInThisBuild) {
  ScratchKey view32(HKEY_LOCAL_MACHINE, KEY_WOW64_32KEY);
  ScratchKey view64(HKEY_LOCAL_MACHINE, KEY_WOW64_64KEY);
  view32.SetText(L"Where", L"32");
  view64.SetText(L"Where", L"64");
  for (const bool use64BitView : {false, true}) {
    EXPECT_EQ(ReadRegistryValueByPath(L"HKLM\\" + view64.SubKey() + L"\\Where", use64BitView), L"64");
    EXPECT_EQ(ReadRegistryValueByPath(L"HKLM\\" + view32.SubKey() + L"\\Where", use64BitView), L"");
  }
  // The 32-bit view is where a 32-bit process's writes land.
  const std::wstring redirected = L"HKLM\\Software\\Wow6432Node" + view32.SubKey().substr(8) + L"\\Where";
  EXPECT_EQ(ReadRegistryValueByPath(redirected, true), L"32");
}

}  // namespace
}  // namespace tessaro
