#include "core/prereq_controller.h"

#include <windows.h>

#include <algorithm>
#include <utility>
#include <vector>

#include "config/option_letters.h"
#include "core/interboot_store.h"
#include "core/user_launch.h"
#include "download/site_opener.h"
#include "log/logger.h"
#include "package/download_path.h"
#include "platform/ansi_text.h"
#include "platform/chainer_codes.h"
#include "platform/decimal_text.h"
#include "platform/error_text.h"
#include "platform/path_text.h"
#include "platform/paths.h"
#include "platform/process.h"
#include "platform/properties.h"
#include "ui/strings.h"

namespace tessaro {
namespace {

// Time a setup that asked for a reboot or crashed gets to settle.
constexpr DWORD kSettlePauseMs = 2000;

enum StepResult : int { kStepDone = 0, kStepFailed = 1, kStepRebooting = 2 };

bool Lists(const std::vector<std::uint32_t>& codes, std::uint32_t code) {
  return std::find(codes.begin(), codes.end(), code) != codes.end();
}

// Without the prerequisite's own lists only 0 is success. A restart code is
// success too: the package, not the chainer, decides when to restart.
bool CountsAsSuccess(const Prerequisite& record, std::uint32_t code) {
  return record.successCodes.empty() ? code == 0 : Lists(record.successCodes, code);
}

// Starts the setup and waits for it. False when it could not be started;
// |code| then holds the error.
bool StartSetup(const LaunchEntry& entry, unsigned long& code) {
  const std::wstring arguments = ResolveProperties(entry.commandLine, false);
  if (!IsRunningAsLocalSystem()) {
    return ShellOpen(entry.path, arguments, &code, false, std::wstring());
  }
  // The service account has no shell to speak of: the process is created
  // directly, packages through msiexec.
  const std::wstring separated = WithLeadingBlank(arguments);
  if (IsInstallerPackage(entry.path)) {
    const std::wstring msiexec = ResolveProperties(L"[SystemFolder]", false) + L"msiexec.exe";
    return RunProcess(msiexec, InstallerCommandLine(FromLongForm(entry.path), separated), &code,
                      NORMAL_PRIORITY_CLASS);
  }
  return RunProcess(entry.path, ProgramCommandLine(entry.path, separated), &code, NORMAL_PRIORITY_CLASS);
}

}  // namespace

PrereqController::PrereqController(ChainerOptions& options, PrereqEvaluator& evaluator,
                                   const PackageFiles& packageFiles, std::wstring downloadFolder,
                                   InterbootStore& store, const SystemSeams& seams)
    : options_(options),
      evaluator_(evaluator),
      packageFiles_(packageFiles),
      downloadFolder_(std::move(downloadFolder)),
      launches_(store, seams),
      downloads_(downloadFolder_),
      seams_(seams),
      missingMandatory_(evaluator.CountMissingMandatory()) {}

std::uint32_t PrereqController::DownloadAll(ProgressListener* listener) {
  return downloads_.DownloadAll(options_, evaluator_, listener);
}

std::uint32_t PrereqController::OpenAllSites(ProgressListener* listener) {
  (void)LaunchAsLoggedOnUser(std::wstring(), std::wstring(), *seams_.tasks);
  std::vector<std::size_t> sites;
  for (std::size_t i = 0; i < options_.prerequisites.size(); ++i) {
    if (evaluator_.DisplayState(i) == PrereqState::OpenSiteManually) sites.push_back(i);
  }
  std::wstring status;
  if (listener != nullptr) {
    status = LoadResString(IDS_OPENING_SITE);
    listener->OnStart(sites.size());
  }
  for (const std::size_t i : sites) {
    const Prerequisite& record = options_.prerequisites[i];
    if (listener != nullptr) {
      if (listener->IsCancelled()) break;
      listener->OnEvent(FormatResText(status, record.name).c_str(), kEventNextItem, 0);
    }
    LogLine(L"Launching URL:" + record.location);
    OpenUrlInBrowser(record.location, *seams_.browser);
  }
  return 0;
}

std::uint32_t PrereqController::BuildLaunchList(bool silent) {
  const CommandLineLevel level = CommandLineLevelFor(options_.general.options);
  auto& entries = launches_.Entries();
  entries.clear();
  downloadFolder_ = WithTrailingBackslashUnlessEmpty(downloadFolder_);

  for (std::size_t i = 0; i < options_.prerequisites.size(); ++i) {
    const Prerequisite& record = options_.prerequisites[i];
    LaunchEntry entry;
    switch (evaluator_.DisplayState(i)) {
      case PrereqState::InstallFromPackage:
        entry.path = IsAbsolutePath(record.location) ? record.location : packageFiles_.ResolveFile(record.location);
        entry.commandLine = CommandLineOf(record, level);
        break;
      case PrereqState::AlreadyDownloaded: {
        const std::wstring local = FileUrlLocalPath(record.location);
        entry.path = !local.empty() ? local : MakeDownloadPath(downloadFolder_, record.location, record.folder);
        entry.commandLine = ResolveProperties(CommandLineOf(record, level), false);
        break;
      }
      default:
        continue;
    }
    entry.name = record.name;
    entry.rebootMode = RebootModeFor(record.options);
    entry.silent = silent;
    entry.retValPropName = record.retValPropName;
    entry.prerequisite = i;
    entries.push_back(std::move(entry));
  }
  const std::uint32_t available = packageFiles_.MakeAvailable(entries);
  (void)LaunchAsLoggedOnUser(MainApp.command, MainApp.parameters, *seams_.tasks);
  return available;
}

std::uint32_t PrereqController::InstallAll(ProgressListener* listener) {
  (void)BuildLaunchList(listener == nullptr);
  auto& entries = launches_.Entries();
  std::wstring status;
  if (listener != nullptr) {
    status = LoadResString(IDS_INSTALLING);
    listener->OnStart(entries.size());
  }
  for (std::size_t i = 0; i < entries.size() && !launches_.shutdown; ++i) {
    if (listener != nullptr) {
      if (listener->IsCancelled()) return kErrorInstallUserExit;
      listener->OnEvent(FormatResText(status, entries[i].name).c_str(), kEventNextItem, 0);
    }
    const int step = InstallStep(i, listener == nullptr);
    if (step == kStepFailed && options_.prerequisites[entries[i].prerequisite].HasOption(kOptionMandatory)) {
      if (listener != nullptr) {
        (void)listener->OnError(FormatResString(IDS_MANDATORY_FAILED, entries[i].name).c_str(),
                                kErrorMandatoryNotInstalled, 0);
      }
      return kErrorInstallFailure;
    }
    if (step == kStepRebooting) {
      if (listener != nullptr) (void)listener->OnError(entries[i].name.c_str(), kErrorRebootStarted, 0);
      return kErrorInstallFailure;
    }
  }
  return 0;
}

int PrereqController::InstallStep(std::size_t index, bool noPrompt) {
  if (!Launch(index)) return kStepFailed;
  const LaunchEntry& entry = launches_.Entries()[index];
  const bool reboot = entry.rebootMode == RebootMode::AfterSuccess ||
                      (entry.rebootMode == RebootMode::AfterSuccessIfFound &&
                       evaluator_.RecheckAfterInstall(entry.prerequisite));
  if (!reboot) return kStepDone;
  LogLine(L"Rebooting machine...");
  launches_.rebootRequired = true;
  launches_.Reboot(noPrompt);
  return kStepRebooting;
}

bool PrereqController::Launch(std::size_t index) {
  LaunchEntry& entry = launches_.Entries()[index];
  LogLine(L"Launching file:" + entry.path);
  unsigned long code = 0;
  const bool started = StartSetup(entry, code);
  // The downloaded setup could not be replaced while it ran; now it may go.
  downloads_.Release(entry.prerequisite);
  entry.returnCode = static_cast<std::uint32_t>(code);
  if (!started) {
    launches_.lastLaunchError = entry.returnCode;
    LogLine(L"Launch failed. Error:" + ErrorTextLine(code));
  } else {
    LogLine(L"Return code of launched file:" + DecimalText(entry.returnCode));
  }
  const Prerequisite& record = options_.prerequisites[entry.prerequisite];
  const bool restart = started && Lists(record.rebootCodes, entry.returnCode);
  const bool success = started && (restart || CountsAsSuccess(record, entry.returnCode));
  // Said only where the author's lists changed what the code means.
  if (restart) {
    launches_.rebootRequired = true;
    LogLine(L"Return code " + DecimalText(entry.returnCode) + L" counts as success; a restart is required.");
  } else if (success && entry.returnCode != 0) {
    LogLine(L"Return code " + DecimalText(entry.returnCode) + L" counts as success.");
  }
  // Codes of the form 0xC... read as negative numbers, as the store keeps
  // signed values.
  (void)launches_.Store().SetNumber(ToAnsi(entry.retValPropName), static_cast<std::int32_t>(entry.returnCode));
  if (CallsForPause(entry.returnCode)) Sleep(kSettlePauseMs);
  return success;
}

void PrereqController::ReevaluateAll() { missingMandatory_ = evaluator_.ReevaluateAll(); }

bool PrereqController::FindUnsatisfiedMandatory() {
  for (std::size_t i = 0; i < options_.prerequisites.size(); ++i) {
    const Prerequisite& record = options_.prerequisites[i];
    if (!record.HasOption(kOptionMandatory)) continue;
    const PrereqState shown = evaluator_.DisplayState(i);
    if (shown != PrereqState::Found && shown != PrereqState::NotSelected) {
      lastMandatoryName_ = record.name;
      return true;
    }
  }
  return false;
}

}  // namespace tessaro
