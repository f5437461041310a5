#include "ui/transfer_meter.h"

#include "platform/decimal_text.h"
#include "ui/res_text.h"

namespace tessaro {
namespace {

constexpr int kLargestUnit = 3;  // GB

std::wstring_view UnitName(const std::wstring& units, int unit) {
  std::size_t start = 0;
  for (; unit > 0 && start != std::wstring::npos; --unit) {
    start = units.find(L' ', start);
    if (start != std::wstring::npos) ++start;
  }
  if (start == std::wstring::npos) return {};
  const std::size_t end = units.find(L' ', start);
  return std::wstring_view(units).substr(start, end == std::wstring::npos ? end : end - start);
}

// At most three digits, in units of 1024 as Windows counts them, with one
// decimal below 100: "999 B", "1.0 KB", "12.3 MB", "456 MB".
std::wstring SizeText(std::uint64_t bytes, const TransferTexts& texts) {
  int unit = 0;
  double value = static_cast<double>(bytes);
  while (unit < kLargestUnit && value >= 999.5) {
    ++unit;
    value /= 1024;
  }
  const int tenths = static_cast<int>(value * 10 + 0.5);
  std::wstring number = unit == 0 || tenths >= 1000
                            ? DecimalText(static_cast<int>(value + 0.5))
                            : DecimalText(tenths / 10) + texts.decimal + DecimalText(tenths % 10);
  number += L' ';
  number += UnitName(texts.units, unit);
  return number;
}

// Rounded up: a transfer never takes longer than it said.
std::wstring DurationText(std::uint64_t seconds, const TransferTexts& texts) {
  if (seconds < 60) return FormatResText(texts.seconds, DecimalText(seconds));
  const std::uint64_t minutes = (seconds + 59) / 60;
  if (minutes < 60) return FormatResText(texts.minutes, DecimalText(minutes));
  return FormatResText(texts.hours, {DecimalText(minutes / 60), DecimalText(minutes % 60)});
}

}  // namespace

void TransferMeter::Begin(std::uint32_t total) {
  *this = TransferMeter();
  total_ = total;
}

bool TransferMeter::Add(std::uint32_t bytes, std::uint32_t tick) {
  arrived_ += bytes;
  // The first report after a begin holds what an earlier attempt left
  // behind: it is where the measuring starts, not something that arrived.
  if (!measuring_) {
    measuring_ = true;
    measuredTick_ = tick;
    measuredBytes_ = arrived_;
    return true;
  }
  const std::uint32_t elapsed = tick - measuredTick_;
  if (elapsed >= kIntervalMs) {
    const std::uint64_t recent = (arrived_ - measuredBytes_) * 1000 / elapsed;
    // Smoothed over about a second, so that the time left does not jump with
    // every piece.
    bytesPerSecond_ = bytesPerSecond_ == 0 ? recent : (3 * bytesPerSecond_ + recent) / 4;
    measuredTick_ = tick;
    measuredBytes_ = arrived_;
    return true;
  }
  return total_ != 0 && arrived_ >= total_;
}

std::wstring TransferMeter::Text(const TransferTexts& texts) const {
  std::wstring line = SizeText(arrived_, texts);
  if (total_ != 0) line = FormatResText(texts.of, {line, SizeText(total_, texts)});
  if (bytesPerSecond_ == 0) return line;
  line = FormatResText(texts.rate, {line, SizeText(bytesPerSecond_, texts)});
  if (total_ == 0 || arrived_ >= total_) return line;
  const std::uint64_t secondsLeft = (total_ - arrived_ + bytesPerSecond_ - 1) / bytesPerSecond_;
  return FormatResText(texts.timeLeft, {line, DurationText(secondsLeft, texts)});
}

}  // namespace tessaro
