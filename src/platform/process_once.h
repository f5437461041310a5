#pragma once
// A process-wide value computed on first use and kept until exit. Any thread
// may ask first: the first caller computes while later callers wait for it,
// so a worker thread that reaches a cache before the main thread does still
// sees one value. Built on interlocked operations, so the product needs no
// threading library; function-local statics with dynamic initialisation are
// not used in product code (the test run checks for their guard calls).
#include <windows.h>

namespace tessaro {

template <typename T>
class ProcessOnce {
 public:
  constexpr ProcessOnce() = default;
  ProcessOnce(const ProcessOnce&) = delete;
  ProcessOnce& operator=(const ProcessOnce&) = delete;

  template <typename Compute>
  [[nodiscard]] const T& Get(Compute compute) {
    if (InterlockedCompareExchange(&state_, kEmpty, kEmpty) != kReady) {
      if (InterlockedCompareExchange(&state_, kComputing, kEmpty) == kEmpty) {
        value_ = compute();
        InterlockedExchange(&state_, kReady);
      } else {
        while (InterlockedCompareExchange(&state_, kEmpty, kEmpty) != kReady) Sleep(0);
      }
    }
    return value_;
  }

 private:
  static constexpr LONG kEmpty = 0;
  static constexpr LONG kComputing = 1;
  static constexpr LONG kReady = 2;
  T value_{};
  volatile LONG state_ = kEmpty;
};

}  // namespace tessaro
