#pragma once
// The real restart and the real question behind the reboot seams.
#include "core/system_seams.h"

namespace tessaro {

class SystemRestart final : public MachineRestart {
 public:
  void Restart() override;
};

// The one message box of the program, owned by the foreground window.
class RebootMessageBox final : public RebootQuestion {
 public:
  [[nodiscard]] int Ask() override;
};

}  // namespace tessaro
