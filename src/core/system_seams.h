#pragma once
// The effects a test cannot let happen for real: restarting the machine,
// asking the user whether to restart, registering a task in the Task
// Scheduler and opening the browser. Each is one small interface; the
// defaults do the real thing and tests put recorders in their place.
#include <windows.h>

#include <cstdint>
#include <string>

#include "download/site_opener.h"

namespace tessaro {

class MachineRestart {
 public:
  virtual ~MachineRestart() = default;
  // Enables the shutdown privilege and restarts Windows; failures are not reported.
  virtual void Restart() = 0;
};

class RebootQuestion {
 public:
  virtual ~RebootQuestion() = default;
  // The message box's answer: IDYES, IDNO, or 0 when it could not be shown.
  [[nodiscard]] virtual int Ask() = 0;
};

// When a task runs: kind 0 or 1 daily, 2 weekly, 3 monthly by date, 4 monthly
// by day of week, 5 at system start, 6 at logon, 7 on idle.
struct TaskSchedule {
  std::int32_t kind = 0;
  std::uint32_t parameters[4] = {};
  std::uint32_t triggerFlags[3] = {};
};

struct ScheduledTaskRequest {
  std::wstring taskName;
  std::wstring program;
  std::wstring parameters;
  std::wstring workingDirectory;
  std::wstring account;  // empty: no account of its own
  std::wstring comment;
  DWORD flags = 0;
  SYSTEMTIME startTime{};
  TaskSchedule schedule;
};

class LogonTaskRegistrar {
 public:
  virtual ~LogonTaskRegistrar() = default;
  // 0 on success, else an error code (ERROR_FILE_EXISTS counts as success
  // for the caller).
  [[nodiscard]] virtual unsigned long CreateScheduledTask(const ScheduledTaskRequest& request) = 0;
};

struct SystemSeams {
  MachineRestart* restart;
  RebootQuestion* question;
  LogonTaskRegistrar* tasks;
  BrowserOpener* browser;
};

// The real implementations.
[[nodiscard]] SystemSeams RealSystemSeams();

}  // namespace tessaro
