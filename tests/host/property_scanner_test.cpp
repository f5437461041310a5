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
  std::map<std::wstring, std::wstring> folders{{L"TempFolder", L"C:\\T\\"}, {L"SystemFolder", L"C:\\S\\"}};
  std::map<std::wstring, std::wstring> variables{{L"A", L"alpha"}, {L"REF", L"[TempFolder]%A%!x!"}};
  std::map<std::wstring, std::wstring> values{{L"HKCU\\K\\V", L"reg"}};
  mutable std::vector<std::wstring> asked;

  bool FolderProperty(const std::wstring& name, std::wstring& value) const override {
    asked.push_back(L"[" + name);
    auto it = folders.find(name);
    if (it == folders.end()) return false;
    value = it->second;
    return true;
  }
  std::wstring EnvironmentVariable(const std::wstring& name) const override {
    asked.push_back(L"%" + name);
    auto it = variables.find(name);
    return it == variables.end() ? std::wstring() : it->second;
  }
  std::wstring RegistryValue(const std::wstring& path) const override {
    asked.push_back(L"!" + path);
    auto it = values.find(path);
    return it == values.end() ? std::wstring() : it->second;
  }
};

std::wstring Expand(const std::wstring& text) {
  FakeLookups lookups;
  return ExpandPropertyReferences(text, lookups);
}

TEST(ExpandPropertyReferences, ReplacesEachKindInPlace) {
  EXPECT_EQ(Expand(L"[TempFolder]setup"), L"C:\\T\\setup");
  EXPECT_EQ(Expand(L"x%A%y"), L"xalphay");
  EXPECT_EQ(Expand(L"v=!HKCU\\K\\V!;"), L"v=reg;");
  EXPECT_EQ(Expand(L"[SystemFolder]a\\%A%\\!HKCU\\K\\V!"), L"C:\\S\\a\\alpha\\reg");
  EXPECT_EQ(Expand(L"no references"), L"no references");
  EXPECT_EQ(Expand(L""), L"");
}

TEST(ExpandPropertyReferences, UnknownNamesDifferByKind) {
  // A folder property that does not resolve stays as written (names are case-sensitive) ...
  EXPECT_EQ(Expand(L"[systemfolder]x"), L"[systemfolder]x");
  EXPECT_EQ(Expand(L"[]x"), L"[]x");
  // ... while variables and registry values vanish.
  EXPECT_EQ(Expand(L"%UNDEFINED%\\x"), L"\\x");
  EXPECT_EQ(Expand(L"!HKCU\\No\\Such!\\x"), L"\\x");
  EXPECT_EQ(Expand(L"%%"), L"");
}

TEST(ExpandPropertyReferences, UnterminatedReferenceKeepsTheRestAsWritten) {
  EXPECT_EQ(Expand(L"a[b"), L"a[b");
  EXPECT_EQ(Expand(L"a%b"), L"a%b");
  EXPECT_EQ(Expand(L"100%"), L"100%");
  EXPECT_EQ(Expand(L"!HKCU\\K\\V"), L"!HKCU\\K\\V");
  // Scanning stops at the first unterminated opener, even before complete references.
  FakeLookups lookups;
  EXPECT_EQ(ExpandPropertyReferences(L"%A%[x %A%", lookups), L"alpha[x %A%");
  EXPECT_EQ(lookups.asked, std::vector<std::wstring>{L"%A"});
}

TEST(ExpandPropertyReferences, ScanningResumesAfterTheClosingCharacter) {
  // A closing "]" elsewhere does not matter to "%" and "!".
  EXPECT_EQ(Expand(L"50% and 60%"), L"50");
  EXPECT_EQ(Expand(L"[A%B]%A%"), L"[A%B]alpha");
  EXPECT_EQ(Expand(L"%A%%A%"), L"alphaalpha");
  // The closer of one kind is an opener of none: "]" alone is plain text.
  EXPECT_EQ(Expand(L"a]b"), L"a]b");
  // A "!" inside a folder name belongs to the name.
  FakeLookups lookups;
  EXPECT_EQ(ExpandPropertyReferences(L"[Odd!Name]", lookups), L"[Odd!Name]");
  EXPECT_EQ(lookups.asked, std::vector<std::wstring>{L"[Odd!Name"});
}

TEST(ExpandPropertyReferences, ReplacementsAreNotScannedAgain) {
  FakeLookups lookups;
  EXPECT_EQ(ExpandPropertyReferences(L"%REF%", lookups), L"[TempFolder]%A%!x!");
  EXPECT_EQ(lookups.asked, std::vector<std::wstring>{L"%REF"});
  lookups.folders[L"Loop"] = L"[Loop]";
  EXPECT_EQ(ExpandPropertyReferences(L"[Loop][Loop]", lookups), L"[Loop][Loop]");
}

}  // namespace
}  // namespace tessaro
