#include "core/chainer_app.h"

#include "config/options_loader.h"
#include "core/config_path.h"
#include "core/msi_mutex.h"
#include "log/logger.h"
#include "platform/handles.h"
#include "platform/properties.h"
#include "ui/product_name.h"
#include "ui/strings.h"

namespace tessaro {

namespace {

// The module path buffer of the executable (259 characters and a terminator).
constexpr DWORD kModulePathLength = MAX_PATH;
// Whatever the first two bytes hold, they are taken for the byte-order mark.
constexpr DWORD kSkippedLeadBytes = 2;

std::wstring ExpandLocation(const std::wstring& location) { return ResolveProperties(location, false); }

}  // namespace

ConfigFileRead ReadConfigFile(const std::wstring& path, ConfigDocument& document) {
  WIN32_FIND_DATAW found{};
  {
    UniqueFindHandle find(FindFirstFileW(path.c_str(), &found));
    if (!find) return ConfigFileRead::Absent;
  }
  // Only the low 32 bits of the size count; nobody writes a 4 GB configuration.
  const DWORD size = found.nFileSizeLow;

  UniqueFile file(
      CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return ConfigFileRead::Unreadable;
  if (SetFilePointer(file.Get(), kSkippedLeadBytes, nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER) {
    return ConfigFileRead::Unreadable;
  }
  // A file of fewer than two bytes has nothing after its mark.
  if (size <= kSkippedLeadBytes) return ConfigFileRead::Read;

  std::vector<unsigned char> bytes(size - kSkippedLeadBytes);
  DWORD read = 0;
  if (!ReadFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr)) {
    return ConfigFileRead::Unreadable;
  }
  // The file may have shrunk since it was found: parse what was delivered.
  if (read > 0) document.Parse(DecodeUtf16Le(bytes.data(), read));
  return ConfigFileRead::Read;
}

ChainerApp::~ChainerApp() {
  // The clean-up of the package's files and folders goes here, before the
  // strings and lists it needs are released.
}

void ChainerApp::Run() {
  wchar_t modulePath[kModulePathLength] = {};
  GetModuleFileNameW(nullptr, modulePath, kModulePathLength);
  // Older systems leave a cut path unterminated.
  modulePath[kModulePathLength - 1] = L'\0';
  executablePath_ = modulePath;
  executableFolder_ = ExecutableFolderOf(executablePath_);
  configPath_ = ConfigPathFor(executablePath_);

  // No configuration: nothing to do, and nothing is shown, logged or removed.
  ConfigDocument document;
  if (ReadConfigFile(configPath_, document) == ConfigFileRead::Absent) return;

  ChainerOptions options;
  LoadGeneralOptions(document, options.general);
  LoadPrerequisites(document, options, &ExpandLocation);

  // The clean-up lists are read from "PREREQ_CHAINER" here.

  ChainerSection chainer;
  if (LoadChainerSection(document, chainer) && !chainer.logFile.empty()) {
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

  ShowPreparingWindow();

  // Relative paths in the configuration (a relative "LogFile", say) mean
  // the package's folder from here on; a failure changes nothing we rely on.
  SetCurrentDirectoryW(executableFolder_.c_str());

  if (WaitForInstallerIdle() != InstallerWait::Proceed) return;
  exitCode_ = RunChainer(options);
}

void ChainerApp::ShowPreparingWindow() {
  // The window's caption is worked out even before the window exists: the
  // chainer run's progress dialog uses the same title.
  if (productName_.empty()) productName_ = ReadProductName(executablePath_);
  if (windowTitle_.empty()) windowTitle_ = MakeWindowTitle(productName_);
  // The "Preparing..." window itself (IDS_PREPARING, no Skip button) is
  // shown here while UiEnabled is set.
}

}  // namespace tessaro
