// The parser against the file layouts that packages actually ship, and the
// malformed ones that must degrade quietly.
#include "config/config_document.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tessaro {
namespace {

ConfigDocument Parsed(const std::wstring& text) {
  ConfigDocument document;
  document.Parse(text);
  return document;
}

std::vector<std::wstring> SectionNames(const ConfigDocument& document) {
  std::vector<std::wstring> names;
  document.GetSectionNames(names);
  return names;
}

std::wstring ValueOr(const ConfigDocument& document, const std::wstring& section, const std::wstring& key,
                     const std::wstring& fallback = L"<absent>") {
  std::wstring value = fallback;
  (void)document.GetValue(section, key, value);
  return value;
}

TEST(ConfigParseLines, OnlyCrLfEndsALine) {
  ConfigDocument crlf = Parsed(L"[S]\r\na=1\r\nb=2");
  EXPECT_EQ(ValueOr(crlf, L"S", L"a"), L"1");
  EXPECT_EQ(ValueOr(crlf, L"S", L"b"), L"2");

  // LF-only and CR-only files are one line each: no header ends with "]".
  EXPECT_TRUE(SectionNames(Parsed(L"[S]\na=1\nb=2")).empty());
  EXPECT_TRUE(SectionNames(Parsed(L"[S]\ra=1\rb=2")).empty());

  // A lone LF or CR stays in the line: inside a value it is kept, at its end
  // it is trimmed like any blank.
  ConfigDocument mixed = Parsed(L"[S]\r\na=x\ny\r\nb=1\r\r\n");
  EXPECT_EQ(ValueOr(mixed, L"S", L"a"), L"x\ny");
  EXPECT_EQ(ValueOr(mixed, L"S", L"b"), L"1");

  // The whole LF-only file can still be one header.
  EXPECT_EQ(SectionNames(Parsed(L"[S]\n")), std::vector<std::wstring>{L"S"});
  EXPECT_TRUE(SectionNames(Parsed(L"")).empty());
}

TEST(ConfigParseLines, LeadingByteOrderMarkDroppedOnce) {
  EXPECT_EQ(SectionNames(Parsed(L"\xFEFF[S]\r\n")), std::vector<std::wstring>{L"S"});
  // A second mark is text: the line no longer starts with "[" after blanks.
  EXPECT_TRUE(SectionNames(Parsed(L"\xFEFF\xFEFF[S]\r\n")).empty());
  // Only the first line loses it.
  ConfigDocument later = Parsed(L"[S]\r\n\xFEFFk=v\r\n");
  EXPECT_EQ(ValueOr(later, L"S", L"\xFEFFk"), L"v");
}

TEST(ConfigParseHeaders, BlanksAndBracketsDecideTheName) {
  ConfigDocument document = Parsed(
      L"  \t[PREREQUISITES] \t\r\n"
      L"[ Padded ]\r\n"
      L"[A]x]\r\n"
      L"[A] note\r\n"
      L"[]\r\n"
      L"[\r\n"
      L"\x01[Ctl]\x1F\r\n");
  EXPECT_EQ(SectionNames(document),
            (std::vector<std::wstring>{L"PREREQUISITES", L" Padded ", L"A]x", L"", L"Ctl"}));
  EXPECT_EQ(document.FindSection(L"Padded"), nullptr);
}

TEST(ConfigParseHeaders, NonHeaderBracketLinesAreKeyLines) {
  ConfigDocument document = Parsed(L"[S]\r\n[A] x=1\r\n[B=2]]x\r\n");
  EXPECT_EQ(ValueOr(document, L"S", L"[A] x"), L"1");
  EXPECT_EQ(ValueOr(document, L"S", L"[B"), L"2]]x");
  EXPECT_EQ(SectionNames(document).size(), 1u);
}

TEST(ConfigParseEntries, SplitAndTrim) {
  ConfigDocument document = Parsed(
      L"k=before any header\r\n"
      L"[S]\r\n"
      L" \t key \t = \t value with  inner  blanks \t \r\n"
      L"a=b=c\r\n"
      L"=x\r\n"
      L"empty=\r\n"
      L"no separator\r\n"
      L"; A=B\r\n"
      L"\"q\"=\"v\"\r\n");
  const ConfigSection* section = document.FindSection(L"S");
  ASSERT_NE(section, nullptr);
  ASSERT_EQ(section->entries.size(), 6u);
  EXPECT_EQ(ValueOr(document, L"S", L"key"), L"value with  inner  blanks");
  EXPECT_EQ(ValueOr(document, L"S", L"a"), L"b=c");
  EXPECT_EQ(ValueOr(document, L"S", L""), L"x");
  EXPECT_EQ(ValueOr(document, L"S", L"empty"), L"");
  EXPECT_EQ(ValueOr(document, L"S", L"; A"), L"B");
  EXPECT_EQ(ValueOr(document, L"S", L"\"q\""), L"\"v\"");
  EXPECT_EQ(ValueOr(document, L"S", L"k"), L"<absent>");
}

TEST(ConfigLookup, FirstMatchWinsAndNamesAreCaseSensitive) {
  ConfigDocument document = Parsed(
      L"[GeneralOptions]\r\nk=first\r\nk=second\r\n"
      L"[GeneralOptions]\r\nk=other section\r\nonly=later\r\n"
      L"[generaloptions]\r\nK=lower\r\n");
  EXPECT_EQ(ValueOr(document, L"GeneralOptions", L"k"), L"first");
  EXPECT_EQ(ValueOr(document, L"GeneralOptions", L"only"), L"<absent>");
  EXPECT_EQ(ValueOr(document, L"GeneralOptions", L"K"), L"<absent>");
  EXPECT_EQ(ValueOr(document, L"generaloptions", L"K"), L"lower");
  EXPECT_EQ(ValueOr(document, L"GENERALOPTIONS", L"k"), L"<absent>");
  EXPECT_EQ(document.FindSection(L"GeneralOptions")->entries.size(), 2u);
}

TEST(ConfigDocumentInterface, SetValueAppendsAndReparseClears) {
  ConfigDocument document = Parsed(L"[S]\r\nk=old\r\n");
  document.SetValue(L"S", L"k", L"new");
  document.SetValue(L"T", L"k", L"t");
  EXPECT_EQ(ValueOr(document, L"S", L"k"), L"old");
  EXPECT_EQ(document.FindSection(L"S")->entries.size(), 2u);
  EXPECT_EQ(ValueOr(document, L"T", L"k"), L"t");

  std::vector<std::wstring> names{L"stale"};
  document.GetSectionNames(names);
  EXPECT_EQ(names, (std::vector<std::wstring>{L"S", L"T"}));

  unsigned count = 7;
  EXPECT_TRUE(document.QueryStatus(count));
  EXPECT_EQ(count, 0u);

  document.Parse(L"[U]\r\n");
  EXPECT_EQ(SectionNames(document), std::vector<std::wstring>{L"U"});
}

TEST(ConfigDecode, LittleEndianUnitsOddByteIgnored) {
  const unsigned char bytes[] = {'[', 0, 0x3A, 0x26, 0x3D, 0xD8, 0xFF};
  EXPECT_EQ(DecodeUtf16Le(bytes, sizeof bytes),
            (std::wstring{L'[', static_cast<wchar_t>(0x263A), static_cast<wchar_t>(0xD83D)}));
  EXPECT_EQ(DecodeUtf16Le(bytes, 1), L"");
  EXPECT_EQ(DecodeUtf16Le(nullptr, 0), L"");
}

}  // namespace
}  // namespace tessaro
