#include "ui/taskbar_progress.h"

#include "platform/os_description.h"

namespace tessaro {

TaskbarProgress::~TaskbarProgress() { SetState(TBPF_NOPROGRESS); }

void TaskbarProgress::Attach(HWND topLevel) {
  window_ = topLevel;
  const OsDescription& os = GetOsDescription();
  // The progress interface came with Windows 7 (6.1).
  if (os.major < 6 || (os.major == 6 && os.minor < 1)) return;
  if (FAILED(CoCreateInstance(CLSID_TaskbarList, nullptr, CLSCTX_INPROC_SERVER, IID_ITaskbarList3,
                              list_.PutVoid())) ||
      FAILED(list_->HrInit())) {
    list_.Reset();
  }
}

void TaskbarProgress::SetValue(std::uint64_t done, std::uint64_t total) {
  if (list_) (void)list_->SetProgressValue(window_, done, total);
}

void TaskbarProgress::SetState(TBPFLAG state) {
  if (list_) (void)list_->SetProgressState(window_, state);
}

}  // namespace tessaro
