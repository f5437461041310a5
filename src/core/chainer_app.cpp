#include "core/chainer_app.h"

#include "config/options_loader.h"
#include "core/config_path.h"
#include "core/msi_mutex.h"
#include "core/resume.h"
#include "log/logger.h"
#include "platform/paths.h"
#include "platform/properties.h"
#include "ui/strings.h"

namespace tessaro {

namespace {

std::wstring ExpandLocation(const std::wstring& location) { return ResolveProperties(location, false); }

}  // namespace

ChainerApp::~ChainerApp() {
  // After the run and before PackageFiles goes; nothing here may change the
  // exit code.
  if (!resumeScheduled_) cleanup_.DoCleanup();
}

void ChainerApp::Run() {
  executablePath_ = RunningExecutablePath();
  executableFolder_ = ParentFolder(executablePath_);
  configPath_ = ConfigPathFor(executablePath_);

  // No configuration: nothing to do, and nothing is shown, logged or removed.
  ConfigDocument document;
  if (ReadConfigFile(configPath_, document) == ConfigFileRead::Absent) return;

  ChainerOptions options;
  LoadGeneralOptions(document, options.general);
  LoadPrerequisites(document, options, &ExpandLocation);

  // Without a "PREREQ_CHAINER" section nothing is cleaned up, not even the
  // configuration file.
  ChainerSection chainer;
  const bool chainerSection = LoadChainerSection(document, chainer);
  if (chainerSection) {
    cleanup_.BuildCleanupLists(chainer.cleanupFiles, chainer.cleanupFolders, executablePath_, configPath_);
  }
  if (chainerSection && !chainer.logFile.empty()) {
    LoggingEnabled = true;
    Logger::Instance().SetLogFile(chainer.logFile);
  }

  silent_ = options.IsSilent();
  UiEnabled = !silent_;

  packageFiles_.SetExecutablePath(executablePath_);
  // Packaged files lie beside the executable unless the package names an
  // extraction folder; the temporary-folder default of the effective
  // extraction folder is for what the chainer itself unpacks, not for them.
  const bool extractionFolderNamed = !options.general.extractionFolder.empty();
  const std::wstring& extractionFolder = options.GetExtractionFolder();
  if (extractionFolderNamed) packageFiles_.SetExtractionFolder(extractionFolder);

  // The caption is worked out even when no window is shown; the progress
  // dialog takes the same.
  preparing_.SetExecutablePath(executablePath_);
  preparing_.SetProductName(options.general.productName);
  (void)preparing_.Title();
  preparing_.Show(IDS_PREPARING, false);

  // Relative paths in the configuration (a relative "LogFile", say) mean
  // the package's folder from here on; a failure changes nothing we rely on.
  SetCurrentDirectoryW(executableFolder_.c_str());

  if (WaitForInstallerIdle() != InstallerWait::Proceed) return;
  exitCode_ = RunChainer(options);
  // The run that finishes without a restart pending also removes what an
  // interrupted one kept.
  if (options.general.resumeAfterReboot && !resumeScheduled_) RemoveKeptDownloads(options);
}

}  // namespace tessaro
