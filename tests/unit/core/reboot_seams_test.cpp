// What end-to-end runs cannot show without restarting, asking, opening the browser or
// registering a task for real: recorders stand in for the seams.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/chainer_app.h"
#include "core/interboot_store.h"
#include "core/launch_list.h"
#include "core/user_launch.h"
#include "platform/paths.h"
#include "test_support.h"

namespace tessaro {
namespace {

struct Recorder final : MachineRestart, RebootQuestion, LogonTaskRegistrar, BrowserOpener {
  void Restart() override { ++restarts; }
  int Ask() override {
    ++questions;
    return answer;
  }
  unsigned long CreateScheduledTask(const ScheduledTaskRequest&) override { return taskResult; }
  void OpenShortcut(const std::wstring& shortcutPath) override { shortcuts.push_back(shortcutPath); }
  SystemSeams Seams() { return SystemSeams{this, this, this, this}; }

  int answer = IDYES;
  unsigned long taskResult = ERROR_SUCCESS;
  int restarts = 0;
  int questions = 0;
  std::vector<std::wstring> shortcuts;
};

Prerequisite Skipped(const std::wstring& name, const std::wstring& location) {
  Prerequisite record;
  record.name = name;
  record.location = location;
  record.skipSearches = true;
  return record;
}

// A question that could not be shown at all (0) refuses too.
TEST(RebootSeams, OnlyAnExplicitYesRestarts) {
  for (const int answer : {IDYES, IDNO, 0}) {
    Recorder recorder;
    recorder.answer = answer;
    InterbootStore store("Software\\Tessaro Tests\\unused");
    LaunchList launches(store, recorder.Seams());
    launches.Reboot(false);
    EXPECT_EQ(recorder.questions, 1) << answer;
    EXPECT_EQ(recorder.restarts, answer == IDYES) << answer;
    EXPECT_EQ(launches.rebootRefused, answer != IDYES) << answer;
  }
}

// No dialog template here, so no progress dialog: basic UI then restarts without asking. Sites open
// first, each through a new ANSI shortcut file; what the code page cannot spell becomes its stand-in.
TEST(RebootSeams, BasicUiWithoutItsDialogInstallsAsSilentModeDoes) {
  ChainerOptions options;
  options.general.options = L"b";
  for (const wchar_t* url : {L"http://127.0.0.1:9/first", L"http://127.0.0.1:9/\x4E2D"}) {
    options.prerequisites.push_back(Skipped(url, url));
    options.prerequisites.back().sourceKind = SourceKind::Site;
  }
  Prerequisite record = Skipped(L"Driver", test_support::BinPath(L"exit_with.exe"));
  record.noUiCommandLine = L"9";
  record.basicUiCommandLine = L"0";
  record.options = L"ir";
  record.retValPropName = L"SeamTest";
  options.prerequisites.push_back(record);

  Recorder recorder;
  recorder.answer = IDNO;
  ChainerApp app;
  app.SetSystemSeams(recorder.Seams());
  EXPECT_EQ(app.RunChainer(options), -1);
  EXPECT_TRUE(app.IsRebootPending());
  EXPECT_EQ(recorder.questions, 0);
  EXPECT_EQ(recorder.restarts, 1);
  InterbootStore context("InterbootContext");
  std::string code;
  EXPECT_TRUE(context.GetText("SeamTest", code) && code == "0") << code;
  context.DeleteKey();

  ASSERT_EQ(recorder.shortcuts.size(), 2u);
  for (int i = 0; i < 2; ++i) {
    const std::wstring& path = recorder.shortcuts[i];
    EXPECT_TRUE(path.starts_with(GetTempFolder()) && path.ends_with(L".url")) << path;
    EXPECT_EQ(test_support::FileBytes(path), std::string("[InternetShortcut]\r\nURL=http://127.0.0.1:9/") +
                                                 (i == 0 ? "first" : "?") + "\r\n");
    DeleteFileW(path.c_str());
  }
}

TEST(UserLaunch, RunValueOnlyWhenNoTaskCanBeRegisteredAndAnExistingOneStays) {
  Recorder recorder;
  const std::wstring command = L"C:\\" + test_support::UniqueName(L"Tessaro Test") + L"\\app.exe";
  const wchar_t kRun[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
  const auto readRun = [&] {
    wchar_t data[512] = {};
    DWORD size = sizeof(data) - sizeof(wchar_t);
    (void)RegGetValueW(HKEY_CURRENT_USER, kRun, command.c_str(), RRF_RT_REG_SZ, nullptr, data, &size);
    return std::wstring(data);
  };
  for (const long result : {ERROR_SUCCESS, ERROR_FILE_EXISTS}) {
    recorder.taskResult = result;
    EXPECT_TRUE(LaunchAsLoggedOnUser(command, L"/start", recorder));
    EXPECT_EQ(readRun(), L"") << result;
  }
  recorder.taskResult = ERROR_ACCESS_DENIED;
  EXPECT_TRUE(LaunchAsLoggedOnUser(command, L"/start", recorder));
  EXPECT_TRUE(LaunchAsLoggedOnUser(command, L"/other", recorder));
  EXPECT_EQ(readRun(), L"\"" + command + L"\" /start");
  EXPECT_EQ(RegDeleteKeyValueW(HKEY_CURRENT_USER, kRun, command.c_str()), ERROR_SUCCESS);
}

// What no run reaches: deletes of what is gone, and a key that cannot exist.
TEST(InterbootStore, ReadsBackDeletesAndFailsQuietly) {
  // The store removes its key itself, so a name is all it needs.
  InterbootStore store(
      test_support::Narrow(L"Software\\Tessaro Tests\\" + test_support::UniqueName(L"interboot")));
  std::string text = "untouched";
  EXPECT_FALSE(store.GetText("code", text));
  EXPECT_EQ(text, "untouched");

  ASSERT_TRUE(store.SetNumber("code", -1073741819));
  ASSERT_TRUE(store.SetText("text", "a b"));
  EXPECT_TRUE(store.Delete("text"));
  EXPECT_FALSE(store.Delete("text"));
  auto it = store.Begin();
  ASSERT_FALSE(it == store.End());
  EXPECT_EQ(*it, (std::pair<std::string, std::string>{"code", "-1073741819"}));
  EXPECT_TRUE(++it == store.End());

  store.DeleteKey();
  std::int32_t number = 0;
  EXPECT_FALSE(store.GetNumber("code", number));
  store.DeleteKey();  // a key that is gone is no error

  // Key names are limited to 255 characters: such a store fails quietly.
  InterbootStore tooLong("Software\\Tessaro Tests\\" + std::string(300, 'k'));
  EXPECT_FALSE(tooLong.SetNumber("code", 1));
  EXPECT_TRUE(tooLong.Begin() == tooLong.End());
}

}  // namespace
}  // namespace tessaro
