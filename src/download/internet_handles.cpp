#include "download/internet_handles.h"

#include <utility>

#include "download/wininet_api.h"

namespace tessaro {

void InternetHandle::Close() {
  if (handle_ != nullptr) (void)WinInet().closeHandle(Release());
}

HINTERNET InternetHandle::Release() noexcept { return std::exchange(handle_, nullptr); }

void SessionHandle::Close() {
  if (handle_ == nullptr) return;
  (void)WinInet().setStatusCallback(handle_, nullptr);
  InternetHandle::Close();
}

void RequestHandle::Close() {
  if (handle_ == nullptr) return;
  (void)ResetEvent(handleClosedEvent_);
  (void)WinInet().closeHandle(Release());
  while (!completed_) (void)WaitForSingleObject(completionEvent_, INFINITE);
  (void)WaitForSingleObject(handleClosedEvent_, INFINITE);
}

void RequestHandle::Reset(HINTERNET handle) {
  Close();
  handle_ = handle;
}

}  // namespace tessaro
