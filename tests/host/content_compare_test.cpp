#include "prereq/content_compare.h"

#include <gtest/gtest.h>

#include <vector>

namespace tessaro {
namespace {

// |pairs| alternates reference and found text.
void ExpectCompared(wchar_t letter, bool matches, const std::vector<const wchar_t*>& pairs) {
  for (std::size_t i = 0; i + 1 < pairs.size(); i += 2) {
    EXPECT_EQ(CompareContent(letter, pairs[i], pairs[i + 1]), matches)
        << static_cast<int>(letter) << " '" << testing::PrintToString(pairs[i]) << "' '"
        << testing::PrintToString(pairs[i + 1]) << "'";
  }
}

TEST(CompareContent, TextLettersAreExactAndCaseSensitive) {
  ExpectCompared(L'M', true, {L"1", L"1"});
  ExpectCompared(L'M', false, {L"beta", L"Beta"});
  ExpectCompared(L'D', true, {L"beta", L"Beta"});
  ExpectCompared(L'D', false, {L"", L""});
  ExpectCompared(L'S', true, {L"Beta", L"Beta2", L"", L"anything"});
  ExpectCompared(L'S', false, {L"Beta2", L"Beta"});
  ExpectCompared(L'E', true, {L"a2", L"Beta2", L"", L""});
  ExpectCompared(L'E', false, {L"XBeta2", L"Beta2"});
  ExpectCompared(L'C', true, {L"et", L"Beta2"});
  ExpectCompared(L'C', false, {L"ET", L"Beta2"});
  ExpectCompared(L'X', true, {L"ET", L"Beta2"});
  ExpectCompared(L'X', false, {L"", L"Beta2"});
}

TEST(CompareContent, NumbersNeedDigitsOnlyOnBothSidesAndUnknownLettersNeverMatch) {
  // Numbers, not text; empty text is 0; above 2^31 still large; beyond 32 bits it wraps.
  ExpectCompared(L'G', true,
                 {L"0", L"1", L"0010", L"11", L"", L"1", L"1", L"4294967295", L"2147483647", L"2147483648"});
  ExpectCompared(L'L', true, {L"10", L"9", L"1", L"", L"2", L"4294967297"});
  // Any other character on either side makes both tests false.
  ExpectCompared(L'G', false, {L"1", L"1", L"10", L"9", L"", L"", L"1", L"2a", L"+1", L"2", L" 1", L"2"});
  ExpectCompared(L'L', false, {L"3", L"-1"});
  for (wchar_t letter : {L'Q', L'm', L'g', L'\0', L' '})
    ExpectCompared(letter, false, {L"", L"", L"1", L"1"});
}

}  // namespace
}  // namespace tessaro
