// The configuration file as packages ship it: the layouts the parser must read and the malformed ones it
// must survive quietly, what the loaders make of it beyond the checker's table, and where the file lies.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "config/config_document.h"
#include "config/options_loader.h"
#include "config/return_codes.h"
#include "core/config_path.h"
#include "platform/decimal_text.h"
#include "platform/path_text.h"

namespace tessaro {
namespace {

using Names = std::vector<std::wstring>;

ConfigDocument Parsed(const std::wstring& text) {
  ConfigDocument document;
  document.Parse(text);
  return document;
}

Names SectionNames(const std::wstring& text) {
  Names names{L"stale"};
  Parsed(text).GetSectionNames(names);
  return names;
}

std::wstring ValueOr(const ConfigDocument& document, const std::wstring& section, const std::wstring& key) {
  std::wstring value = L"<absent>";
  (void)document.GetValue(section, key, value);
  return value;
}

TEST(ConfigParse, OnlyCrLfEndsALineOneLeadingMarkIsDroppedAndBracketsDecideHeaders) {
  // CR-only files are one line: no header ends with "]" (LF-only ones run end to end).
  EXPECT_TRUE(SectionNames(L"[S]\ra=1\rb=2").empty());
  EXPECT_TRUE(SectionNames(L"").empty());
  // A lone LF or CR inside a value is kept, at its end it is trimmed like any blank.
  ConfigDocument mixed = Parsed(L"[S]\r\na=x\ny\r\nb=1\r\r\nc=2");
  EXPECT_EQ((Names{ValueOr(mixed, L"S", L"a"), ValueOr(mixed, L"S", L"b"), ValueOr(mixed, L"S", L"c")}),
            (Names{L"x\ny", L"1", L"2"}));
  EXPECT_EQ(SectionNames(L"\xFEFF[S]\r\n"), Names{L"S"});
  EXPECT_TRUE(SectionNames(L"\xFEFF\xFEFF[S]\r\n").empty());
  EXPECT_EQ(ValueOr(Parsed(L"[S]\r\n\xFEFFk=v\r\n"), L"S", L"\xFEFFk"), L"v");

  ConfigDocument headers = Parsed(
      L"  \t[PREREQUISITES] \t\r\n[ Padded ]\r\n[A]x]\r\n[A] note\r\n[]\r\n[\r\n\x01[Ctl]\x1F\r\n"
      L"[A] x=1\r\n[B=2]]x\r\n");
  Names names;
  headers.GetSectionNames(names);
  EXPECT_EQ(names, (Names{L"PREREQUISITES", L" Padded ", L"A]x", L"", L"Ctl"}));
  // Bracket lines that are no header are key lines of the section before.
  EXPECT_EQ(ValueOr(headers, L"Ctl", L"[A] x"), L"1");
  EXPECT_EQ(ValueOr(headers, L"Ctl", L"[B"), L"2]]x");
}

// The first entry of a name wins, in the first section of a name; names are case-sensitive.
TEST(ConfigParse, EntriesSplitAtTheFirstSeparatorAndLoseTheRuntimesBlanksAndTheFirstMatchWins) {
  ConfigDocument document = Parsed(
      L"k=before any header\r\n[S]\r\n \t key \t = \t value with  inner  blanks \t \r\na=b=c\r\n=x\r\n"
      L"empty=\r\nno separator\r\n; A=B\r\n\"q\"=\"v\"\r\nkey=second\r\n"
      // No-break, en quad and ideographic spaces go; a zero-width space (no blank there) stays.
      L"\x00A0\x2000wide\x3000=\x3000v\x00A0\r\nzw\x200B=\x200Bz\r\n[S]\r\nonly=later\r\n[s]\r\nKEY=lower\r\n");
  ASSERT_EQ(document.FindSection(L"S")->entries.size(), 9u);
  const std::pair<const wchar_t*, const wchar_t*> entries[] = {
      {L"key", L"value with  inner  blanks"}, {L"a", L"b=c"},          {L"", L"x"},
      {L"empty", L""},                        {L"; A", L"B"},          {L"\"q\"", L"\"v\""},
      {L"wide", L"v"},                        {L"zw\x200B", L"\x200Bz"}, {L"k", L"<absent>"},
      {L"only", L"<absent>"},                 {L"KEY", L"<absent>"}};
  for (const auto& [key, value] : entries) EXPECT_EQ(ValueOr(document, L"S", key), value) << key;
  EXPECT_EQ(ValueOr(document, L"s", L"KEY"), L"lower");
}

// Lines given with "\n" endings reach the parser with the CR-LF it needs.
ConfigDocument Ini(const std::wstring& lines) {
  std::wstring text;
  for (wchar_t c : lines) text += c == L'\n' ? std::wstring(L"\r\n") : std::wstring(1, c);
  return Parsed(text);
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

TEST(ConfigReturnCodes, DecimalHexAndNegativeItemsAndMalformedOnesSkipped) {
  using Codes = std::vector<std::uint32_t>;
  const struct {
    const wchar_t* text;
    bool wellFormed;
    Codes codes;
  } cases[] = {
      {L" 3010 ,\t1641", true, {3010, 1641}},   {L"  ", true, {}},
      {L"0x80070005,-2147024891", true, {0x80070005u, 0x80070005u}}, {L"0XfF", true, {255}},
      {L"3010,,1641", false, {3010, 1641}},   {L"12 kB,0x,0x123456789,5", false, {5}},
      {L"4294967296,0xg", false, {}},
  };
  for (const auto& c : cases) {
    Codes codes{7};
    EXPECT_EQ(ReadReturnCodes(c.text, codes), c.wellFormed) << c.text;
    EXPECT_EQ(codes, c.codes) << c.text;
  }
}

// "minimum" and "complete" are proven by the download runs, a word in the wrong case by the checker.
TEST(ConfigLoaders, KeepFilesPrereqsFirstLocationKeyWinsAndOnlyRemoteOnesAreExpanded) {
  GeneralOptions general;
  ASSERT_TRUE(LoadGeneralOptions(Ini(L"[GeneralOptions]\nKeepFiles=prereqs\n"), general));
  EXPECT_EQ(general.keepFiles, kKeepFilesPrereqs);

  ChainerOptions options;
  LoadPrerequisites(Ini(L"[PREREQUISITES]\nApp1=All\nApp2=SiteUrl\nApp3=UrlOnly\n[All]\nUrl=u\nOpenSite=o\n"
                        L"SetupFile=s\n[SiteUrl]\nUrl=u\nOpenSite=o\nLanguageList=1033;\n[UrlOnly]\nUrl=u\n"
                        L"LanguageList=1033\n"),
                    options, [](const std::wstring& location) { return L"<" + location + L">"; });
  ASSERT_EQ(options.prerequisites.size(), 3u);
  const auto& p = options.prerequisites;
  EXPECT_EQ((std::vector<SourceKind>{p[0].sourceKind, p[1].sourceKind, p[2].sourceKind}),
            (std::vector<SourceKind>{SourceKind::Package, SourceKind::Site, SourceKind::Download}));
  // A language list is closed with one ";", never two.
  EXPECT_EQ((std::vector<std::wstring>{p[0].location, p[1].location, p[2].location, p[1].languageList,
                                       p[2].languageList}),
            (std::vector<std::wstring>{L"s", L"<o>", L"<u>", L"1033;", L"1033;"}));
}

// Where a broken entry ends the list is the checker table's; the record it was loaded into stays as it was.
TEST(ConfigPrerequisite, ARejectedRecordIsLeftAlone) {
  Prerequisite record;
  record.name = L"kept";
  EXPECT_FALSE(LoadPrerequisite(Ini(L"[PREREQUISITES]\nApp1=No\n[No]\nUrl=u\nSearchType1=1\nSearchString1=a\n"
                                    L"SearchType2=2\n"),
                                1, record));
  EXPECT_EQ(record.name, L"kept");
  EXPECT_TRUE(record.location.empty() && record.searches.empty());
}

TEST(ConfigPath, DerivesTheIniAndTheFolderOfTheExecutable) {
  const wchar_t* cases[][3] = {
      {L"C:\\Pkg\\a.b.exe", L"C:\\Pkg\\a.b.ini", L"C:\\Pkg"},  // never a.ini
      {L"C:\\My.Pkg\\setup", L"C:\\My.Pkg\\setup.ini", L"C:\\My.Pkg"},
      {L"C:\\setup.exe", L"C:\\setup.ini", L"C:"},
      {L"\\\\server\\share\\setup.exe", L"\\\\server\\share\\setup.ini", L"\\\\server\\share"},
      {L"C:\\Pkg\\\\setup.exe", L"C:\\Pkg\\setup.ini", L"C:\\Pkg\\"},  // no second separator
      {L"setup.exe", L"setup.ini", L""},
  };
  for (const auto& [executable, config, folder] : cases) {
    EXPECT_EQ(ConfigPathFor(executable), config) << executable;
    EXPECT_EQ(ParentFolder(executable), folder) << executable;
  }
}

}  // namespace
}  // namespace tessaro
