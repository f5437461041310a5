#include "prereq/file_version.h"

#include <windows.h>
#include <shlobj.h>

#include <vector>

#include "platform/os_description.h"
#include "platform/paths.h"
#include "platform/properties.h"
#include "platform/version_resource.h"

namespace tessaro {
namespace {

constexpr std::uint32_t kFirstCopyingMajorVersion = 10;
constexpr wchar_t kCopyPrefix[] = L"shim_clone";

// False (and |version| untouched) when the file cannot be read or has no version resource.
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

// |copied| tells whether the copy could be made at all; the copy is deleted afterwards.
bool ReadVersionResourceFromCopy(const std::wstring& path, VersionValue& version, bool& copied) {
  copied = false;
  wchar_t copyPath[MAX_PATH] = {};
  if (!GetTempFileNameW(GetTempFolder().c_str(), kCopyPrefix, 0, copyPath)) return false;
  copied = CopyFileW(path.c_str(), copyPath, FALSE) != FALSE;
  bool read = false;
  if (copied) read = ReadVersionResource(copyPath, version);
  DeleteFileW(copyPath);
  return read;
}

}  // namespace

FileVersionReader::FileVersionReader() {
  (void)LoadVersionLibrary();
  // Windows 10 answers for files of its own folder with the version that the
  // compatibility layer wants the caller to see; a copy elsewhere tells the truth.
  if (GetOsDescription().major >= kFirstCopyingMajorVersion) (void)GetShellFolder(CSIDL_WINDOWS, copiedBelow_);
}

VersionValue FileVersionReader::Read(const std::wstring& path) const {
  VersionValue version;
  if (!copiedBelow_.empty() && path.compare(0, copiedBelow_.size(), copiedBelow_) == 0) {
    bool copied = false;
    if (ReadVersionResourceFromCopy(path, version, copied) || copied) return version;
  }
  if (!ReadVersionResource(path, version)) version = VersionValue{};
  return version;
}

}  // namespace tessaro
