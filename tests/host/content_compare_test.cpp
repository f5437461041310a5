#include "prereq/content_compare.h"

#include <gtest/gtest.h>

#include <vector>

namespace tessaro {
namespace {

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

}  // namespace
}  // namespace tessaro
