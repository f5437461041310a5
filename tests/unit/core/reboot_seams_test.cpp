// What end-to-end runs cannot show without restarting or asking: who is
// asked before a restart, what a refusal leaves behind, and what is handed
// to the Task Scheduler. Real setups run; recorders stand in for the seams.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/chainer_app.h"
#include "core/interboot_store.h"
#include "core/scheduled_task.h"
#include "core/user_launch.h"
#include "platform/com_ptr.h"
#include "platform/paths.h"
#include "test_support.h"
// clang-format off
#include <mstask.h>
// clang-format on

namespace tessaro {
namespace {

struct Recorder final : MachineRestart, RebootQuestion, LogonTaskRegistrar, BrowserOpener {
  void Restart() override { ++restarts; }
  bool UserAgrees() override {
    ++questions;
    return answer;
  }
  unsigned long CreateScheduledTask(const ScheduledTaskRequest& request) override {
    ++tasks;
    last = request;
    return taskResult;
  }
  void OpenShortcut(const std::wstring& shortcutPath) override { shortcuts.push_back(shortcutPath); }
  SystemSeams Seams() { return SystemSeams{this, this, this, this}; }

  bool answer = true;
  unsigned long taskResult = ERROR_SUCCESS;
  int restarts = 0;
  int questions = 0;
  int tasks = 0;
  ScheduledTaskRequest last;
  std::vector<std::wstring> shortcuts;
};

// Sites open in list order, each through a new ANSI shortcut file in the
// temporary folder; what the code page cannot spell becomes its stand-in.
TEST(SiteSeam, SitesOpenInListOrderThroughShortcutFiles) {
  ChainerOptions options;
  options.general.options = L"q";
  for (const wchar_t* url : {L"http://127.0.0.1:9/first", L"http://127.0.0.1:9/\x4E2D"}) {
    Prerequisite record;
    record.name = url;
    record.location = url;
    record.sourceKind = SourceKind::Site;
    record.skipSearches = true;
    options.prerequisites.push_back(record);
  }
  Recorder recorder;
  ChainerApp app;
  app.SetSystemSeams(recorder.Seams());
  EXPECT_EQ(app.RunChainer(options), 0);

  ASSERT_EQ(recorder.shortcuts.size(), 2u);
  const std::string expected[] = {"[InternetShortcut]\r\nURL=http://127.0.0.1:9/first\r\n",
                                  "[InternetShortcut]\r\nURL=http://127.0.0.1:9/?\r\n"};
  for (int i = 0; i < 2; ++i) {
    const std::wstring& path = recorder.shortcuts[i];
    const std::wstring name = path.substr(path.rfind(L'\\') + 1);
    EXPECT_EQ(path.substr(0, path.rfind(L'\\') + 1), GetTempFolder()) << path;
    EXPECT_TRUE(name.starts_with(L"URL") && name.ends_with(L".url")) << path;
    EXPECT_EQ(test_support::FileBytes(path), expected[i]) << i;
    DeleteFileW(path.c_str());
  }
}

// Basic UI asks through the real message box on the progress dialog's
// worker; the end-to-end runs answer it both ways. This program has no
// dialog template, so here the dialog cannot be created: nothing runs, and
// the run ends as if the dialog had ended with 0.
TEST(RebootSeams, BasicUiWithoutItsDialogRunsNothing) {
  ChainerOptions options;
  options.general.options = L"b";
  Prerequisite record;
  record.name = L"Driver";
  record.location = test_support::BinPath(L"exit_with.exe");
  record.basicUiCommandLine = L"0";
  record.options = L"ir";
  record.skipSearches = true;
  record.retValPropName = L"SeamTest";
  options.prerequisites.push_back(record);

  Recorder recorder;
  ChainerApp app;
  app.SetSystemSeams(recorder.Seams());
  EXPECT_EQ(app.RunChainer(options), 0);
  EXPECT_FALSE(app.IsRebootPending());
  EXPECT_EQ(recorder.questions + recorder.restarts, 0);
  InterbootStore context("InterbootContext");
  std::string code;
  EXPECT_FALSE(context.GetText("SeamTest", code));
  context.DeleteKey();
}

TEST(UserLaunch, EmptyCommandRegistersNothingOtherwiseAHiddenLogonTaskOrARunValue) {
  Recorder recorder;
  EXPECT_FALSE(LaunchAsLoggedOnUser(L"", L"/x", recorder));
  EXPECT_EQ(recorder.tasks, 0);

  EXPECT_TRUE(LaunchAsLoggedOnUser(L"C:\\Program Files\\App\\app.exe", L"/first", recorder));
  const ScheduledTaskRequest& task = recorder.last;
  EXPECT_EQ(task.taskName, L"C__Program Files_App_app.exe.job");
  EXPECT_EQ(task.program, L"\"C:\\Program Files\\App\\app.exe\"");
  EXPECT_EQ(task.parameters, L"/first");
  EXPECT_EQ(task.flags, 0xA200u);
  EXPECT_EQ(task.schedule.kind, 6);
  EXPECT_EQ(task.schedule.parameters[0] + task.schedule.parameters[1] + task.schedule.parameters[2], 3u);
  EXPECT_TRUE(task.workingDirectory.empty() && task.comment.empty());
  // An ordinary account: "DOMAIN\user".
  EXPECT_NE(task.account.find(L'\\'), std::wstring::npos);

  recorder.taskResult = ERROR_FILE_EXISTS;
  EXPECT_TRUE(LaunchAsLoggedOnUser(L"C:\\app.exe", L"", recorder));

  // No task can be registered: a Run value instead, and an existing one stays.
  const std::wstring command = L"C:\\" + test_support::UniqueName(L"Tessaro Test") + L"\\app.exe";
  const wchar_t kRun[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
  const auto readRun = [&] {
    wchar_t data[512] = {};
    DWORD size = sizeof(data) - sizeof(wchar_t);
    const LSTATUS status =
        RegGetValueW(HKEY_CURRENT_USER, kRun, command.c_str(), RRF_RT_REG_SZ, nullptr, data, &size);
    return status == ERROR_SUCCESS ? std::wstring(data) : std::wstring(L"(none)");
  };
  recorder.taskResult = ERROR_ACCESS_DENIED;
  EXPECT_TRUE(LaunchAsLoggedOnUser(command, L"/start", recorder));
  EXPECT_EQ(readRun(), L"\"" + command + L"\" /start");

  EXPECT_TRUE(AddRunValue(command, L"/other"));
  EXPECT_EQ(readRun(), L"\"" + command + L"\" /start");
  EXPECT_EQ(RegDeleteKeyValueW(HKEY_CURRENT_USER, kRun, command.c_str()), ERROR_SUCCESS);
}

TEST(ScheduledTask, SettingsReadBackFromTheTaskScheduler) {
  ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
  ScheduledTaskRequest request;
  // Wine's Task Scheduler refuses a name with a dot (the product's names end
  // with ".job"); that failure is the Run-value fallback tested above.
  request.taskName = test_support::UniqueName(L"TessaroTest");
  request.program = L"\"C:\\Program Files\\App\\app.exe\"";
  request.parameters = L"/first";
  request.flags = 0xA200;
  request.schedule.kind = 6;
  GetSystemTime(&request.startTime);
  TaskSchedulerRegistrar registrar;
  const unsigned long result = registrar.CreateScheduledTask(request);
  if (result == static_cast<unsigned long>(REGDB_E_CLASSNOTREG)) GTEST_SKIP() << "no Task Scheduler";
  ASSERT_EQ(result, 0u);

  ComPtr<ITaskScheduler> scheduler;
  ASSERT_TRUE(SUCCEEDED(CoCreateInstance(CLSID_CTaskScheduler, nullptr, CLSCTX_INPROC_SERVER,
                                         IID_ITaskScheduler, scheduler.PutVoid())));
  ComPtr<ITask> task;
  ASSERT_TRUE(SUCCEEDED(scheduler->Activate(request.taskName.c_str(), IID_ITask, task.PutUnknown())));
  LPWSTR text = nullptr;
  ASSERT_TRUE(SUCCEEDED(task->GetApplicationName(&text)));
  EXPECT_STREQ(text, request.program.c_str());
  CoTaskMemFree(text);
  ASSERT_TRUE(SUCCEEDED(task->GetParameters(&text)));
  EXPECT_STREQ(text, L"/first");
  CoTaskMemFree(text);
  DWORD flags = 0;
  ASSERT_TRUE(SUCCEEDED(task->GetFlags(&flags)));
  // Hidden and run only while logged on; Wine drops the bit it does not know.
  EXPECT_EQ(flags & 0x2200u, 0x2200u);
  ComPtr<ITaskTrigger> trigger;
  ASSERT_TRUE(SUCCEEDED(task->GetTrigger(0, trigger.Put())));
  TASK_TRIGGER settings{};
  settings.cbTriggerSize = sizeof(settings);
  ASSERT_TRUE(SUCCEEDED(trigger->GetTrigger(&settings)));
  EXPECT_EQ(settings.TriggerType, TASK_EVENT_TRIGGER_AT_LOGON);
  EXPECT_EQ(settings.wStartHour, request.startTime.wHour);
  trigger.Reset();
  task.Reset();
  EXPECT_TRUE(SUCCEEDED(scheduler->Delete(request.taskName.c_str())));
  scheduler.Reset();
  CoUninitialize();
}

}  // namespace
}  // namespace tessaro
