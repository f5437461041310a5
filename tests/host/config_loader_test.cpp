// What the loaders make of a document beyond what the checker's table shows:
// the decimal reading rule, the words of KeepFiles, which location wins and is
// expanded, and how many prerequisites a broken entry leaves.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "config/options_loader.h"
#include "platform/decimal_text.h"

namespace tessaro {
namespace {

// Lines given with "\n" endings reach the parser with the CR-LF it needs.
ConfigDocument Ini(const std::wstring& lines) {
  std::wstring text;
  for (wchar_t c : lines) text += c == L'\n' ? std::wstring(L"\r\n") : std::wstring(1, c);
  ConfigDocument document;
  document.Parse(text);
  return document;
}

TEST(ConfigDecimalInt, LeadingSpacesSignsDigitsAndWrap) {
  const std::pair<const wchar_t*, std::int32_t> cases[] = {
      {L"12abc", 12}, {L"", 0},    {L"-5", -5}, {L"  -+7", -7},     {L"+7", 7},
      {L"+-7", 0},    {L"\t7", 0}, {L"-", 0},   {L"4294967297", 1}, {L"2147483648", INT32_MIN}};
  for (const auto& [text, expected] : cases) EXPECT_EQ(ParseDecimalInt(text), expected) << text;
  EXPECT_EQ(ParseDecimalInt(L"99999999999999999999999"), -159383553);
  // Read as written: digits to the end, none lost to the wrap.
  for (const wchar_t* plain : {L"0", L"  -+7", L"4294967295", L"-2147483648"}) EXPECT_TRUE(IsPlainDecimal(plain));
  for (const wchar_t* misread : {L"-", L"12 ", L"4294967296"}) EXPECT_FALSE(IsPlainDecimal(misread)) << misread;
}

// "minimum" and "complete" are proven by the download runs, a word in the wrong case by the checker.
TEST(ConfigGeneralOptions, KeepFilesWordsAreExact) {
  for (const auto& [word, expected] : {std::pair<std::wstring, int>{L"prereqs", kKeepFilesPrereqs}, {L"Prereqs", 0}}) {
    GeneralOptions options;
    ASSERT_TRUE(LoadGeneralOptions(Ini(L"[GeneralOptions]\nKeepFiles=" + word), options));
    EXPECT_EQ(options.keepFiles, expected) << word;
  }
}

std::wstring ExpandMarked(const std::wstring& location) { return L"<" + location + L">"; }

TEST(ConfigPrerequisite, FirstLocationKeyWinsAndOnlyRemoteOnesAreExpanded) {
  const ConfigDocument document =
      Ini(L"[PREREQUISITES]\nApp1=All\nApp2=SiteUrl\nApp3=UrlOnly\n[All]\nUrl=u\nOpenSite=o\nSetupFile=s\n"
          L"[SiteUrl]\nUrl=u\nOpenSite=o\nLanguageList=1033;\n[UrlOnly]\nUrl=u\nLanguageList=1033\n");
  ChainerOptions options;
  LoadPrerequisites(document, options, ExpandMarked);
  ASSERT_EQ(options.prerequisites.size(), 3u);
  const auto& p = options.prerequisites;
  EXPECT_EQ((std::vector<SourceKind>{p[0].sourceKind, p[1].sourceKind, p[2].sourceKind}),
            (std::vector<SourceKind>{SourceKind::Package, SourceKind::Site, SourceKind::Download}));
  // A language list is closed with one ";", never two.
  EXPECT_EQ((std::vector<std::wstring>{p[0].location, p[1].location, p[2].location, p[1].languageList,
                                       p[2].languageList}),
            (std::vector<std::wstring>{L"s", L"<o>", L"<u>", L"1033;", L"1033;"}));
}

TEST(ConfigPrerequisite, ListEndsAtFirstBrokenEntryAndARejectedRecordIsLeftAlone) {
  const struct {
    const char* what;
    const wchar_t* lines;
    std::size_t loaded;
  } cases[] = {
      {"no list", L"", 0},
      {"no leading zeros", L"[PREREQUISITES]\nApp01=Good\n", 0},
      {"gap", L"[PREREQUISITES]\nApp1=Good\nApp3=Good\n", 1},
      {"missing section", L"[PREREQUISITES]\nApp1=Good\nApp2=Missing\nApp3=Good\n", 1},
      {"no location", L"[PREREQUISITES]\nApp1=Good\nApp2=No\nApp3=Good\n[No]\nSetupFile1=s\nsetupfile=s\n", 1},
      {"search without string",
       L"[PREREQUISITES]\nApp1=Good\nApp2=No\nApp3=Good\n[No]\nUrl=u\nSearchType1=1\nSearchString1=a\nSearchType2=2\n",
       1},
      {"same section twice", L"[PREREQUISITES]\nApp1=Good\nApp2=Good\n", 2},
  };
  for (const auto& c : cases) {
    ConfigDocument document = Ini(c.lines);
    document.SetValue(L"Good", L"Url", L"u");
    ChainerOptions options;
    LoadPrerequisites(document, options, nullptr);
    EXPECT_EQ(options.prerequisites.size(), c.loaded) << c.what;
    for (const Prerequisite& p : options.prerequisites) EXPECT_EQ(p.name, L"Good") << c.what;
  }
  // Searches read before the broken one do not leak into the caller's record.
  Prerequisite record;
  record.name = L"kept";
  EXPECT_FALSE(LoadPrerequisite(Ini(cases[5].lines), 2, record));
  EXPECT_EQ(record.name, L"kept");
  EXPECT_TRUE(record.location.empty() && record.searches.empty());
}

}  // namespace
}  // namespace tessaro
