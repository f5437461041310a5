#pragma once
// The setups one install step runs, in prerequisite order, with what each
// returned, and the run's reboot flags.
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/launch_command.h"
#include "core/system_seams.h"

namespace tessaro {

class InterbootStore;

struct LaunchEntry {
  std::wstring path;
  std::wstring commandLine;  // as configured for the UI level
  std::wstring name;
  RebootMode rebootMode = RebootMode::Never;
  bool silent = false;
  std::uint32_t returnCode = 0;  // the exit code, or the error that kept it from starting
  std::wstring retValPropName;
  std::size_t prerequisite = 0;  // index into the options' list
};

class LaunchList {
 public:
  LaunchList(InterbootStore& store, const SystemSeams& seams) : store_(store), seams_(seams) {}

  [[nodiscard]] std::vector<LaunchEntry>& Entries() { return entries_; }
  [[nodiscard]] InterbootStore& Store() { return store_; }

  // Asks first unless |noPrompt|; anything but Yes sets the refused flag and
  // nothing restarts. The caller has set the required flag already.
  void Reboot(bool noPrompt);

  std::uint32_t lastLaunchError = 0;
  // Each only ever goes from false to true.
  bool rebootRefused = false;
  bool rebootRequired = false;
  // Windows is ending the session: written by the progress dialog's thread
  // while the install loop reads it on the worker.
  std::atomic<bool> shutdown{false};

 private:
  InterbootStore& store_;
  SystemSeams seams_;
  std::vector<LaunchEntry> entries_;
};

}  // namespace tessaro
