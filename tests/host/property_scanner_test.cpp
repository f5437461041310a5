#include "platform/property_scanner.h"

#include <gtest/gtest.h>

#include <map>
#include <vector>

namespace tessaro {
namespace {

// Answers from fixed tables and records every name it was asked about, so a
// test can see which references the scanner actually recognised.
class FakeLookups final : public PropertyLookups {
 public:
  using Table = std::map<std::wstring, std::wstring>;
  Table folders{{L"TempFolder", L"C:\\T\\"}, {L"SystemFolder", L"C:\\S\\"}};
  Table variables{{L"A", L"alpha"}, {L"REF", L"[TempFolder]%A%!x!"}};
  Table values{{L"HKCU\\K\\V", L"reg"}};
  mutable std::vector<std::wstring> asked;

  bool FolderProperty(const std::wstring& name, std::wstring& value) const override {
    if (!folders.contains(Ask(L"[", name))) return false;
    value = folders.at(name);
    return true;
  }
  std::wstring EnvironmentVariable(const std::wstring& name) const override {
    return Find(variables, L"%", name);
  }
  std::wstring RegistryValue(const std::wstring& path) const override { return Find(values, L"!", path); }

 private:
  const std::wstring& Ask(const wchar_t* kind, const std::wstring& name) const {
    asked.push_back(kind + name);
    return name;
  }
  std::wstring Find(const Table& table, const wchar_t* kind, const std::wstring& name) const {
    auto it = table.find(Ask(kind, name));
    return it == table.end() ? std::wstring() : it->second;
  }
};

// |pairs| alternates a text and its expansion.
void ExpectExpanded(const std::vector<std::wstring>& pairs) {
  for (std::size_t i = 0; i + 1 < pairs.size(); i += 2) {
    FakeLookups lookups;
    EXPECT_EQ(ExpandPropertyReferences(pairs[i], lookups), pairs[i + 1]) << testing::PrintToString(pairs[i]);
  }
}

TEST(ExpandPropertyReferences, KnownUnknownAndUnterminatedReferences) {
  ExpectExpanded(
      {L"[TempFolder]setup", L"C:\\T\\setup", L"x%A%y", L"xalphay", L"v=!HKCU\\K\\V!;", L"v=reg;", L"", L""});
  // An unknown folder property stays as written (names are case-sensitive), while unknown
  // variables and registry values vanish.
  ExpectExpanded({L"[systemfolder]x", L"[systemfolder]x", L"%UNDEFINED%\\x", L"\\x", L"!HKCU\\No\\Such!\\x",
                  L"\\x", L"%%", L""});
  // An unterminated reference keeps the rest as written.
  ExpectExpanded({L"a[b", L"a[b", L"a%b", L"a%b", L"!HKCU\\K\\V", L"!HKCU\\K\\V"});
  // Scanning resumes after the closer; a "]" elsewhere does not matter to "%" and "!".
  ExpectExpanded(
      {L"50% and 60%", L"50", L"[A%B]%A%", L"[A%B]alpha", L"%A%%A%", L"alphaalpha", L"a]b", L"a]b"});
}

std::vector<std::wstring> AskedFor(const std::wstring& text, const std::wstring& expanded) {
  FakeLookups lookups;
  lookups.folders[L"Loop"] = L"[Loop]";
  EXPECT_EQ(ExpandPropertyReferences(text, lookups), expanded) << testing::PrintToString(text);
  return lookups.asked;
}

TEST(ExpandPropertyReferences, WhatTheScannerAsksFor) {
  using Names = std::vector<std::wstring>;
  // Scanning stops at the first unterminated opener, even before complete references.
  EXPECT_EQ(AskedFor(L"%A%[x %A%", L"alpha[x %A%"), Names{L"%A"});
  // A "!" inside a folder name belongs to the name.
  EXPECT_EQ(AskedFor(L"[Odd!Name]", L"[Odd!Name]"), Names{L"[Odd!Name"});
  // Replacements are not scanned again.
  EXPECT_EQ(AskedFor(L"%REF%", L"[TempFolder]%A%!x!"), Names{L"%REF"});
  EXPECT_EQ(AskedFor(L"[Loop][Loop]", L"[Loop][Loop]"), (Names{L"[Loop", L"[Loop"}));
}

}  // namespace
}  // namespace tessaro
