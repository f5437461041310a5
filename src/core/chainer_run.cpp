#include "core/chainer_app.h"
#include "core/credential_question.h"
#include "core/interboot_store.h"
#include "core/prereq_controller.h"
#include "core/resume.h"
#include "log/logger.h"
#include "platform/chainer_codes.h"
#include "prereq/evaluator.h"
#include "ui/progress_dialog.h"
#include "ui/strings.h"
#include "ui/worker_thread.h"

namespace tessaro {
namespace {

// Where the return codes of the launched setups are recorded for anyone
// who looks after a restart.
constexpr char kRebootContextKey[] = "InterbootContext";

// The reboot context lives as long as the run: its values are removed at
// the end unless a reboot is pending, so that they survive the restart.
class RebootContextGuard {
 public:
  RebootContextGuard() : store_(kRebootContextKey) {}
  RebootContextGuard(const RebootContextGuard&) = delete;
  RebootContextGuard& operator=(const RebootContextGuard&) = delete;
  ~RebootContextGuard() {
    if (deleteAtEnd_) store_.DeleteKey();
  }
  [[nodiscard]] InterbootStore& Store() { return store_; }
  void KeepForRestart() { deleteAtEnd_ = false; }

 private:
  InterbootStore store_;
  bool deleteAtEnd_ = true;
};

bool AnythingMissing(const ChainerOptions& options) {
  for (const Prerequisite& record : options.prerequisites) {
    if (IsMissingState(record.state)) return true;
  }
  return false;
}

const wchar_t* TrueFalse(bool value) { return value ? L"true" : L"false"; }

void LogRebootSummary(const LaunchList& launches) {
  if (!LoggingEnabled) return;
  Logger& log = Logger::Instance();
  log.WriteLine(std::wstring(L"After running prerequisites we have:  Reboot was required=") +
                TrueFalse(launches.rebootRequired));
  if (!launches.rebootRequired) return;
  log.WriteLine(std::wstring(L"  Reboot was refused=") + TrueFalse(launches.rebootRefused));
  if (!launches.rebootRefused) log.WriteLine(std::wstring(L"  Reboot in Progress=") + TrueFalse(launches.shutdown));
}

// 1 while a mandatory prerequisite is missing once the work is done.
int ExitCodeAfterWork(PrereqController& controller) {
  controller.ReevaluateAll();
  return controller.FindUnsatisfiedMandatory() ? kExitMandatoryMissing : kExitSuccess;
}

// Runs the steps on this thread without any window or question; the
// outcome is read from what is still missing afterwards.
int RunWithoutWindow(PrereqController& controller) {
  controller.SetSilent(true);
  // Each step reports its own failures.
  (void)controller.DownloadAll(nullptr);
  (void)controller.OpenAllSites(nullptr);
  (void)controller.InstallAll(nullptr);
  return controller.Launches().rebootRequired ? kExitSuccess : ExitCodeAfterWork(controller);
}

// The progress dialog's worker runs the controller's steps, and the dialog
// puts the engine's credential questions to the user.
class DialogWork final : public ProgressWork {
 public:
  DialogWork(PrereqController& controller, const std::wstring& title)
      : controller_(controller), title_(title) {}
  std::uint32_t DownloadAll(ProgressListener* listener) override { return controller_.DownloadAll(listener); }
  std::uint32_t OpenAllSites(ProgressListener* listener) override {
    return controller_.OpenAllSites(listener);
  }
  std::uint32_t InstallAll(ProgressListener* listener) override { return controller_.InstallAll(listener); }
  bool AllMandatoryPresent() override { return ExitCodeAfterWork(controller_) == kExitSuccess; }
  void SetShutdown() override { controller_.Launches().shutdown = true; }
  bool AskForCredentials(HWND owner) override {
    return AskUserForCredentials(owner, title_, ProcessCredentials());
  }

 private:
  PrereqController& controller_;
  const std::wstring& title_;
};

class Evaluation final : public Runnable {
 public:
  explicit Evaluation(PrereqEvaluator& evaluator) : evaluator_(evaluator) {}
  std::uint32_t Run(std::uint32_t, std::uint32_t) override {
    evaluator_.EvaluateAll();
    return 0;
  }

 private:
  PrereqEvaluator& evaluator_;
};

// The package learns from the exit code whether its prerequisites are in
// place, so the dialog's end code is not the last word: a run that was
// cancelled, or closed after a failed step, still ends with 1 while a
// mandatory prerequisite is missing.
int RunWithDialog(PrereqController& controller, const std::wstring& title) {
  DialogWork work(controller, title);
  ProgressDialog dialog(work, title);
  const int code = dialog.Run();
  if (code == kProgressNotShown) {
    // Basic UI is about what the user sees, not about whether anything is
    // installed: without the window the work goes on as in silent mode.
    LogLine(L"The progress window could not be created; going on without it.");
    return RunWithoutWindow(controller);
  }
  if (code == IDOK) return kExitSuccess;
  if (code == kProgressMandatoryMissing) return kExitMandatoryMissing;
  // Without a mandatory prerequisite to wait for, nothing needs a second look.
  return controller.MissingMandatoryCount() == 0 ? kExitSuccess : ExitCodeAfterWork(controller);
}

}  // namespace

int ChainerApp::RunChainer(ChainerOptions& options) {
  silent_ = options.IsSilent();
  RebootContextGuard context;
  if (options.prerequisites.empty()) return kExitSuccess;

  PrereqEvaluator evaluator(options, &packageFiles_);
  EvaluateAll(evaluator);

  if (!AnythingMissing(options)) {
    LogLine(L"No prerequisite must be installed.");
    return kExitSuccess;
  }
  preparing_.Close();

  ResumingRestart resume(executablePath_, *seams_.restart);
  SystemSeams seams = seams_;
  if (options.general.resumeAfterReboot) seams.restart = &resume;
  PrereqController controller(options, evaluator, packageFiles_, options.GetDownloadFolder(), context.Store(),
                              seams);
  int result = kExitSuccess;
  if (silent_) {
    LogLine(L"Starting installing prerequisites in silent mode.");
    result = RunWithoutWindow(controller);
  } else if (options.IsBasicUi()) {
    LogLine(L"Starting installing prerequisites in basic UI mode.");
    result = RunWithDialog(controller, preparing_.Title());
  } else if (controller.FindUnsatisfiedMandatory()) {
    // With neither letter the run only evaluates and reports, but a
    // mandatory prerequisite it found missing is still missing.
    result = kExitMandatoryMissing;
  }

  const LaunchList& launches = controller.Launches();
  LogRebootSummary(launches);
  if ((launches.rebootRequired && !launches.rebootRefused) || launches.shutdown) {
    result = kExitRebootPending;
    context.KeepForRestart();
    rebootPending_ = true;
    // The package stays as it is, downloads included, for the run after the restart.
    if (options.general.resumeAfterReboot && resume.Schedule()) {
      resumeScheduled_ = true;
      controller.KeepDownloads();
    }
  }
  return result;
}

void ChainerApp::EvaluateAll(PrereqEvaluator& evaluator) {
  if (silent_) {
    evaluator.EvaluateAll();
    return;
  }
  // The window stays responsive while the searches run.
  Evaluation evaluation(evaluator);
  preparing_.Show(IDS_SEARCHING, evaluation.MaySkip());
  WorkerThread worker(evaluation, 0, 0);
  if (worker.Start()) {
    WaitWithMessagePump(worker.Handle());
  } else {
    evaluation.Run(0, 0);
  }
}

}  // namespace tessaro
