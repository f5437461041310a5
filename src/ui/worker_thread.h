#pragma once
// Work that runs beside the UI thread, and the wait that keeps the UI
// thread's windows alive while it runs.
#include <windows.h>

#include <cstdint>

#include "platform/handles.h"

namespace tessaro {

class Runnable {
 public:
  virtual ~Runnable() = default;
  // The thread's body; its result becomes the thread's exit code.
  virtual std::uint32_t Run(std::uint32_t first, std::uint32_t second) = 0;
  // Whether the user may skip the work (the "Preparing..." window then
  // offers its Skip button).
  [[nodiscard]] virtual bool MaySkip() { return false; }
};

// One thread running one Runnable, in a COM apartment of its own as the main
// thread has one: what the work calls (searches, the taskbar) behaves the
// same on either. Destruction waits for the thread without time-out: nothing
// the work touches may go away under it.
class WorkerThread {
 public:
  WorkerThread(Runnable& runnable, std::uint32_t first, std::uint32_t second)
      : runnable_(runnable), first_(first), second_(second) {}
  WorkerThread(const WorkerThread&) = delete;
  WorkerThread& operator=(const WorkerThread&) = delete;
  ~WorkerThread();

  [[nodiscard]] bool Start();
  [[nodiscard]] HANDLE Handle() const { return thread_.Get(); }

 private:
  static DWORD WINAPI ThreadProc(void* self);

  Runnable& runnable_;
  std::uint32_t first_;
  std::uint32_t second_;
  UniqueHandle thread_;
};

// Returns when |handle| is signalled (or the wait fails), dispatching every
// message that arrives for this thread's windows meanwhile. The result is the
// wait's: WAIT_OBJECT_0, WAIT_ABANDONED_0 for a mutex whose owner died, or
// WAIT_FAILED.
DWORD WaitWithMessagePump(HANDLE handle);

}  // namespace tessaro
