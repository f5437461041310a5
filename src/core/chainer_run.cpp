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
  if (options.prerequisites.empty()) return kExitSuccess;

  PrereqEvaluator evaluator(options, &packageFiles_);
  evaluator.EvaluateAll();

  if (!AnythingMissing(options)) {
    if (LoggingEnabled) Logger::Instance().WriteLine(L"No prerequisite must be installed.");
  }
  return kExitSuccess;
}

}  // namespace tessaro
