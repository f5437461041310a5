#include "ui/transfer_meter.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "ui/res_text.h"

namespace tessaro {
namespace {

TEST(FormatResText, PlaceholdersInAnyOrderAndArgumentsNeverReadAsFormats) {
  EXPECT_EQ(FormatResText(L"Downloading %s", L"50%s %% off"), L"Downloading 50%s %% off");
  EXPECT_EQ(FormatResText(L"%s and %1", L"x"), L"x and x");
  EXPECT_EQ(FormatResText(L"100%% %d %3 %", {L"a", L"b"}), L"100% %d %3 %");
  EXPECT_EQ(FormatResText(L"%2、残り %1", {L"16 s", L"1 MB"}), L"1 MB、残り 16 s");
}

const TransferTexts kEnglish{L"%1 of %2", L"%1, %2/s", L"%1, %2 left", L"%1 s", L"%1 min", L"%1 h %2 min",
                             L"B KB MB GB"};
const TransferTexts kFrench{L"%1 sur %2", L"%1, %2/s", L"%1, il reste %2", L"%1 s", L"%1 min",
                            L"%1 h %2 min",  L"o Ko Mo Go", L','};

// Each transfer begins with |total|, then reports (bytes, tick) in turn; the
// first report is what an earlier attempt left, and no speed is known yet.
TEST(TransferMeter, SizesSpeedAndTimeLeftAtMostFourTimesASecond) {
  const struct {
    const TransferTexts& texts;
    std::uint32_t total;
    std::vector<std::pair<std::uint32_t, std::uint32_t>> reports;
    bool lastDue;
    const wchar_t* line;
  } cases[] = {
      {kEnglish, 0, {{999, 0}}, true, L"999 B"},
      {kEnglish, 0, {{1000, 0}}, true, L"1.0 KB"},  // never four digits
      {kEnglish, 0, {{1023488, 0}}, true, L"1.0 MB"},
      {kFrench, 0, {{12900000, 0}}, true, L"12,3 Mo"},
      {kEnglish, 0, {{4000000000u, 0}}, true, L"3.7 GB"},
      {kEnglish, 0, {{0, 0}, {262144, 250}, {1, 400}}, false, L"256 KB, 1.0 MB/s"},
      // Half came from before: only what arrives now makes the speed.
      {kEnglish, 8388608, {{4194304, 0}, {262144, 250}, {262144, 500}}, true,
       L"4.5 MB of 8.0 MB, 1.0 MB/s, 4 s left"},
      {kEnglish, 104857600, {{0, 0}, {262144, 250}}, true, L"256 KB of 100 MB, 1.0 MB/s, 2 min left"},
      {kFrench, 4000000000u, {{0, 0}, {262144, 250}}, true, L"256 Ko sur 3,7 Go, 1,0 Mo/s, il reste 1 h 4 min"},
      // The last piece is shown at once, without a time left.
      {kEnglish, 1000, {{0, 0}, {500, 250}, {500, 300}}, true, L"1.0 KB of 1.0 KB, 2.0 KB/s"},
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
