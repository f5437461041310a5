#pragma once
// The download step of a run: every prerequisite that must be downloaded
// is fetched into the download folder, one after the other, and its file is
// checked against the configured size and digest before the install step
// may run it.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "config/chainer_options.h"
#include "download/credential_provider.h"
#include "download/download_digests.h"
#include "platform/handles.h"
#include "prereq/evaluator.h"
#include "ui/progress_listener.h"

namespace tessaro {

inline constexpr std::uint32_t kJobDone = 0;
inline constexpr std::uint32_t kJobPending = 4;
// What DownloadOne returns when the job stays pending.
inline constexpr std::uint32_t kDownloadOneFailed = 5;

struct DownloadJob {
  std::wstring url;
  std::uint32_t expectedSize = 0;  // 0: any size
  // Empty: the prerequisite's usual place in the download folder.
  std::wstring fileName;
  std::uint32_t status = kJobPending;
  std::size_t prerequisite = 0;
  std::wstring folderText;
};

class DownloadQueue {
 public:
  explicit DownloadQueue(std::wstring downloadFolder);
  DownloadQueue(const DownloadQueue&) = delete;
  DownloadQueue& operator=(const DownloadQueue&) = delete;

  // Downloads what |evaluator| shows as MustDownload. 0, also when the
  // listener cancelled; kErrorInstallFailure when a file was rejected or a
  // mandatory prerequisite could not be had.
  [[nodiscard]] std::uint32_t DownloadAll(ChainerOptions& options, PrereqEvaluator& evaluator,
                                          ProgressListener* listener);
  // 0, or kDownloadOneFailed (the engine's code is then LastError).
  [[nodiscard]] std::uint32_t DownloadOne(std::size_t job);
  // Accepted files stay open, shared with readers only, until their setup
  // has ended: this closes the one of |prerequisite|.
  void Release(std::size_t prerequisite);
  // Deletes the accepted files that the package does not keep, with the
  // folders they leave empty inside the download folder.
  void CleanupDownloads();

  [[nodiscard]] std::uint32_t LastError() const { return lastError_; }

 private:
  [[nodiscard]] std::wstring TargetPath(const DownloadJob& job) const;
  // Why the downloaded file at |path|, |held| open, is refused, as the log
  // line gives it; nullptr when it passes the size, "MD5", "SHA256" and
  // "Signer" checks it has.
  [[nodiscard]] const wchar_t* Rejection(const std::wstring& path, const UniqueFile& held, const DownloadJob& job,
                                         const Prerequisite& record) const;
  void DeleteWithEmptyFolders(const std::wstring& path) const;

  std::wstring downloadFolder_;
  std::vector<DownloadJob> jobs_;
  CredentialProvider& credentials_;
  ProgressListener* listener_ = nullptr;
  // The run's options, while DownloadAll runs.
  const GeneralOptions* general_ = nullptr;
  std::uint32_t lastError_ = 0;
  // Of the job in hand: what its checks want, computed beside the transfer.
  DownloadDigests digests_;
  std::vector<std::wstring> recordedFiles_;
  struct HeldFile {
    std::size_t prerequisite;
    UniqueFile file;
  };
  std::vector<HeldFile> held_;
};

}  // namespace tessaro
