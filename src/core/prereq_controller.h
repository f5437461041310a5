#pragma once
// What the chainer run does once something is missing: download, open web
// sites and install, in that order, then look at what is still missing.
// Silent mode calls the steps without a listener on the main thread; the
// progress dialog calls the same steps from its worker with itself as the
// listener.
#include <cstddef>
#include <cstdint>
#include <string>

#include "config/chainer_options.h"
#include "core/launch_list.h"
#include "download/download_queue.h"
#include "package/package_files.h"
#include "prereq/evaluator.h"
#include "ui/progress_listener.h"

namespace tessaro {

class PrereqController {
 public:
  PrereqController(ChainerOptions& options, PrereqEvaluator& evaluator, const PackageFiles& packageFiles,
                   std::wstring downloadFolder, InterbootStore& store, const SystemSeams& seams);
  PrereqController(const PrereqController&) = delete;
  PrereqController& operator=(const PrereqController&) = delete;
  // The downloaded setups that the package does not keep go with the run,
  // unless the run after a restart still needs them.
  ~PrereqController() {
    if (!keepDownloads_) downloads_.CleanupDownloads();
  }

  void SetSilent(bool silent) { silent_ = silent; }
  void KeepDownloads() { keepDownloads_ = true; }

  // The three steps; each returns 0, kErrorInstallUserExit (cancelled
  // through the listener) or kErrorInstallFailure.
  [[nodiscard]] std::uint32_t DownloadAll(ProgressListener* listener);
  [[nodiscard]] std::uint32_t OpenAllSites(ProgressListener* listener);
  [[nodiscard]] std::uint32_t InstallAll(ProgressListener* listener);

  // Fills the launch list with the setups at hand; always 0.
  std::uint32_t BuildLaunchList(bool silent);
  // 0 go on, 1 the setup failed, 2 a reboot was started.
  [[nodiscard]] int InstallStep(std::size_t entry, bool noPrompt);
  // True when the setup ran and its return code counts as success; a code
  // that asks for a restart also sets the run's reboot-required flag.
  [[nodiscard]] bool Launch(std::size_t entry);

  // Re-evaluates the selected prerequisites and recounts the missing
  // mandatory ones.
  void ReevaluateAll();
  // After ReevaluateAll: whether a mandatory prerequisite is still to be
  // processed; its name is kept for LastUnsatisfiedMandatory.
  [[nodiscard]] bool FindUnsatisfiedMandatory();

  [[nodiscard]] LaunchList& Launches() { return launches_; }
  [[nodiscard]] int MissingMandatoryCount() const { return missingMandatory_; }
  [[nodiscard]] const std::wstring& LastUnsatisfiedMandatory() const { return lastMandatoryName_; }

 private:
  ChainerOptions& options_;
  PrereqEvaluator& evaluator_;
  const PackageFiles& packageFiles_;
  std::wstring downloadFolder_;
  bool silent_ = false;
  bool keepDownloads_ = false;
  LaunchList launches_;
  DownloadQueue downloads_;
  SystemSeams seams_;
  int missingMandatory_ = 0;
  std::wstring lastMandatoryName_;
};

}  // namespace tessaro
