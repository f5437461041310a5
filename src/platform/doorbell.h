#pragma once
// An auto-reset event that is set only while somebody sleeps on it, for two
// threads that hand each other work: under Wine every set is a round trip
// to its server, and most hand-overs find the other side awake.
#include <windows.h>

#include <atomic>

#include "platform/handles.h"

namespace tessaro {

class Doorbell {
 public:
  Doorbell() : event_(CreateEventW(nullptr, FALSE, FALSE, nullptr)) {}
  [[nodiscard]] bool Usable() const { return static_cast<bool>(event_); }
  // After the change a sleeper waits for: the change is seen either by the
  // sleeper's own look before it sleeps or through the event.
  void Ring() {
    if (sleepers_.load() != 0) Wake();
  }
  // Wakes a sleeper whatever it waits for (to stop it).
  void Wake() { (void)SetEvent(event_.Get()); }
  // Returns once |ready| says so; it is asked again after every wake.
  template <typename Ready>
  void WaitUntil(const Ready& ready) {
    while (!ready()) {
      sleepers_.fetch_add(1);
      if (!ready()) (void)WaitForSingleObject(event_.Get(), INFINITE);
      sleepers_.fetch_sub(1);
    }
  }

 private:
  std::atomic<int> sleepers_{0};
  UniqueHandle event_;
};

}  // namespace tessaro
