#pragma once
// Where files that come with the package lie: beside the executable, or in
// the extraction folder. Nothing is ever copied or unpacked.
#include <string>
#include <vector>

namespace tessaro {

class PackageFiles {
 public:
  // Empty means the running executable's own path.
  void SetExecutablePath(const std::wstring& path);
  void SetExtractionFolder(const std::wstring& folder) { extractionFolder_ = folder; }
  // The local path of a packaged file (it need not exist); the result code is always 0.
  [[nodiscard]] std::wstring ResolveFile(const std::wstring& name, unsigned long* result = nullptr) const;
  template <typename LaunchEntries>
  [[nodiscard]] unsigned long MakeAvailable(const LaunchEntries&) const { return 0; }

  [[nodiscard]] const std::wstring& ExecutablePath() const { return executablePath_; }
  [[nodiscard]] const std::wstring& ExecutableFolder() const { return executableFolder_; }

 private:
  std::wstring executablePath_;
  std::wstring executableFolder_;  // ends with "\"
  std::wstring extractionFolder_;
};

}  // namespace tessaro
