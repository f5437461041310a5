#include "core/launch_list.h"

#include <windows.h>

namespace tessaro {

void LaunchList::Reboot(bool noPrompt) {
  // A question that could not be shown (no desktop, an owner that went
  // away) is no consent: only an explicit Yes restarts the machine.
  if (!noPrompt && seams_.question->Ask() != IDYES) {
    rebootRefused = true;
    return;
  }
  seams_.restart->Restart();
}

}  // namespace tessaro
