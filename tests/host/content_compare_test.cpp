#include "prereq/content_compare.h"

#include <gtest/gtest.h>

namespace tessaro {
namespace {

TEST(CompareContent, TextLettersAreExactAndCaseSensitive) {
  EXPECT_TRUE(CompareContent(L'M', L"1", L"1"));
  EXPECT_FALSE(CompareContent(L'M', L"beta", L"Beta"));
  EXPECT_TRUE(CompareContent(L'D', L"beta", L"Beta"));
  EXPECT_FALSE(CompareContent(L'D', L"", L""));

  EXPECT_TRUE(CompareContent(L'S', L"Beta", L"Beta2"));
  EXPECT_FALSE(CompareContent(L'S', L"Beta2", L"Beta"));
  EXPECT_TRUE(CompareContent(L'S', L"", L"anything"));

  EXPECT_TRUE(CompareContent(L'E', L"a2", L"Beta2"));
  EXPECT_FALSE(CompareContent(L'E', L"XBeta2", L"Beta2"));
  EXPECT_TRUE(CompareContent(L'E', L"", L""));

  EXPECT_TRUE(CompareContent(L'C', L"et", L"Beta2"));
  EXPECT_FALSE(CompareContent(L'C', L"ET", L"Beta2"));
  EXPECT_TRUE(CompareContent(L'X', L"ET", L"Beta2"));
  EXPECT_FALSE(CompareContent(L'X', L"", L"Beta2"));
}

TEST(CompareContent, NumbersNeedDigitsOnlyOnBothSides) {
  EXPECT_TRUE(CompareContent(L'G', L"0", L"1"));
  EXPECT_FALSE(CompareContent(L'G', L"1", L"1"));
  EXPECT_TRUE(CompareContent(L'L', L"10", L"9"));  // numbers, not text
  EXPECT_FALSE(CompareContent(L'G', L"10", L"9"));
  EXPECT_TRUE(CompareContent(L'G', L"0010", L"11"));
  // Empty text counts as digits only, with the value 0.
  EXPECT_TRUE(CompareContent(L'G', L"", L"1"));
  EXPECT_TRUE(CompareContent(L'L', L"1", L""));
  EXPECT_FALSE(CompareContent(L'G', L"", L""));
  // Any other character on either side makes both tests false.
  EXPECT_FALSE(CompareContent(L'G', L"1", L"2a"));
  EXPECT_FALSE(CompareContent(L'L', L"3", L"-1"));
  EXPECT_FALSE(CompareContent(L'G', L"+1", L"2"));
  EXPECT_FALSE(CompareContent(L'G', L" 1", L"2"));
}

TEST(CompareContent, NumbersAreUnsigned32Bit) {
  // A DWORD above 2^31 is still a large number.
  EXPECT_TRUE(CompareContent(L'G', L"1", L"4294967295"));
  EXPECT_TRUE(CompareContent(L'G', L"2147483647", L"2147483648"));
  // Beyond 32 bits the number wraps: 4294967297 is 1.
  EXPECT_TRUE(CompareContent(L'L', L"2", L"4294967297"));
}

TEST(CompareContent, UnknownLettersNeverMatch) {
  for (wchar_t letter : {L'Q', L'm', L'g', L'\0', L' '}) {
    EXPECT_FALSE(CompareContent(letter, L"", L"")) << static_cast<int>(letter);
    EXPECT_FALSE(CompareContent(letter, L"1", L"1")) << static_cast<int>(letter);
  }
}

}  // namespace
}  // namespace tessaro
