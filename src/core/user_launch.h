#pragma once
// Starting a program in the logged-on user's own session although the
// chainer may run elevated or as LocalSystem: a hidden task at the user's
// next logon, or a value under the user's "Run" key when no task can be
// registered.
#include <string>

#include "core/system_seams.h"

namespace tessaro {

// The main application to start for the user after the prerequisites.
// Nothing in the configuration fills them, so nothing is registered.
struct MainApplication {
  std::wstring command;
  std::wstring parameters;
};
extern MainApplication MainApp;

// True when the task or the "Run" value is in place. An empty command
// registers nothing (a task named ".job" or a nameless "Run" value would
// start nothing) and gives false.
bool LaunchAsLoggedOnUser(const std::wstring& command, const std::wstring& parameters,
                          LogonTaskRegistrar& registrar);
// Starts the "Schedule" service unless it runs; 0 or a Windows error code.
[[nodiscard]] unsigned long EnsureScheduleService();
// True when the value exists (with at most 200 bytes, left as it is) or was written.
bool AddRunValue(const std::wstring& command, const std::wstring& parameters);

}  // namespace tessaro
