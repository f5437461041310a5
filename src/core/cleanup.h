#pragma once
// What the chainer removes when it ends: the files the package names, its
// own configuration file, the folders they leave empty, and, through
// self-deleting scripts run by a hidden command interpreter, its executable
// and the folders that still hold it. Everything here is best effort:
// failures are neither reported nor logged.
#include <string>
#include <vector>

namespace tessaro {

// One target for a self-deleting script.
struct DeleteRequest {
  std::string scriptTarget;  // short path in the ANSI code page; empty: no script
  std::wstring target;
  bool isFolder = false;
};

// Writes the request's script into the temporary folder and starts it
// hidden, without waiting.
void RunDeleteScript(const DeleteRequest& request);

class Cleanup {
 public:
  // Called only when the configuration has a "PREREQ_CHAINER" section;
  // without one nothing at all is deleted. |cleanupFiles| holds full paths
  // separated by U+0001; only those under |cleanupFolder| are deleted.
  void BuildCleanupLists(const std::wstring& cleanupFiles, const std::wstring& cleanupFolder,
                         const std::wstring& executablePath, const std::wstring& configPath);
  // Adds a script target unless the same path (compared exactly) is there.
  void AddDeleteRequest(const std::wstring& path, bool isFolder);
  // Deletes the files and the folders they leave empty, then starts the
  // scripts: the executable's first, then the folders from the innermost
  // outwards. Does it once; the lists are empty afterwards.
  void DoCleanup();

  [[nodiscard]] const std::vector<std::wstring>& FilesToDelete() const { return filesToDelete_; }
  [[nodiscard]] const std::vector<DeleteRequest>& Requests() const { return requests_; }

 private:
  std::vector<DeleteRequest> requests_;
  std::vector<std::wstring> filesToDelete_;
  std::wstring cleanupFolder_;
};

}  // namespace tessaro
