#include "prereq/file_version.h"

#include <windows.h>
#include <shlobj.h>

#include <vector>

#include "platform/os_description.h"
#include "platform/paths.h"
#include "platform/version_resource.h"
#include "platform/wow64.h"

namespace tessaro {
namespace {

constexpr std::uint32_t kFirstCopyingMajorVersion = 10;
constexpr wchar_t kCopyPrefix[] = L"shim_clone";

}  // namespace

bool ReadVersionResource(const std::wstring& path, VersionValue& version) {
  std::vector<unsigned char> block = ReadVersionBlock(path);
  void* fixed = nullptr;
  UINT fixedSize = 0;
  if (!QueryVersionValue(block, L"\\", fixed, fixedSize) || fixedSize < sizeof(VS_FIXEDFILEINFO)) {
    return false;
  }
  const auto* info = static_cast<const VS_FIXEDFILEINFO*>(fixed);
  VersionValue read;
  read.parts[0] = HIWORD(info->dwFileVersionMS);
  read.parts[1] = LOWORD(info->dwFileVersionMS);
  read.parts[2] = HIWORD(info->dwFileVersionLS);
  read.parts[3] = LOWORD(info->dwFileVersionLS);
  read.count = 4;
  version = read;
  return true;
}

bool ReadVersionResourceFromCopy(const std::wstring& path, VersionValue& version, bool& copied) {
  copied = false;
  wchar_t copyPath[MAX_PATH] = {};
  if (!GetTempFileNameW(GetTempFolder().c_str(), kCopyPrefix, 0, copyPath)) return false;
  {
    // The original may sit in a redirected system folder; the copy goes to the
    // temporary folder, which no redirection touches.
    RedirectionGuard guard(true);
    copied = CopyFileW(path.c_str(), copyPath, FALSE) != FALSE;
  }
  bool read = false;
  if (copied) read = ReadVersionResource(copyPath, version);
  DeleteFileW(copyPath);
  return read;
}

bool IsBelowWindowsFolder(const std::wstring& path) {
  wchar_t windowsFolder[MAX_PATH] = {};
  if (FAILED(SHGetFolderPathW(nullptr, CSIDL_WINDOWS, nullptr, SHGFP_TYPE_CURRENT, windowsFolder))) return false;
  const std::wstring folder(windowsFolder);
  return !folder.empty() && path.compare(0, folder.size(), folder) == 0;
}

VersionValue GetFileVersion(const std::wstring& path) {
  VersionValue version;
  // Windows 10 answers for files of its own folder with the version that the
  // compatibility layer wants the caller to see; a copy elsewhere tells the truth.
  if (GetOsDescription().major >= kFirstCopyingMajorVersion && IsBelowWindowsFolder(path)) {
    bool copied = false;
    if (ReadVersionResourceFromCopy(path, version, copied) || copied) return version;
  }
  if (!ReadVersionResource(path, version)) version = VersionValue{};
  return version;
}

}  // namespace tessaro
