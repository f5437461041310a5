#include "ui/transfer_meter.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "ui/res_text.h"

namespace tessaro {
namespace {

// Each transfer begins with its total (0: unknown) and reports (bytes, tick)
// in turn; the first report is what an earlier attempt left.
TEST(TransferMeter, SizesSpeedAndTimeLeftAtMostFourTimesASecondInTheFormatsOrder) {
  // Placeholders in any order; an argument is never read as a format.
  EXPECT_EQ(FormatResText(L"%2、残り %1 %s, 100%% %d %3 %", {L"a", L"%1"}), L"%1、残り a a, 100% %d %3 %");
  const TransferTexts en{L"%1 of %2", L"%1, %2/s",    L"%1, %2 left", L"%1 s",
                         L"%1 min",   L"%1 h %2 min", L"B KB MB GB"};
  const TransferTexts fr{L"%1 sur %2", L"%1, %2/s",    L"%1, il reste %2", L"%1 s",
                         L"%1 min",    L"%1 h %2 min", L"o Ko Mo Go",      L','};
  const struct {
    const TransferTexts& texts;
    std::uint32_t total;
    std::vector<std::pair<std::uint32_t, std::uint32_t>> reports;
    bool lastDue;
    const wchar_t* line;
  } cases[] = {
      {en, 0, {{999, 0}}, true, L"999 B"},
      {en, 0, {{1023488, 0}}, true, L"1.0 MB"},  // never four digits
      {en, 0, {{0, 0}, {262144, 250}, {1, 400}}, false, L"256 KB, 1.0 MB/s"},
      {en, 8388608, {{4194304, 0}, {262144, 250}}, true, L"4.3 MB of 8.0 MB, 1.0 MB/s, 4 s left"},
      {en, 104857600, {{0, 0}, {262144, 250}}, true, L"256 KB of 100 MB, 1.0 MB/s, 2 min left"},
      {fr, 4000000000u, {{0, 0}, {262144, 250}}, true, L"256 Ko sur 3,7 Go, 1,0 Mo/s, il reste 1 h 4 min"},
      {en, 1000, {{0, 0}, {500, 250}, {500, 300}}, true, L"1.0 KB of 1.0 KB, 2.0 KB/s"},  // the end at once
  };
  for (const auto& c : cases) {
    TransferMeter meter;
    meter.Begin(c.total);
    bool due = false;
    for (const auto& [bytes, tick] : c.reports) due = meter.Add(bytes, tick);
    EXPECT_EQ(due, c.lastDue) << c.line;
    EXPECT_EQ(meter.Text(c.texts), c.line);
  }
}

}  // namespace
}  // namespace tessaro
