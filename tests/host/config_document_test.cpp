// The parser against the file layouts that packages actually ship, and the
// malformed ones that must degrade quietly. Decoding is held against real
// files by the reader's test and fuzzed with the loaders.
#include "config/config_document.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tessaro {
namespace {

using Names = std::vector<std::wstring>;

ConfigDocument Parsed(const std::wstring& text) {
  ConfigDocument document;
  document.Parse(text);
  return document;
}

Names SectionNames(const ConfigDocument& document) {
  Names names{L"stale"};
  document.GetSectionNames(names);
  return names;
}

std::wstring ValueOr(const ConfigDocument& document, const std::wstring& section, const std::wstring& key) {
  std::wstring value = L"<absent>";
  (void)document.GetValue(section, key, value);
  return value;
}

TEST(ConfigParseLines, OnlyCrLfEndsALineAndOneLeadingMarkIsDropped) {
  ConfigDocument crlf = Parsed(L"[S]\r\na=1\r\nb=2");
  EXPECT_EQ(ValueOr(crlf, L"S", L"b"), L"2");
  // CR-only files are one line: no header ends with "]" (LF-only ones run end to end).
  EXPECT_TRUE(SectionNames(Parsed(L"[S]\ra=1\rb=2")).empty());
  EXPECT_TRUE(SectionNames(Parsed(L"")).empty());
  // A lone LF or CR inside a value is kept, at its end it is trimmed like any blank.
  ConfigDocument mixed = Parsed(L"[S]\r\na=x\ny\r\nb=1\r\r\n");
  EXPECT_EQ(ValueOr(mixed, L"S", L"a"), L"x\ny");
  EXPECT_EQ(ValueOr(mixed, L"S", L"b"), L"1");

  EXPECT_EQ(SectionNames(Parsed(L"\xFEFF[S]\r\n")), Names{L"S"});
  EXPECT_TRUE(SectionNames(Parsed(L"\xFEFF\xFEFF[S]\r\n")).empty());
  EXPECT_EQ(ValueOr(Parsed(L"[S]\r\n\xFEFFk=v\r\n"), L"S", L"\xFEFFk"), L"v");
}

TEST(ConfigParseHeaders, BlanksAndBracketsDecideTheName) {
  ConfigDocument document = Parsed(
      L"  \t[PREREQUISITES] \t\r\n[ Padded ]\r\n[A]x]\r\n[A] note\r\n[]\r\n[\r\n\x01[Ctl]\x1F\r\n"
      L"[A] x=1\r\n[B=2]]x\r\n");
  EXPECT_EQ(SectionNames(document), (Names{L"PREREQUISITES", L" Padded ", L"A]x", L"", L"Ctl"}));
  EXPECT_EQ(document.FindSection(L"Padded"), nullptr);
  // Bracket lines that are no header are key lines of the section before.
  EXPECT_EQ(ValueOr(document, L"Ctl", L"[A] x"), L"1");
  EXPECT_EQ(ValueOr(document, L"Ctl", L"[B"), L"2]]x");
}

TEST(ConfigParseEntries, SplitAndTrim) {
  ConfigDocument document = Parsed(
      L"k=before any header\r\n[S]\r\n \t key \t = \t value with  inner  blanks \t \r\na=b=c\r\n=x\r\n"
      L"empty=\r\nno separator\r\n; A=B\r\n\"q\"=\"v\"\r\n"
      // Blanks of the Windows runtime on every host: no-break, en quad and
      // ideographic spaces go; a zero-width space (not a blank there) stays.
      L"\x00A0\x2000wide\x3000=\x3000v\x00A0\r\nzw\x200B=\x200Bz\r\n");
  ASSERT_EQ(document.FindSection(L"S")->entries.size(), 8u);
  const struct {
    const wchar_t* key;
    const wchar_t* value;
  } entries[] = {{L"key", L"value with  inner  blanks"},
                 {L"a", L"b=c"},
                 {L"", L"x"},
                 {L"empty", L""},
                 {L"; A", L"B"},
                 {L"\"q\"", L"\"v\""},
                 {L"wide", L"v"},
                 {L"zw\x200B", L"\x200Bz"},
                 {L"k", L"<absent>"}};
  for (const auto& e : entries) EXPECT_EQ(ValueOr(document, L"S", e.key), e.value) << e.key;
}

TEST(ConfigLookup, FirstMatchWinsAndNamesAreCaseSensitive) {
  ConfigDocument document = Parsed(
      L"[GeneralOptions]\r\nk=first\r\nk=second\r\n[GeneralOptions]\r\nk=other section\r\nonly=later\r\n"
      L"[generaloptions]\r\nK=lower\r\n");
  EXPECT_EQ(ValueOr(document, L"GeneralOptions", L"k"), L"first");
  EXPECT_EQ(ValueOr(document, L"GeneralOptions", L"only"), L"<absent>");
  EXPECT_EQ(ValueOr(document, L"GeneralOptions", L"K"), L"<absent>");
  EXPECT_EQ(ValueOr(document, L"generaloptions", L"K"), L"lower");
  EXPECT_EQ(ValueOr(document, L"GENERALOPTIONS", L"k"), L"<absent>");
  EXPECT_EQ(document.FindSection(L"GeneralOptions")->entries.size(), 2u);
}

}  // namespace
}  // namespace tessaro
