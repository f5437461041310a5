#include "core/chainer_app.h"
#include "core/interboot_store.h"
#include "core/prereq_controller.h"
#include "log/logger.h"
#include "platform/chainer_codes.h"
#include "prereq/evaluator.h"

namespace tessaro {
namespace {

// Where the return codes of the launched setups are recorded for anyone
// who looks after a restart.
constexpr char kRebootContextKey[] = "InterbootContext";

// End code of the progress dialog when a mandatory prerequisite is still missing.
constexpr int kDialogMandatoryMissing = 7;
constexpr int kDialogDone = IDOK;

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

int RunSilently(PrereqController& controller) {
  LogLine(L"Starting installing prerequisites in silent mode.");
  controller.SetSilent(true);
  // Each step reports its own failures; the outcome is read from what is
  // still missing afterwards.
  (void)controller.DownloadAll(nullptr);
  (void)controller.OpenAllSites(nullptr);
  (void)controller.InstallAll(nullptr);
  if (controller.Launches().rebootRequired) return kExitSuccess;
  controller.ReevaluateAll();
  return controller.FindUnsatisfiedMandatory() ? kExitMandatoryMissing : kExitSuccess;
}

// The progress dialog runs the same steps on a worker thread with itself as
// the listener and ends with IDOK, 7 or IDCANCEL. Until that dialog exists
// the steps run here, reporting to a listener that shows nothing, and end
// the way the dialog would; a step that fails leaves the dialog up until
// the user cancels, which is IDCANCEL.
int RunProgressSteps(PrereqController& controller) {
  ProgressListener listener;
  if (controller.DownloadAll(&listener) != 0) return IDCANCEL;
  (void)controller.OpenAllSites(&listener);
  if (controller.InstallAll(&listener) != 0) return IDCANCEL;
  controller.ReevaluateAll();
  return controller.FindUnsatisfiedMandatory() ? kDialogMandatoryMissing : kDialogDone;
}

}  // namespace

int ChainerApp::RunChainer(ChainerOptions& options) {
  silent_ = options.IsSilent();
  RebootContextGuard context;
  if (options.prerequisites.empty()) return kExitSuccess;

  PrereqEvaluator evaluator(options, &packageFiles_);
  evaluator.EvaluateAll();

  if (!AnythingMissing(options)) {
    LogLine(L"No prerequisite must be installed.");
    return kExitSuccess;
  }

  PrereqController controller(options, evaluator, packageFiles_, options.GetDownloadFolder(), context.Store(),
                              seams_);
  int result = kExitSuccess;
  if (silent_) {
    result = RunSilently(controller);
  } else if (options.IsBasicUi()) {
    LogLine(L"Starting installing prerequisites in basic UI mode.");
    EnsureWindowTitle();
    if (RunProgressSteps(controller) == kDialogMandatoryMissing) result = kExitMandatoryMissing;
  }
  // With neither letter the full UI level offers nothing: the run only
  // reports.

  const LaunchList& launches = controller.Launches();
  LogRebootSummary(launches);
  if ((launches.rebootRequired && !launches.rebootRefused) || launches.shutdown) {
    result = kExitRebootPending;
    context.KeepForRestart();
    rebootPending_ = true;
  }
  return result;
}

}  // namespace tessaro
