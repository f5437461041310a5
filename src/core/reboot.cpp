#include "core/reboot.h"

#include "core/scheduled_task.h"
#include "platform/handles.h"
#include "ui/strings.h"

namespace tessaro {
namespace {

// Planned, major reason application, minor reason installation.
constexpr DWORD kRestartReason = SHTDN_REASON_FLAG_PLANNED | SHTDN_REASON_MAJOR_APPLICATION |
                                 SHTDN_REASON_MINOR_INSTALLATION;  // 0x80040002
constexpr UINT kRestartFlags = EWX_REBOOT | EWX_FORCE;              // 6
constexpr UINT kQuestionStyle = MB_YESNO | MB_ICONINFORMATION;      // 0x44

}  // namespace

void SystemRestart::Restart() {
  UniqueHandle token;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, token.Put())) return;
  TOKEN_PRIVILEGES privileges{};
  privileges.PrivilegeCount = 1;
  privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
  if (!LookupPrivilegeValueW(nullptr, SE_SHUTDOWN_NAME, &privileges.Privileges[0].Luid)) return;
  SetLastError(ERROR_SUCCESS);
  if (!AdjustTokenPrivileges(token.Get(), FALSE, &privileges, 0, nullptr, nullptr)) return;
  // AdjustTokenPrivileges succeeds with ERROR_NOT_ALL_ASSIGNED when the
  // account does not hold the privilege; only a real grant goes on.
  if (GetLastError() != ERROR_SUCCESS) return;
  (void)ExitWindowsEx(kRestartFlags, kRestartReason);
}

int RebootMessageBox::Ask() {
  const std::wstring text = LoadResString(IDS_REBOOT_PROMPT);
  const std::wstring caption = LoadResString(IDS_CONFIRMATION);
  return MessageBoxW(GetForegroundWindow(), text.c_str(), caption.c_str(), kQuestionStyle);
}

namespace {

// Stateless: one object of each serves the whole process.
SystemRestart realRestart;
RebootMessageBox realQuestion;
TaskSchedulerRegistrar realTasks;

}  // namespace

SystemSeams RealSystemSeams() {
  return SystemSeams{&realRestart, &realQuestion, &realTasks, &ShellBrowserOpener()};
}

}  // namespace tessaro
