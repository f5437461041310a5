#include "platform/registry.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "platform_scratch.h"

namespace tessaro {
namespace {

using testing::ScratchKey;

const std::wstring kUntouched = L"untouched";

std::wstring Read(const ScratchKey& scratch, const std::wstring& name, bool* ok = nullptr) {
  std::wstring text = kUntouched;
  const bool result = ReadRegistryValueText(scratch.Key(), name, text);
  if (ok != nullptr) *ok = result;
  return result ? text : L"<failed:" + text + L">";
}

TEST(RegistryRootFromPath, KnowsTheRootNamesInAnyCase) {
  const struct {
    const wchar_t* path;
    HKEY root;
  } cases[] = {
      {L"hklm\\Software", HKEY_LOCAL_MACHINE},
      {L"HKEY_LOCAL_MACHINE\\x", HKEY_LOCAL_MACHINE},
      {L"HKCU\\x", HKEY_CURRENT_USER},
      {L"hkey_current_user\\x", HKEY_CURRENT_USER},
      {L"HKCR\\x", HKEY_CLASSES_ROOT},
      {L"HKEY_CLASSES_ROOT\\x", HKEY_CLASSES_ROOT},
      {L"HkCc\\x", HKEY_CURRENT_CONFIG},
      {L"HKEY_CURRENT_CONFIG\\x", HKEY_CURRENT_CONFIG},
      // Anything else is a user's hive, an empty root text too.
      {L"HKU\\S-1-5-18", HKEY_USERS},
      {L"HKLMX\\x", HKEY_USERS},
      {L"\\x", HKEY_USERS},
      {L"Software", nullptr},
      {L"", nullptr},
  };
  for (const auto& c : cases) EXPECT_EQ(RegistryRootFromPath(c.path), c.root) << c.path;
}

TEST(ReadRegistryValueText, ReadsTextTypesUpToTheLastNonNul) {
  ScratchKey scratch;
  scratch.SetText(L"sz", L"plain text");
  scratch.SetText(L"expand", L"%SystemRoot%\\x", REG_EXPAND_SZ);
  const wchar_t multi[] = L"one\0two\0\0";
  scratch.SetRaw(L"multi", REG_MULTI_SZ, multi, sizeof(multi));
  scratch.SetRaw(L"no nul", REG_SZ, L"abc", 3 * sizeof(wchar_t));
  scratch.SetRaw(L"odd", REG_SZ, L"abc", 5);  // "ab" and half a character
  scratch.SetRaw(L"one byte", REG_SZ, "A", 1);
  scratch.SetRaw(L"empty", REG_SZ, L"", 0);
  scratch.SetRaw(L"nuls", REG_SZ, L"\0\0\0", 6);
  scratch.SetRaw(L"inner nul", REG_SZ, L"a\0b\0", 8);
  scratch.SetText(L"", L"default value");

  EXPECT_EQ(Read(scratch, L"sz"), L"plain text");
  EXPECT_EQ(Read(scratch, L"expand"), L"%SystemRoot%\\x");
  EXPECT_EQ(Read(scratch, L"multi"), std::wstring(L"one\0two", 7));
  EXPECT_EQ(Read(scratch, L"no nul"), L"abc");
  EXPECT_EQ(Read(scratch, L"odd"), L"ab");
  EXPECT_EQ(Read(scratch, L"one byte"), L"");
  EXPECT_EQ(Read(scratch, L"empty"), L"");
  EXPECT_EQ(Read(scratch, L"nuls"), L"");
  EXPECT_EQ(Read(scratch, L"inner nul"), std::wstring(L"a\0b", 3));
  EXPECT_EQ(Read(scratch, L""), L"default value");
}

TEST(ReadRegistryValueText, RetriesPastTheFirstBufferForAnySize) {
  ScratchKey scratch;
  // Around the 200-byte first buffer, with and without a NUL, even and odd.
  for (const DWORD bytes : {198u, 199u, 200u, 201u, 202u, 203u, 4000u, 4001u, 70001u}) {
    std::wstring content(bytes / 2 + 1, L'\0');
    for (size_t i = 0; i < content.size(); ++i) content[i] = static_cast<wchar_t>(L'A' + i % 26);
    const std::wstring name = L"v" + std::to_wstring(bytes);
    scratch.SetRaw(name, REG_SZ, content.c_str(), bytes);
    EXPECT_EQ(Read(scratch, name), content.substr(0, bytes / 2)) << bytes;

    std::wstring terminated = content.substr(0, bytes / 2);
    scratch.SetText(name + L"z", terminated);
    EXPECT_EQ(Read(scratch, name + L"z"), terminated) << bytes;
  }
}

TEST(ReadRegistryValueText, FormatsDwordsAndRefusesOtherTypes) {
  ScratchKey scratch;
  scratch.SetNumber(L"ten", 10);
  scratch.SetNumber(L"max", 0xFFFFFFFFu);
  scratch.SetRaw(L"short dword", REG_DWORD, "\x01\x02", 2);
  const std::uint64_t quad = 10;
  scratch.SetRaw(L"qword", REG_QWORD, &quad, sizeof(quad));
  scratch.SetRaw(L"binary", REG_BINARY, "\x31\x00\x32\x00", 4);
  std::vector<unsigned char> bigBinary(5000, 0x41);
  scratch.SetRaw(L"big binary", REG_BINARY, bigBinary.data(), static_cast<DWORD>(bigBinary.size()));
  scratch.SetRaw(L"none", REG_NONE, L"x", 4);
  const DWORD bigEndian = 10;
  scratch.SetRaw(L"big endian", REG_DWORD_BIG_ENDIAN, &bigEndian, sizeof(bigEndian));

  EXPECT_EQ(Read(scratch, L"ten"), L"10");
  EXPECT_EQ(Read(scratch, L"max"), L"4294967295");
  // Failures leave the text as it was.
  for (const wchar_t* name :
       {L"short dword", L"qword", L"binary", L"big binary", L"none", L"big endian", L"missing"}) {
    EXPECT_EQ(Read(scratch, name), L"<failed:untouched>") << name;
  }
  std::wstring text = kUntouched;
  EXPECT_FALSE(ReadRegistryValueText(nullptr, L"x", text));
  EXPECT_EQ(text, kUntouched);
}

TEST(ReadRegistryValueByPath, SplitsAtTheFirstAndLastSeparator) {
  ScratchKey scratch;
  scratch.SetNumber(L"Number", 10);
  scratch.SetText(L"Text", L"hello");
  scratch.SetText(L"", L"default");
  scratch.SetRaw(L"Binary", REG_BINARY, "\x01", 1);
  const std::wstring key = L"HKCU\\" + scratch.SubKey() + L"\\";

  EXPECT_EQ(ReadRegistryValueByPath(key + L"Number", false), L"10");
  EXPECT_EQ(ReadRegistryValueByPath(key + L"Text", true), L"hello");
  EXPECT_EQ(ReadRegistryValueByPath(L"hkey_current_user\\" + scratch.SubKey() + L"\\Text", false), L"hello");
  EXPECT_EQ(ReadRegistryValueByPath(key, false), L"default");
  EXPECT_EQ(ReadRegistryValueByPath(key + L"Binary", false), L"");
  EXPECT_EQ(ReadRegistryValueByPath(key + L"Missing", false), L"");
  EXPECT_EQ(ReadRegistryValueByPath(key + L"No such key\\Text", false), L"");
  EXPECT_EQ(ReadRegistryValueByPath(L"Software", false), L"");
  EXPECT_EQ(ReadRegistryValueByPath(L"", false), L"");
  EXPECT_EQ(ReadRegistryValueByPath(L"HKCU\\" + std::wstring(40000, L'k') + L"\\v", false), L"");
}

TEST(OpenRegistryKey, OpensForReadingOrGivesNone) {
  ScratchKey scratch;
  scratch.SetText(L"Text", L"value");
  UniqueRegistryKey key = OpenRegistryKey(L"HKEY_CURRENT_USER\\" + scratch.SubKey(), true);
  ASSERT_TRUE(key);
  std::wstring text;
  EXPECT_TRUE(ReadRegistryValueText(key.Get(), L"Text", text));
  EXPECT_EQ(text, L"value");
  // Read access only.
  EXPECT_NE(RegSetValueExW(key.Get(), L"w", 0, REG_SZ, reinterpret_cast<const BYTE*>(L""), 2), ERROR_SUCCESS);

  EXPECT_FALSE(OpenRegistryKey(L"HKCU\\" + scratch.SubKey() + L"\\missing", false));
  EXPECT_FALSE(OpenRegistryKey(L"Software", false));
  EXPECT_FALSE(OpenRegistryKey(L"", true));
}

TEST(EnumerateValueNames, ListsEveryNameAndAppends) {
  ScratchKey scratch;
  const std::wstring longName(16383, L'n');
  scratch.SetNumber(L"first", 1);
  scratch.SetText(L"second", L"2");
  scratch.SetText(L"", L"default");
  scratch.SetNumber(longName, 3);

  std::vector<std::wstring> names{L"kept"};
  EXPECT_TRUE(EnumerateValueNames(scratch.Key(), names));
  std::sort(names.begin() + 1, names.end());
  EXPECT_EQ(names, (std::vector<std::wstring>{L"kept", L"", L"first", longName, L"second"}));

  ScratchKey empty;
  std::vector<std::wstring> none;
  EXPECT_TRUE(EnumerateValueNames(empty.Key(), none));
  EXPECT_TRUE(none.empty());
  EXPECT_FALSE(EnumerateValueNames(nullptr, none));
}

// HKEY_LOCAL_MACHINE pointed at a scratch key for the length of one test.
class OverriddenMachineRoot {
 public:
  explicit OverriddenMachineRoot(HKEY replacement)
      : active_(RegOverridePredefKey(HKEY_LOCAL_MACHINE, replacement) == ERROR_SUCCESS) {}
  ~OverriddenMachineRoot() {
    if (active_) RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr);
  }
  bool Active() const { return active_; }

