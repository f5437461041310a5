#include "core/resume.h"

#include <windows.h>
// After windows.h, which it needs.
#include <shlobj.h>

#include "core/logon_text.h"
#include "log/logger.h"
#include "package/download_path.h"
#include "platform/handles.h"
#include "platform/paths.h"

namespace tessaro {
namespace {

constexpr wchar_t kRunOnceKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";

// The value that starts |executablePath| once after the restart.
bool WriteRunOnceValue(const std::wstring& executablePath) {
  const std::wstring program = FromLongForm(executablePath);
  if (program.empty()) return false;
  // A split administrator token is not an administrator's here, so this asks
  // whether the process is elevated, on systems with and without the split.
  const HKEY root = IsUserAnAdmin() ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
  // The native view: the one a 64-bit shell reads after the restart.
  UniqueRegistryKey key;
  if (RegCreateKeyExW(root, kRunOnceKey, 0, nullptr, 0, KEY_SET_VALUE | KEY_WOW64_64KEY, nullptr, key.Put(),
                      nullptr) != ERROR_SUCCESS) {
    return false;
  }
  // Only the program: Tessaro reads no command line, its package tells it everything.
  const std::wstring data = QuotedProgram(program);
  return RegSetValueExW(key.Get(), ResumeValueName(program).c_str(), 0, REG_SZ,
                        reinterpret_cast<const BYTE*>(data.c_str()),
                        static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

}  // namespace

void ResumingRestart::Restart() {
  (void)Schedule();
  restart_.Restart();
}

bool ResumingRestart::Schedule() {
  if (tried_) return scheduled_;
  tried_ = true;
  scheduled_ = WriteRunOnceValue(executablePath_);
  if (scheduled_) LogLine(L"Tessaro will resume after the restart.");
  return scheduled_;
}

void RemoveKeptDownloads(ChainerOptions& options) {
  const std::int32_t keep = options.general.keepFiles;
  if (keep == kKeepFilesComplete || keep == kKeepFilesPrereqs) return;
  const std::wstring& folder = options.GetDownloadFolder();
  for (const Prerequisite& record : options.prerequisites) {
    // A file URL names a setup that was never downloaded.
    if (record.sourceKind != SourceKind::Download || !FileUrlLocalPath(record.location).empty()) continue;
    const std::wstring path = MakeDownloadPath(folder, record.location, record.folder);
    if (DeleteFileLong(path)) RemoveEmptyParents(ParentFolder(path), folder);
  }
}

}  // namespace tessaro
