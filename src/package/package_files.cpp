#include "package/package_files.h"

#include <windows.h>

namespace tessaro {
namespace {

constexpr wchar_t kBackslash = L'\\';
// The executable's own path is read into a classic-size buffer.
constexpr DWORD kModulePathLength = MAX_PATH;

// The text before the last "\"; empty when there is none.
std::wstring FolderOf(const std::wstring& path) {
  const std::size_t slash = path.rfind(kBackslash);
  return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

void AppendBackslashIfMissing(std::wstring& path) {
  if (!path.empty() && path.back() != kBackslash) path += kBackslash;
}

}  // namespace

void PackageFiles::SetExecutablePath(const std::wstring& path) {
  std::wstring executable = path;
  if (executable.empty()) {
    wchar_t buffer[kModulePathLength] = {};
    const DWORD length = GetModuleFileNameW(nullptr, buffer, kModulePathLength);
    executable.assign(buffer, length);
  }
  executablePath_ = executable;
  executableFolder_ = FolderOf(executable);
  AppendBackslashIfMissing(executableFolder_);
}

std::wstring PackageFiles::ResolveFile(const std::wstring& name, unsigned long* result) const {
  // Packaged files are always on disk already; nothing is looked at here.
  std::wstring path = extractionFolder_.empty() ? FolderOf(executablePath_) : extractionFolder_;
  AppendBackslashIfMissing(path);
  path += name;
  if (result != nullptr) *result = 0;
  return path;
}

}  // namespace tessaro
