#include "prereq/version.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>

namespace tessaro {
namespace {

VersionValue V(std::int32_t a, std::int32_t b, std::int32_t c, std::int32_t d) { return {{a, b, c, d}}; }

void ExpectParsed(const std::wstring& text, std::array<std::int32_t, 4> parts, int count, bool ok = true) {
  VersionValue v;
  v.parts[0] = 7;  // overwritten on success and on failure
  EXPECT_EQ(ParseVersion(text, v), ok) << text;
  EXPECT_EQ((std::array<std::int32_t, 4>{v.parts[0], v.parts[1], v.parts[2], v.parts[3]}), parts) << text;
  EXPECT_EQ(v.count, count) << text;
}

void ExpectFailed(const std::wstring& text) { ExpectParsed(text, {0, 0, 0, 0}, 0, false); }

TEST(ParseVersion, AnyNonDigitSeparatesGroupsOnlyFourAreKeptAndOverflowFails) {
  ExpectParsed(L"1.2", {1, 2, 0, 0}, 2);
  ExpectParsed(L"release 10 build 3", {10, 3, 0, 0}, 2);
  ExpectParsed(L"v6,1-7601 SP1", {6, 1, 7601, 1}, 4);
  ExpectParsed(L"  007  ", {7, 0, 0, 0}, 1);
  // Only ASCII digits count: a full-width digit is a separator.
  ExpectParsed(std::wstring(L"1\xFF12") + L"3", {1, 3, 0, 0}, 2);
  // Groups beyond the fourth only raise the count, and only to 5.
  ExpectParsed(L"1.2.3.4.5.6.7", {1, 2, 3, 4}, 5);
  ExpectParsed(L"1.2.3.4.", {1, 2, 3, 4}, 4);
  for (const wchar_t* text : {L"", L"..."}) ExpectFailed(text);
  // Overflow only trips on large positive values: nine digits above 214748364 cannot take a tenth.
  for (const wchar_t* text : {L"9999999999", L"1.2.2147483650"}) ExpectFailed(text);
  // 214748364 may still take any digit: the value wraps into the negatives.
  ExpectParsed(L"2147483647", {2147483647, 0, 0, 0}, 1);
  ExpectParsed(L"2147483649", {-2147483647, 0, 0, 0}, 1);
  // Once negative the test never trips again, however many digits follow.
  ExpectParsed(L"21474836490", {10, 0, 0, 0}, 1);  // 5 * 2^32 + 10
}

TEST(VersionToText, TrailingZeroAnd65535AreInsignificant) {
  EXPECT_EQ(VersionToText(V(6, 1, 25, 0)), L"6.1.25");
  EXPECT_EQ(VersionToText(V(5, 0, 0, 0)), L"5.0");
  EXPECT_EQ(VersionToText(V(1, 65535, 65535, 65535)), L"1.65535");
  EXPECT_EQ(VersionToText(V(1, 65535, 3, 65535)), L"1.65535.3");
  EXPECT_EQ(VersionToText(V(0, 0, 0, 9)), L"0.0.0.9");
  EXPECT_EQ(VersionToText(V(0, 0, 0, 0)), L"0.0.0.0");
  EXPECT_EQ(VersionToText(V(65535, 65535, 65535, 65535)), L"0.0.0.0");
  EXPECT_EQ(VersionToText(V(-2147483647, 2, 0, 0)), L"-2147483647.2");
}

TEST(InFoundRange, BoundsAndFoundVersions) {
  // Empty or unparsable bounds accept anything found.
  EXPECT_FALSE(InFoundRange({}, L"", L""));
  for (const wchar_t* found : {L"", L"no digits", L"0.0.0.0"}) EXPECT_TRUE(InFoundRange({found}, L"", L""));
  EXPECT_TRUE(InFoundRange({L"1.0"}, L"9999999999", L"junk"));
  // Bounds are inclusive and compare by component.
  for (const wchar_t* found : {L"1.2.0.0", L"1.10", L"2.0.0.0"}) {
    EXPECT_TRUE(InFoundRange({found}, L"1.2", L"2.0")) << found;
  }
  for (const wchar_t* found : {L"1.1.9", L"2.0.0.1"})
    EXPECT_FALSE(InFoundRange({found}, L"1.2", L"2.0")) << found;
  EXPECT_TRUE(InFoundRange({L"2.0.0.1"}, L"1.2", L""));
  EXPECT_TRUE(InFoundRange({L"1.1.9"}, L"", L"2.0"));
  // Zero found versions are skipped, and versions out of range do not end the search.
  EXPECT_FALSE(InFoundRange({L"no version"}, L"", L"5.0"));
  EXPECT_TRUE(InFoundRange({L"", L"0.0", L"1.0", L"3.0", L"1.5"}, L"1.2", L"2.0"));
  // 2147483649 reads as a negative component: below 1.
  EXPECT_FALSE(InFoundRange({L"2147483649"}, L"1", L""));
  // All 65535 is a real bound here.
  EXPECT_FALSE(InFoundRange({L"9.0"}, L"65535.65535.65535.65535", L""));
}

TEST(InRange, AbsentBoundsAndZeroVersions) {
  // All-zero or all-65535 bounds are absent.
  const VersionValue none = V(0, 0, 0, 0);
  const VersionValue open = V(65535, 65535, 65535, 65535);
  EXPECT_TRUE(InRange(open, none, V(-5, 0, 0, 0)));
  // Only the full pattern is absent: a partial 65535 is a real bound.
  EXPECT_FALSE(InRange(V(65535, 65535, 65535, 0), none, V(9, 0, 0, 0)));
  // A zero version is compared like any other.
  EXPECT_FALSE(InRange(V(6, 0, 0, 0), V(0, 0, 0, 0), V(0, 0, 0, 0)));
  EXPECT_TRUE(InRange(V(6, 0, 0, 0), V(0, 0, 0, 0), V(6, 1, 7601, 0)));
  EXPECT_FALSE(InRange(V(1, 0, 0, 0), V(2, 0, 0, 0), V(2, 0, 0, 1)));
  EXPECT_FALSE(InRange(V(1, 0, 0, 0), V(2, 0, 0, 0), V(-1, 0, 0, 0)));
}

}  // namespace
}  // namespace tessaro
