#include "core/chainer_app.h"
#include "log/logger.h"
#include "platform/chainer_codes.h"
#include "prereq/evaluator.h"

namespace tessaro {
namespace {

bool AnythingMissing(const ChainerOptions& options) {
  for (const Prerequisite& record : options.prerequisites) {
    if (IsMissingState(record.state)) return true;
  }
  return false;
}

}  // namespace

int ChainerApp::RunChainer(ChainerOptions& options) {
  // RebootContextGuard: the "InterbootContext" store lives for the whole run
  // and is removed at its end unless a reboot is pending (comes with reboot
  // handling).

  int result = kExitSuccess;
  if (options.prerequisites.empty()) {
    exitCode_ = result;
    return result;
  }

  PrereqEvaluator evaluator(options, &packageFiles_);
  // EvaluateWithPreparingWindow: outside silent mode the evaluation is to run
  // on a worker thread while this thread pumps messages for the
  // "Preparing..." window; until that window exists it runs right here.
  evaluator.EvaluateAll();

  if (!AnythingMissing(options)) {
    if (LoggingEnabled) Logger::Instance().WriteLine(L"No prerequisite must be installed.");
    exitCode_ = result;
    return result;
  }

  // RunPrerequisiteSteps: close the "Preparing..." window, build the
  // controller with the missing mandatory count, choose silent or basic UI,
  // download, open sites and install, then log the reboot summary and settle
  // the result (1 for a mandatory prerequisite still missing, -1 for a
  // pending reboot).
  exitCode_ = result;
  return result;
}

}  // namespace tessaro
