#pragma once
// Finishing an installation that a restart interrupts: the same setup is
// started again after the restart, and that ordinary run removes what this
// one kept for it.
#include <string>
#include <utility>

#include "config/chainer_options.h"
#include "core/system_seams.h"

namespace tessaro {

// Registers the executable to run once after the restart: for the machine
// when this process is elevated, else for the user. A restart that a setup
// asks for may end this process at once, so the registration comes first.
class ResumingRestart final : public MachineRestart {
 public:
  ResumingRestart(std::wstring executablePath, MachineRestart& restart)
      : executablePath_(std::move(executablePath)), restart_(restart) {}
  void Restart() override;
  // Registers once and says so in the log; later calls tell how that went.
  // False when the value could not be written: nothing waits for a run that
  // never comes.
  [[nodiscard]] bool Schedule();

 private:
  std::wstring executablePath_;
  MachineRestart& restart_;
  bool tried_ = false;
  bool scheduled_ = false;
};

// Deletes the downloaded setups that an interrupted run kept for the one
// after the restart, unless "KeepFiles" keeps downloads.
void RemoveKeptDownloads(ChainerOptions& options);

}  // namespace tessaro
