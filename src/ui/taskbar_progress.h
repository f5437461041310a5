#pragma once
// Progress and error state on the program's taskbar button (Windows 7 and
// later; on older systems every call does nothing).
#include <windows.h>
// After windows.h, which it needs.
#include <shobjidl.h>

#include <cstdint>

#include "platform/com_ptr.h"

namespace tessaro {

class TaskbarProgress {
 public:
  TaskbarProgress() = default;
  TaskbarProgress(const TaskbarProgress&) = delete;
  TaskbarProgress& operator=(const TaskbarProgress&) = delete;
  // Clears the button's progress.
  ~TaskbarProgress();

  // The top-level window whose button shows the progress; call on the
  // thread that owns it, and use the object only there.
  void Attach(HWND topLevel);
  void SetValue(std::uint64_t done, std::uint64_t total);
  void SetState(TBPFLAG state);

 private:
  HWND window_ = nullptr;
  ComPtr<ITaskbarList3> list_;
};

}  // namespace tessaro
