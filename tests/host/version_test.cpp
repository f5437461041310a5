#include "prereq/version.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>

namespace tessaro {
namespace {

VersionValue V(std::int32_t a, std::int32_t b, std::int32_t c, std::int32_t d) { return {{a, b, c, d}}; }

TEST(ParseVersion, AnyNonDigitSeparatesGroupsOnlyFourAreKeptAndOverflowFails) {
  const struct {
    std::wstring text;
    std::array<std::int32_t, 4> parts;
    int count;  // 0: the text is no version
  } cases[] = {
      {L"release 10 build 3", {10, 3, 0, 0}, 2},
      {L"v6,1-7601 SP1", {6, 1, 7601, 1}, 4},
      {L"  007  ", {7, 0, 0, 0}, 1},
      {std::wstring(L"1\xFF12") + L"3", {1, 3, 0, 0}, 2},  // a full-width digit separates
      {L"1.2.3.4.5.6.7", {1, 2, 3, 4}, 5},                  // later groups raise the count to 5 only
      {L"1.2.3.4.", {1, 2, 3, 4}, 4},
      {L"...", {0, 0, 0, 0}, 0},
      // Only nine digits above 214748364 trip the overflow test; below, the value wraps,
      // and once negative the test never trips again.
      {L"9999999999", {0, 0, 0, 0}, 0},
      {L"1.2.2147483650", {0, 0, 0, 0}, 0},
      {L"2147483649", {-2147483647, 0, 0, 0}, 1},
      {L"21474836490", {10, 0, 0, 0}, 1},  // 5 * 2^32 + 10
  };
  for (const auto& c : cases) {
    VersionValue v;
    v.parts[0] = 7;  // overwritten on success and on failure
    EXPECT_EQ(ParseVersion(c.text, v), c.count > 0) << c.text;
    EXPECT_EQ((std::array<std::int32_t, 4>{v.parts[0], v.parts[1], v.parts[2], v.parts[3]}), c.parts) << c.text;
    EXPECT_EQ(v.count, c.count) << c.text;
  }
}

TEST(VersionRanges, TextsBoundsFoundVersionsAndAbsentBounds) {
  // A found file version is logged without its insignificant trailing 0 and 65535 parts.
  EXPECT_EQ(VersionToText(V(1, 65535, 3, 65535)), L"1.65535.3");
  EXPECT_EQ(VersionToText(V(65535, 65535, 65535, 65535)), L"0.0.0.0");
  // Empty or unparsable bounds accept anything found, but something must be found.
  EXPECT_FALSE(InFoundRange({}, L"", L""));
  EXPECT_TRUE(InFoundRange({L"no digits"}, L"", L""));
  EXPECT_TRUE(InFoundRange({L"1.0"}, L"9999999999", L"junk"));
  // Bounds are inclusive and compare by component.
  for (const wchar_t* found : {L"1.2.0.0", L"1.10", L"2.0.0.0"}) EXPECT_TRUE(InFoundRange({found}, L"1.2", L"2.0"));
  for (const wchar_t* found : {L"1.1.9", L"2.0.0.1"}) EXPECT_FALSE(InFoundRange({found}, L"1.2", L"2.0"));
  // Zero found versions are skipped, and versions out of range do not end the search.
  EXPECT_FALSE(InFoundRange({L"no version"}, L"", L"5.0"));
  EXPECT_TRUE(InFoundRange({L"", L"0.0", L"1.0", L"3.0", L"1.5"}, L"1.2", L"2.0"));
  // 2147483649 reads as a negative component: below 1. All 65535 is a real bound here.
  EXPECT_FALSE(InFoundRange({L"2147483649"}, L"1", L""));
  EXPECT_FALSE(InFoundRange({L"9.0"}, L"65535.65535.65535.65535", L""));

  // For the OS bounds, all-zero or all-65535 bounds are absent, and a zero version is compared like any other.
  const VersionValue none = V(0, 0, 0, 0), open = V(65535, 65535, 65535, 65535);
  EXPECT_TRUE(InRange(open, none, V(-5, 0, 0, 0)));
  EXPECT_FALSE(InRange(V(65535, 65535, 65535, 0), none, V(9, 0, 0, 0)));
  EXPECT_FALSE(InRange(V(6, 0, 0, 0), none, none));
  EXPECT_TRUE(InRange(V(6, 0, 0, 0), none, V(6, 1, 7601, 0)));
  EXPECT_FALSE(InRange(V(1, 0, 0, 0), V(2, 0, 0, 0), V(-1, 0, 0, 0)));
}

}  // namespace
}  // namespace tessaro
