#pragma once
// Registering a task with the Task Scheduler (the 1.0 interfaces, which
// every Windows from XP on has): the real side of the logon-task seam.
#include "core/system_seams.h"

namespace tessaro {

class TaskSchedulerRegistrar final : public LogonTaskRegistrar {
 public:
  [[nodiscard]] unsigned long CreateScheduledTask(const ScheduledTaskRequest& request) override;
};

}  // namespace tessaro
