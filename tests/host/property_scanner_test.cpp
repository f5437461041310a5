#include "platform/property_scanner.h"

#include <gtest/gtest.h>

#include <map>
#include <vector>

namespace tessaro {
namespace {

// Answers from one table keyed by opener and name, recording what it is asked (the references recognised).
class FakeLookups final : public PropertyLookups {
 public:
  std::map<std::wstring, std::wstring> table{{L"[TempFolder", L"C:\\T\\"}, {L"[Loop", L"[Loop]"},
                                             {L"%A", L"alpha"},           {L"%REF", L"[TempFolder]%A%!x!"},
                                             {L"!HKCU\\K\\V", L"reg"}};
  mutable std::vector<std::wstring> asked;

  bool FolderProperty(const std::wstring& name, std::wstring& value) const override {
    value = Find(L"[" + name);
    return table.contains(L"[" + name);
  }
  std::wstring EnvironmentVariable(const std::wstring& name) const override { return Find(L"%" + name); }
  std::wstring RegistryValue(const std::wstring& path) const override { return Find(L"!" + path); }

 private:
  std::wstring Find(const std::wstring& key) const {
    asked.push_back(key);
    return table.contains(key) ? table.at(key) : std::wstring();
  }
};

TEST(ExpandPropertyReferences, KnownUnknownAndUnterminatedReferencesAndWhatIsAskedFor) {
  using Names = std::vector<std::wstring>;
  const struct {
    const wchar_t *text, *expanded;
    Names asked = {};  // empty: not checked
  } cases[] = {
      {L"[TempFolder]setup", L"C:\\T\\setup"}, {L"x%A%y", L"xalphay"}, {L"v=!HKCU\\K\\V!;", L"v=reg;"},
      // An unknown folder property stays as written (names are case-sensitive),
      // while unknown variables and registry values vanish.
      {L"[tempfolder]x", L"[tempfolder]x"}, {L"%UNDEFINED%\\x!HKCU\\No\\Such!", L"\\x"}, {L"%%", L""},
      // Scanning resumes after the closer; a "]" elsewhere does not matter to "%" and "!".
      {L"50% and 60%", L"50"}, {L"[A%B]%A%", L"[A%B]alpha"}, {L"a]b", L"a]b"},
      // Scanning stops at the first unterminated opener, even before complete references.
      {L"%A%[x %A%", L"alpha[x %A%", {L"%A"}}, {L"!HKCU\\K\\V", L"!HKCU\\K\\V"},
      // A "!" inside a folder name belongs to the name; replacements are not scanned again.
      {L"[Odd!Name]", L"[Odd!Name]", {L"[Odd!Name"}},
      {L"%REF%", L"[TempFolder]%A%!x!", {L"%REF"}},
      {L"[Loop][Loop]", L"[Loop][Loop]", {L"[Loop", L"[Loop"}},
  };
  for (const auto& c : cases) {
    FakeLookups lookups;
    EXPECT_EQ(ExpandPropertyReferences(c.text, lookups), c.expanded) << testing::PrintToString(c.text);
    if (!c.asked.empty()) EXPECT_EQ(lookups.asked, c.asked) << testing::PrintToString(c.text);
  }
}

}  // namespace
}  // namespace tessaro
