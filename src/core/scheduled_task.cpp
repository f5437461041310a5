#include "core/scheduled_task.h"

// clang-format off
#include <initguid.h>  // defines the Task Scheduler's class and interface ids here
#include <mstask.h>
// clang-format on

#include "platform/com_ptr.h"

namespace tessaro {
namespace {

constexpr WORD kIdleDeadlineMinutes = 10;

// The caller's schedule in the trigger's terms; unknown kinds run daily.
void FillTrigger(const TaskSchedule& schedule, TASK_TRIGGER& trigger) {
  const auto parameter = [&schedule](int i) { return static_cast<WORD>(schedule.parameters[i]); };
  switch (schedule.kind) {
    case 2:
      trigger.TriggerType = TASK_TIME_TRIGGER_WEEKLY;
      trigger.Type.Weekly.WeeksInterval = parameter(0);
      trigger.Type.Weekly.rgfDaysOfTheWeek = parameter(2);
      break;
    case 3:
      trigger.TriggerType = TASK_TIME_TRIGGER_MONTHLYDATE;
      trigger.Type.MonthlyDate.rgfDays = schedule.parameters[0] == 0 ? 0 : 1u << (schedule.parameters[0] - 1);
      trigger.Type.MonthlyDate.rgfMonths = parameter(2);
      break;
    case 4:
      trigger.TriggerType = TASK_TIME_TRIGGER_MONTHLYDOW;
      trigger.Type.MonthlyDOW.wWhichWeek = parameter(0);
      trigger.Type.MonthlyDOW.rgfDaysOfTheWeek = parameter(1);
      trigger.Type.MonthlyDOW.rgfMonths = parameter(2);
      break;
    case 5:
      trigger.TriggerType = TASK_EVENT_TRIGGER_AT_SYSTEMSTART;
      break;
    case 6:
      trigger.TriggerType = TASK_EVENT_TRIGGER_AT_LOGON;
      break;
    case 7:
      trigger.TriggerType = TASK_EVENT_TRIGGER_ON_IDLE;
      break;
    default:
      trigger.TriggerType = TASK_TIME_TRIGGER_DAILY;
      trigger.Type.Daily.DaysInterval = parameter(0);
      break;
  }
  trigger.rgFlags = schedule.triggerFlags[0] | schedule.triggerFlags[1] | schedule.triggerFlags[2];
}

HRESULT ConfigureTask(ITask& task, const ScheduledTaskRequest& request) {
  HRESULT hr = task.SetApplicationName(request.program.c_str());
  if (SUCCEEDED(hr)) hr = task.SetWorkingDirectory(request.workingDirectory.c_str());
  if (SUCCEEDED(hr)) hr = task.SetParameters(request.parameters.c_str());
  // An empty account (or LocalSystem's own name) runs the task without one.
  const bool noAccount = request.account.empty() || request.account == L"SYSTEM";
  if (SUCCEEDED(hr)) hr = task.SetAccountInformation(noAccount ? L"" : request.account.c_str(), nullptr);
  if (SUCCEEDED(hr)) hr = task.SetComment(request.comment.c_str());
  if (SUCCEEDED(hr)) hr = task.SetMaxRunTime(INFINITE);
  if (SUCCEEDED(hr)) hr = task.SetFlags(request.flags);
  if (FAILED(hr)) return hr;

  ComPtr<ITaskTrigger> trigger;
  if (FAILED(task.GetTrigger(0, trigger.Put()))) {
    WORD index = 0;
    hr = task.CreateTrigger(&index, trigger.Put());
    if (FAILED(hr)) return hr;
  }
  SYSTEMTIME today{};
  GetSystemTime(&today);
  TASK_TRIGGER settings{};
  settings.cbTriggerSize = sizeof(settings);
  settings.wBeginYear = today.wYear;
  settings.wBeginMonth = today.wMonth;
  settings.wBeginDay = today.wDay;
  settings.wStartHour = request.startTime.wHour;
  settings.wStartMinute = request.startTime.wMinute;
  FillTrigger(request.schedule, settings);
  if (request.schedule.kind == 7) {
    // The idle wait belongs to the task, not to its trigger.
    (void)task.SetIdleWait(static_cast<WORD>(request.schedule.parameters[0]), kIdleDeadlineMinutes);
  }
  return trigger->SetTrigger(&settings);
}

}  // namespace

unsigned long TaskSchedulerRegistrar::CreateScheduledTask(const ScheduledTaskRequest& request) {
  ComPtr<ITaskScheduler> scheduler;
  HRESULT hr = CoCreateInstance(CLSID_CTaskScheduler, nullptr, CLSCTX_INPROC_SERVER, IID_ITaskScheduler,
                                scheduler.PutVoid());
  if (FAILED(hr)) return static_cast<unsigned long>(hr);

  ComPtr<ITask> task;
  if (FAILED(scheduler->Activate(request.taskName.c_str(), IID_ITask, task.PutUnknown()))) {
    hr = scheduler->NewWorkItem(request.taskName.c_str(), CLSID_CTask, IID_ITask, task.PutUnknown());
    if (FAILED(hr)) return static_cast<unsigned long>(hr);
  }
  hr = ConfigureTask(*task.Get(), request);
  if (FAILED(hr)) return static_cast<unsigned long>(hr);

  ComPtr<IPersistFile> file;
  hr = task->QueryInterface(IID_IPersistFile, file.PutVoid());
  if (SUCCEEDED(hr)) hr = file->Save(nullptr, TRUE);
  if (FAILED(hr)) {
    // A half-registered task would run nothing useful.
    (void)scheduler->Delete(request.taskName.c_str());
    return static_cast<unsigned long>(hr);
  }
  return ERROR_SUCCESS;
}

}  // namespace tessaro
