#include "platform/registry.h"

#include <gtest/gtest.h>

#include <cstdint>

#include "test_support.h"

namespace tessaro {
namespace {

using test_support::ScratchKey;

const std::wstring kUntouched = L"untouched";

std::wstring Read(const ScratchKey& scratch, const std::wstring& name) {
  std::wstring text = kUntouched;
  return ReadRegistryValueText(scratch.Key(), name, text) ? text : L"<failed:" + text + L">";
}

TEST(RegistryRootFromPath, KnowsTheRootNamesInAnyCase) {
  const struct {
    const wchar_t* path;
    HKEY root;
  } cases[] = {{L"hklm\\Software", HKEY_LOCAL_MACHINE}, {L"hkey_current_user\\x", HKEY_CURRENT_USER},
               {L"HKCR\\x", HKEY_CLASSES_ROOT},         {L"HkCc\\x", HKEY_CURRENT_CONFIG},
               // Anything else is a user's hive, an empty root text too.
               {L"HKLMX\\x", HKEY_USERS},               {L"\\x", HKEY_USERS},
               {L"Software", nullptr}};
  for (const auto& c : cases) EXPECT_EQ(RegistryRootFromPath(c.path), c.root) << c.path;
}

TEST(ReadRegistryValueText, ReadsTextTypesUpToTheLastNonNul) {
  ScratchKey scratch;
  const struct {
    const wchar_t* name;
    DWORD type;
    const void* data;
    DWORD bytes;
    std::wstring expected;
  } cases[] = {{L"expand", REG_EXPAND_SZ, L"%SystemRoot%\\x", 30, L"%SystemRoot%\\x"},
               {L"multi", REG_MULTI_SZ, L"one\0two\0\0", 20, std::wstring(L"one\0two", 7)},
               {L"odd", REG_SZ, L"abc", 5, L"ab"},  // no NUL, and half a character
               {L"nuls", REG_SZ, L"\0\0\0", 6, L""},
               {L"", REG_SZ, L"default value", 28, L"default value"}};
  for (const auto& c : cases) scratch.SetRaw(c.name, c.type, c.data, c.bytes);
  for (const auto& c : cases) EXPECT_EQ(Read(scratch, c.name), c.expected) << c.name;
}

TEST(ReadRegistryValueText, RetriesPastTheFirstBufferForAnySize) {
  ScratchKey scratch;
  // Around the 200-byte first buffer, with and without a NUL, even and odd.
  for (const DWORD bytes : {199u, 200u, 201u, 202u, 70001u}) {
    std::wstring content(bytes / 2 + 1, L'\0');
    for (size_t i = 0; i < content.size(); ++i) content[i] = static_cast<wchar_t>(L'A' + i % 26);
    const std::wstring name = L"v" + std::to_wstring(bytes);
    scratch.SetRaw(name, REG_SZ, content.c_str(), bytes);
    EXPECT_EQ(Read(scratch, name), content.substr(0, bytes / 2)) << bytes;
    scratch.SetText(name + L"z", content.substr(0, bytes / 2));
    EXPECT_EQ(Read(scratch, name + L"z"), content.substr(0, bytes / 2)) << bytes;
  }
}

TEST(ReadRegistryValueText, FormatsDwordsAndRefusesOtherTypes) {
  ScratchKey scratch;
  scratch.SetNumber(L"ten", 10);
  scratch.SetNumber(L"max", 0xFFFFFFFFu);
  EXPECT_EQ(Read(scratch, L"ten"), L"10");
  EXPECT_EQ(Read(scratch, L"max"), L"4294967295");

  // Failures leave the text as it was.
  const std::uint64_t quad = 10;
  const std::vector<unsigned char> bigBinary(5000, 0x41);
  scratch.SetRaw(L"qword", REG_QWORD, &quad, sizeof(quad));
  scratch.SetRaw(L"big binary", REG_BINARY, bigBinary.data(), static_cast<DWORD>(bigBinary.size()));
  for (const wchar_t* name : {L"qword", L"big binary", L"missing"})
    EXPECT_EQ(Read(scratch, name), L"<failed:untouched>") << name;
}

TEST(RegistryPaths, SplitAtTheFirstAndLastSeparatorAndOpenForReading) {
  ScratchKey scratch;
  scratch.SetNumber(L"Number", 10);
  scratch.SetText(L"Text", L"hello");
  scratch.SetText(L"", L"default");
  scratch.SetRaw(L"Binary", REG_BINARY, "\x01", 1);
  const std::wstring key = L"HKCU\\" + scratch.SubKey() + L"\\";

  EXPECT_EQ(ReadRegistryValueByPath(key + L"Number", false), L"10");
  EXPECT_EQ(ReadRegistryValueByPath(key + L"Text", true), L"hello");
  EXPECT_EQ(ReadRegistryValueByPath(key, false), L"default");
  for (const std::wstring& path : {key + L"Binary", key + L"No such key\\Text", std::wstring(L"Software")})
    EXPECT_EQ(ReadRegistryValueByPath(path, false), L"") << path.substr(0, 80);

  UniqueRegistryKey opened = OpenRegistryKey(L"HKEY_CURRENT_USER\\" + scratch.SubKey(), true);
  ASSERT_TRUE(opened);
  std::wstring text;
  EXPECT_TRUE(ReadRegistryValueText(opened.Get(), L"Text", text));
  EXPECT_EQ(text, L"hello");
  // Read access only. Missing keys and paths without a root: the key searches.
  EXPECT_NE(RegSetValueExW(opened.Get(), L"w", 0, REG_SZ, reinterpret_cast<const BYTE*>(L""), 2),
            ERROR_SUCCESS);
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
