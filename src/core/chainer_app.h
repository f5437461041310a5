#pragma once
// The one application object: start-up, the main flow around the chainer
// run, and (at destruction) the clean-up of what the package left behind.
#include <cstdint>
#include <string>

#include "config/chainer_options.h"
#include "core/cleanup.h"
#include "core/system_seams.h"
#include "package/package_files.h"
#include "ui/preparing_dialog.h"

namespace tessaro {

class PrereqEvaluator;

class ChainerApp {
 public:
  ChainerApp() = default;
  ~ChainerApp();
  ChainerApp(const ChainerApp&) = delete;
  ChainerApp& operator=(const ChainerApp&) = delete;

  // Reads the configuration beside the executable, waits until no Windows
  // Installer installation runs and does the chainer run; the result is
  // left in ExitCode().
  void Run();

  [[nodiscard]] std::int32_t ExitCode() const { return exitCode_; }
  [[nodiscard]] bool IsSilent() const { return silent_; }
  [[nodiscard]] bool IsRebootPending() const { return rebootPending_; }
  [[nodiscard]] const std::wstring& ExecutablePath() const { return executablePath_; }
  [[nodiscard]] const std::wstring& ConfigPath() const { return configPath_; }
  [[nodiscard]] const std::wstring& ExecutableFolder() const { return executableFolder_; }
  [[nodiscard]] PackageFiles& Files() { return packageFiles_; }

  // The chainer run: evaluates the prerequisites, runs the setups of the
  // missing ones for the mode of "Options" and returns 0, 1 (a mandatory
  // one still missing) or -1 (a reboot pending); that becomes the exit code.
  [[nodiscard]] int RunChainer(ChainerOptions& options);
  // Tests put recorders in place of restarting, asking and task registration.
  void SetSystemSeams(const SystemSeams& seams) { seams_ = seams; }

 private:
  // Evaluates every prerequisite; with UI on a worker thread, under the
  // "Searching for prerequisites..." window.
  void EvaluateAll(PrereqEvaluator& evaluator);

  std::int32_t exitCode_ = 0;
  bool silent_ = false;
  bool rebootPending_ = false;
  // The run after the restart finds the package as this run found it.
  bool resumeScheduled_ = false;
  // Declared first so that it is destroyed last.
  PackageFiles packageFiles_;
  // Also holds the title of every window of the run.
  PreparingDialog preparing_;
  std::wstring executablePath_;
  std::wstring configPath_;
  std::wstring executableFolder_;
  SystemSeams seams_ = RealSystemSeams();
  Cleanup cleanup_;
};

}  // namespace tessaro
