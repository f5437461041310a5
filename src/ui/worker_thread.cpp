#include "ui/worker_thread.h"

#include <objbase.h>

namespace tessaro {

WorkerThread::~WorkerThread() {
  if (thread_) WaitForSingleObject(thread_.Get(), INFINITE);
}

bool WorkerThread::Start() {
  thread_.Reset(CreateThread(nullptr, 0, &WorkerThread::ThreadProc, this, 0, nullptr));
  return thread_.IsValid();
}

DWORD WINAPI WorkerThread::ThreadProc(void* self) {
  auto& worker = *static_cast<WorkerThread*>(self);
  // Only a call that really initialised COM here may be balanced; a failure
  // leaves the work to run without it.
  const HRESULT com = CoInitialize(nullptr);
  const std::uint32_t result = worker.runnable_.Run(worker.first_, worker.second_);
  if (com == S_OK) CoUninitialize();
  return result;
}

DWORD WaitWithMessagePump(HANDLE handle) {
  // Sent messages (a worker updating a window of this thread) are delivered
  // by the peek as well, so a worker that waits on this thread never stalls.
  for (;;) {
    const DWORD waited = MsgWaitForMultipleObjectsEx(1, &handle, INFINITE, QS_ALLINPUT | QS_ALLPOSTMESSAGE,
                                                     MWMO_INPUTAVAILABLE);
    if (waited != WAIT_OBJECT_0 + 1) return waited;
    MSG message;
    if (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }
}

}  // namespace tessaro
