#pragma once
// The one application object: start-up, the main flow around the chainer
// run, and (at destruction) the clean-up of what the package left behind.
#include <cstdint>
#include <string>
#include <vector>

#include "config/chainer_options.h"
#include "config/config_document.h"
#include "package/package_files.h"

namespace tessaro {

enum class ConfigFileRead {
  Absent,      // nothing at that path: the run ends at once
  Unreadable,  // present but not opened or not read: defaults for everything
  Read,        // read and parsed (an empty file parses to an empty document)
};

// Reads the configuration file into |document|. The first two bytes are
// skipped whatever they hold (normally the byte-order mark); the rest is
// UTF-16LE, an odd last byte ignored.
[[nodiscard]] ConfigFileRead ReadConfigFile(const std::wstring& path, ConfigDocument& document);

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
  [[nodiscard]] const std::wstring& ProductName() const { return productName_; }
  [[nodiscard]] const std::wstring& WindowTitle() const { return windowTitle_; }
  [[nodiscard]] PackageFiles& Files() { return packageFiles_; }

  // The chainer run: evaluates the prerequisites, then downloads, opens
  // sites and installs what is missing; the result becomes the exit code.
  int RunChainer(ChainerOptions& options);

 private:

  // Shows "Preparing..." while the prerequisites are evaluated (only when
  // windows may be shown). For now it only works out the window title.
  void ShowPreparingWindow();

  std::int32_t exitCode_ = 0;
  bool silent_ = false;
  bool rebootPending_ = false;
  // Declared first so that it is destroyed last: the clean-up still asks it
  // where the package's files are.
  PackageFiles packageFiles_;
  // What the "Preparing..." window shows in its caption; filled at start-up.
  std::wstring productName_;
  std::wstring windowTitle_;
  std::vector<std::wstring> cleanupList_;
  std::wstring executablePath_;
  std::wstring configPath_;
  std::wstring executableFolder_;
  std::wstring cleanupFolder_;
};

}  // namespace tessaro
