#include "core/launch_list.h"

namespace tessaro {

void LaunchList::Reboot(bool noPrompt) {
  if (!noPrompt && !seams_.question->UserAgrees()) {
    rebootRefused = true;
    return;
  }
  seams_.restart->Restart();
}

}  // namespace tessaro
