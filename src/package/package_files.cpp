#include "package/package_files.h"

#include "platform/paths.h"

namespace tessaro {

void PackageFiles::SetExecutablePath(const std::wstring& path) {
  executablePath_ = path.empty() ? RunningExecutablePath() : path;
  executableFolder_ = WithTrailingBackslash(ParentFolder(executablePath_));
}

std::wstring PackageFiles::ResolveFile(const std::wstring& name, unsigned long* result) const {
  // Packaged files are always on disk already; nothing is looked at here.
  std::wstring path = WithTrailingBackslashUnlessEmpty(extractionFolder_.empty() ? ParentFolder(executablePath_)
                                                                                 : extractionFolder_);
  path += name;
  if (result != nullptr) *result = 0;
  return path;
}

}  // namespace tessaro