 private:
  bool active_;
};

TEST(RegistryPaths, ReadMachineValuesThroughAnOverriddenRoot) {
  ScratchKey fakeMachine;
  HKEY product = nullptr;
  ASSERT_EQ(RegCreateKeyExW(fakeMachine.Key(), L"Software\\Vendor\\Product", 0, nullptr, 0, KEY_ALL_ACCESS,
                            nullptr, &product, nullptr),
            ERROR_SUCCESS);
  RegSetValueExW(product, L"Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(L"1.2.3"), 12);
  RegCloseKey(product);

  OverriddenMachineRoot overridden(fakeMachine.Key());
  ASSERT_TRUE(overridden.Active());
  // Only an honoured override makes the value visible under HKLM.
  HKEY probe = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Vendor\\Product", 0, KEY_READ, &probe) != ERROR_SUCCESS) {
    GTEST_SKIP() << "RegOverridePredefKey is not honoured here";
  }
  RegCloseKey(probe);
  EXPECT_EQ(ReadRegistryValueByPath(L"HKLM\\Software\\Vendor\\Product\\Version", false), L"1.2.3");
  EXPECT_TRUE(OpenRegistryKey(L"HKEY_LOCAL_MACHINE\\Software\\Vendor\\Product", false));
}

TEST(RegistryPaths, NeverReadTheThirtyTwoBitViewInThisBuild) {
  // HKLM\Software is the part of the registry that has two views.
  ScratchKey view32(KEY_WOW64_32KEY, HKEY_LOCAL_MACHINE);
  ScratchKey view64(KEY_WOW64_64KEY, HKEY_LOCAL_MACHINE);
  view32.SetText(L"Where", L"32");
  view64.SetText(L"Where", L"64");
  for (const bool use64BitView : {false, true}) {
    EXPECT_EQ(ReadRegistryValueByPath(L"HKLM\\" + view64.SubKey() + L"\\Where", use64BitView), L"64");
    EXPECT_TRUE(OpenRegistryKey(L"HKLM\\" + view64.SubKey(), use64BitView));
    EXPECT_EQ(ReadRegistryValueByPath(L"HKLM\\" + view32.SubKey() + L"\\Where", use64BitView), L"");
    EXPECT_FALSE(OpenRegistryKey(L"HKLM\\" + view32.SubKey(), use64BitView));
  }
  // The 32-bit view is where a 32-bit process's writes land.
  const std::wstring redirected = L"HKLM\\Software\\Wow6432Node" + view32.SubKey().substr(8) + L"\\Where";
  EXPECT_EQ(ReadRegistryValueByPath(redirected, true), L"32");
}

}  // namespace
}  // namespace tessaro
