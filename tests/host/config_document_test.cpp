// The parser against the file layouts that packages actually ship, and the
// malformed ones that must degrade quietly.
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

TEST(ConfigParse, EntriesSplitAtTheFirstSeparatorAndLoseTheRuntimesBlanks) {
  ConfigDocument document = Parsed(
      L"k=before any header\r\n[S]\r\n \t key \t = \t value with  inner  blanks \t \r\na=b=c\r\n=x\r\n"
      L"empty=\r\nno separator\r\n; A=B\r\n\"q\"=\"v\"\r\n"
      // No-break, en quad and ideographic spaces go; a zero-width space (no blank there) stays.
      L"\x00A0\x2000wide\x3000=\x3000v\x00A0\r\nzw\x200B=\x200Bz\r\n");
  ASSERT_EQ(document.FindSection(L"S")->entries.size(), 8u);
  const std::pair<const wchar_t*, const wchar_t*> entries[] = {
      {L"key", L"value with  inner  blanks"}, {L"a", L"b=c"},          {L"", L"x"},
      {L"empty", L""},                        {L"; A", L"B"},          {L"\"q\"", L"\"v\""},
      {L"wide", L"v"},                        {L"zw\x200B", L"\x200Bz"}, {L"k", L"<absent>"}};
  for (const auto& [key, value] : entries) EXPECT_EQ(ValueOr(document, L"S", key), value) << key;
}

TEST(ConfigParse, FirstMatchWinsAndNamesAreCaseSensitive) {
  ConfigDocument document = Parsed(
      L"[GeneralOptions]\r\nk=first\r\nk=second\r\n[GeneralOptions]\r\nk=other section\r\nonly=later\r\n"
      L"[generaloptions]\r\nK=lower\r\n");
  EXPECT_EQ((Names{ValueOr(document, L"GeneralOptions", L"k"), ValueOr(document, L"GeneralOptions", L"only"),
                   ValueOr(document, L"GeneralOptions", L"K"), ValueOr(document, L"generaloptions", L"K")}),
            (Names{L"first", L"<absent>", L"<absent>", L"lower"}));
}

}  // namespace
}  // namespace tessaro
