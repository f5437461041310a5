// How a prerequisite is judged: found versions against bounds, contents by comparison letter, and the
// system names its OS lists are held to.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <vector>

#include "prereq/content_compare.h"
#include "prereq/os_names.h"
#include "prereq/version.h"

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

TEST(VersionRanges, BoundsFoundVersionsAndAbsentBounds) {
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

  // Parsed bounds: all-zero or all-65535 ones are absent, and a zero version is compared like any other.
  const VersionValue none = V(0, 0, 0, 0), open = V(65535, 65535, 65535, 65535);
  EXPECT_TRUE(InRange(open, none, V(-5, 0, 0, 0)));
  EXPECT_FALSE(InRange(V(65535, 65535, 65535, 0), none, V(9, 0, 0, 0)));
  EXPECT_FALSE(InRange(V(6, 0, 0, 0), none, none));
  EXPECT_TRUE(InRange(V(6, 0, 0, 0), none, V(6, 1, 7601, 0)));
  EXPECT_FALSE(InRange(V(1, 0, 0, 0), V(2, 0, 0, 0), V(-1, 0, 0, 0)));
}

using Pairs = std::vector<const wchar_t*>;  // reference, found, reference, found, ...

void ExpectCompared(wchar_t letter, const Pairs& matching, const Pairs& differing) {
  for (const Pairs* pairs : {&matching, &differing}) {
    for (std::size_t i = 0; i + 1 < pairs->size(); i += 2) {
      EXPECT_EQ(CompareContent(letter, (*pairs)[i], (*pairs)[i + 1]), pairs == &matching)
          << static_cast<int>(letter) << " '" << testing::PrintToString((*pairs)[i]) << "' '"
          << testing::PrintToString((*pairs)[i + 1]) << "'";
    }
  }
}

TEST(CompareContent, TextLettersAreExactNumbersNeedDigitsOnBothSidesOtherLettersNeverMatch) {
  ExpectCompared(L'M', {L"1", L"1"}, {L"beta", L"Beta"});
  ExpectCompared(L'D', {L"beta", L"Beta"}, {L"", L""});
  ExpectCompared(L'S', {L"Beta", L"Beta2", L"", L"anything"}, {L"Beta2", L"Beta"});
  ExpectCompared(L'E', {L"a2", L"Beta2", L"", L""}, {L"XBeta2", L"Beta2"});
  ExpectCompared(L'C', {L"et", L"Beta2"}, {L"ET", L"Beta2"});
  ExpectCompared(L'X', {L"ET", L"Beta2"}, {L"", L"Beta2"});
  // Numbers, not text; empty text is 0; above 2^31 still large; beyond 32 bits it wraps.
  // Any other character on either side makes both tests false.
  ExpectCompared(L'G', {L"0", L"1", L"0010", L"11", L"", L"1", L"1", L"4294967295", L"2147483647", L"2147483648"},
                 {L"1", L"1", L"10", L"9", L"", L"", L"1", L"2a", L"+1", L"2", L" 1", L"2"});
  ExpectCompared(L'L', {L"10", L"9", L"1", L"", L"2", L"4294967297"}, {L"3", L"-1"});
  for (wchar_t letter : {L'Q', L'm', L'g', L'\0', L' '}) ExpectCompared(letter, {}, {L"", L"", L"1", L"1"});
}

// Names for WinNTVersions (runs prove those of the system Wine reports): each row is a rule of its own.
// Systems older than Windows 7 never run the product, so their names are only ever read from lists.
constexpr bool kServer = true, kWorkstation = false, kX64 = true, kX86 = false;

struct NameCase {
  std::uint32_t major, minor, build, servicePack;
  bool server, x64;
  const wchar_t* detailed;
  const wchar_t* generic = nullptr;  // none: as detailed
};

TEST(OsNames, DetailedAndGenericNames) {
  const NameCase cases[] = {
      // Listed Windows 10 builds are named by release, even a workstation build on a 64-bit server.
      {10, 0, 19041, 0, kServer, kX86, L"Windows 10 version 2004 x86", L"Windows 10 x86"},
      {10, 0, 10240, 0, kServer, kX64, L"Windows 10 version 1507 x64", L"Windows Server x64"},
      // Windows 8 and 8.1 have no service pack names; service packs beyond the last named are not named.
      {6, 3, 9600, 2, kServer, kX64, L"Windows Server 2012 R2 x64"},
      {6, 1, 7600, 0, kServer, kX64, L"Windows Server 2008 R2 RTM x64", L"Windows Server 2008 R2 x64"},
      {6, 1, 7601, 1, kServer, kX86, L"Windows 7 SP1 x86", L"Windows 7 x86"},  // 32-bit servers: workstation names
      {0, 0, 0, 0, kWorkstation, kX86, L"OsNotIdentified"},  // the registry could not be read
  };
  for (const NameCase& c : cases) {
    OsDescription os{.major = c.major, .minor = c.minor, .build = c.build, .servicePack = c.servicePack};
    os.isServer = c.server;
    os.is64Bit = c.x64;
    EXPECT_EQ(DetailedOsName(os), c.detailed) << c.major << "." << c.minor << "." << c.build;
    EXPECT_EQ(GenericOsName(os), c.generic ? c.generic : c.detailed) << c.detailed;
  }
}

}  // namespace
}  // namespace tessaro
