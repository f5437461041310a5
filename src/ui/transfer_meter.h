#pragma once
// The line under the progress bar while a file arrives: how much has come,
// of how much, how fast, and how long the rest will take
// ("12.3 MB of 45.6 MB, 2.1 MB/s, 16 s left").
#include <cstdint>
#include <string>

namespace tessaro {

// The string table's formats for the line, in the user's language, and the
// decimal separator of the user's number format.
struct TransferTexts {
  std::wstring of;        // "%1 of %2", also the install step's "2 of 5"
  std::wstring rate;      // "%1, %2/s"
  std::wstring timeLeft;  // "%1, %2 left"
  std::wstring seconds;   // "%1 s"
  std::wstring minutes;   // "%1 min"
  std::wstring hours;     // "%1 h %2 min"
  std::wstring units;     // "B KB MB GB", separated by spaces
  wchar_t decimal = L'.';
};

class TransferMeter {
 public:
  // The line changes at most this often, however often pieces arrive.
  static constexpr std::uint32_t kIntervalMs = 250;

  // A transfer (re)starts; |total| is 0 when the size is unknown.
  void Begin(std::uint32_t total);
  // |bytes| more are there at |tick| (milliseconds, wrapping). True when the
  // line is due: the first report, then once an interval has passed, and at
  // the end of a transfer of known size.
  [[nodiscard]] bool Add(std::uint32_t bytes, std::uint32_t tick);
  [[nodiscard]] std::wstring Text(const TransferTexts& texts) const;

 private:
  std::uint64_t total_ = 0;
  std::uint64_t arrived_ = 0;
  std::uint64_t bytesPerSecond_ = 0;  // 0 until measured
  std::uint64_t measuredBytes_ = 0;
  std::uint32_t measuredTick_ = 0;
  bool measuring_ = false;
};

}  // namespace tessaro
