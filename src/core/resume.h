#pragma once
// Finishing an installation that a restart interrupts: the same setup is
// started again after the restart, and that ordinary run removes what this
// one kept for it.
#include <string>

#include "config/chainer_options.h"

namespace tessaro {

// Registers the executable to run once after the restart: for the machine
// when this process is elevated, else for the user. False when the value
// could not be written, so that nothing waits for a run that never comes.
[[nodiscard]] bool ScheduleResume(const std::wstring& executablePath);

// Deletes the downloaded setups that an interrupted run kept for the one
// after the restart, unless "KeepFiles" keeps downloads.
void RemoveKeptDownloads(ChainerOptions& options);

}  // namespace tessaro
