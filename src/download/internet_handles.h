#pragma once
// Guards for WinINet handles. A request is closed asynchronously: WinINet may
// still run the status callback for it after InternetCloseHandle returns, so
// its guard waits until the callback has seen the handle go away.
#include <windows.h>
#include <wininet.h>

#include <atomic>

namespace tessaro {

class InternetHandle {
 public:
  explicit InternetHandle(HINTERNET handle = nullptr) noexcept : handle_(handle) {}
  InternetHandle(const InternetHandle&) = delete;
  InternetHandle& operator=(const InternetHandle&) = delete;
  virtual ~InternetHandle() { InternetHandle::Close(); }

  virtual void Close();
  [[nodiscard]] HINTERNET Get() const noexcept { return handle_; }
  // Forgets the handle without closing it.
  HINTERNET Release() noexcept;

 protected:
  HINTERNET handle_;
};

// A session or connection: the callback goes first, so that closing it
// notifies nobody.
class SessionHandle : public InternetHandle {
 public:
  using InternetHandle::InternetHandle;
  ~SessionHandle() override { SessionHandle::Close(); }
  void Close() override;
};

class RequestHandle : public InternetHandle {
 public:
  // None is owned; all belong to the session whose callback sets them.
  // |completionEvent| is set only for an operation that went on after its
  // call returned: one that completed at once only sets |completed|.
  RequestHandle(HINTERNET handle, const std::atomic<bool>& completed, HANDLE completionEvent,
                HANDLE handleClosedEvent) noexcept
      : InternetHandle(handle),
        completed_(completed),
        completionEvent_(completionEvent),
        handleClosedEvent_(handleClosedEvent) {}
  ~RequestHandle() override { RequestHandle::Close(); }
  // Returns once the operation in flight has completed and the callback has
  // seen the handle closing.
  void Close() override;
  // Closes the held handle (if any) and takes |handle| instead.
  void Reset(HINTERNET handle);

 private:
  const std::atomic<bool>& completed_;
  HANDLE completionEvent_;
  HANDLE handleClosedEvent_;
};

}  // namespace tessaro
