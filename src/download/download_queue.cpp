#include "download/download_queue.h"

#include <windows.h>

#include <utility>

#include "config/option_letters.h"
#include "download/digest_text.h"
#include "download/file_md5.h"
#include "download/file_sha256.h"
#include "download/signature_check.h"
#include "download/transfer_session.h"
#include "log/logger.h"
#include "package/download_path.h"
#include "platform/chainer_codes.h"
#include "platform/error_text.h"
#include "platform/handles.h"
#include "platform/path_text.h"
#include "platform/paths.h"
#include "ui/strings.h"

namespace tessaro {
namespace {

// Read access shared with readers only: the open fails while anyone may
// write or delete the file, and once it is open nobody can until it closes.
// So what passes the checks is what the setup runs.
UniqueFile HoldForReading(const std::wstring& path) {
  return UniqueFile(CreateFileW(ToLongForm(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
}

// 0 when the file could not be held: no configured size is 0, so such a
// file is rejected.
std::uint32_t HeldFileSize(const UniqueFile& file) { return file ? GetFileSize(file.Get(), nullptr) : 0; }

// The digest that came beside the transfer (empty: none), else the file's own.
bool Digest(const std::wstring& streamed, bool (*fromFile)(const std::wstring&, std::wstring&),
            const std::wstring& path, std::wstring& hex) {
  if (streamed.empty()) return fromFile(path, hex);
  hex = streamed;
  return true;
}

std::wstring FileNameOf(const std::wstring& path) { return path.substr(path.find_last_of(L'\\') + 1); }

}  // namespace

DownloadQueue::DownloadQueue(std::wstring downloadFolder)
    : downloadFolder_(WithTrailingBackslashUnlessEmpty(std::move(downloadFolder))),
      credentials_(ProcessCredentials()) {}

std::uint32_t DownloadQueue::DownloadAll(ChainerOptions& options, PrereqEvaluator& evaluator,
                                         ProgressListener* listener) {
  jobs_.clear();
  recordedFiles_.clear();
  held_.clear();
  listener_ = listener;
  general_ = &options.general;
  auto& records = options.prerequisites;
  for (std::size_t i = 0; i < records.size(); ++i) {
    if (evaluator.DisplayState(i) != PrereqState::MustDownload) continue;
    jobs_.push_back(
        {records[i].location, records[i].exactSize, std::wstring(), kJobPending, i, records[i].folder});
  }
  std::wstring status;
  if (listener_ != nullptr) {
    status = LoadResString(IDS_DOWNLOADING);
    listener_->OnStart(jobs_.size());
  }
  const bool keep =
      options.general.keepFiles == kKeepFilesComplete || options.general.keepFiles == kKeepFilesPrereqs;

  for (std::size_t j = 0; j < jobs_.size(); ++j) {
    Prerequisite& record = records[jobs_[j].prerequisite];
    if (listener_ != nullptr) {
      if (listener_->IsCancelled()) {
        LogLine(L"Download was canceled.");
        return 0;
      }
      listener_->OnEvent(FormatResText(status, record.name).c_str(), kEventNextItem, 0);
    }
    LogLine(L"Starting download of:" + record.name);
    digests_ = {!record.md5.empty(), IsSha256Text(record.sha256), {}, {}, {}};
    if (DownloadOne(j) != 0) {
      // The engine has reported the transfer's own error; a mandatory
      // prerequisite ends the step, any other is skipped.
      LogLine(L"Download failed. Error:" + ErrorTextLine(lastError_));
      if (!record.HasOption(kOptionMandatory)) continue;
      if (listener_ != nullptr) (void)listener_->OnError(record.name.c_str(), kErrorMandatoryNotInstalled, 0);
      return kErrorInstallFailure;
    }
    LogLine(L"Download completed succesfully.");
    const std::wstring path = MakeDownloadPath(downloadFolder_, jobs_[j].url, jobs_[j].folderText);
    if (!keep) recordedFiles_.push_back(path);
    UniqueFile held = HoldForReading(path);
    if (const wchar_t* reason = Rejection(path, held, jobs_[j], record)) {
      held.Reset();
      DeleteWithEmptyFolders(path);
      LogLine(std::wstring(L"Downloaded file was rejected.(") + reason + L").");
      if (listener_ != nullptr) (void)listener_->OnError(FileNameOf(path).c_str(), kErrorDownloadRejected, 0);
      return kErrorInstallFailure;
    }
    LogLine(L"Downloaded file was accepted.");
    record.alreadyDownloaded = true;
    held_.push_back({jobs_[j].prerequisite, std::move(held)});
  }
  return 0;
}

std::uint32_t DownloadQueue::DownloadOne(std::size_t index) {
  if (index >= jobs_.size()) return kDownloadOneFailed;
  DownloadJob& job = jobs_[index];
  TransferSession session(listener_, &credentials_);
  if (general_ != nullptr) {
    session.SetProxy(general_->proxy);
    session.SetProxyBypass(general_->proxyBypass);
  }
  if (job.expectedSize != 0) session.SetExpectedSize(job.expectedSize);
  session.SetDigests(&digests_);
  lastError_ = session.DownloadUrl(job.url, TargetPath(job));
  if (lastError_ != 0) return kDownloadOneFailed;
  job.status = kJobDone;
  return 0;
}

void DownloadQueue::Release(std::size_t prerequisite) {
  std::erase_if(held_, [prerequisite](const HeldFile& entry) { return entry.prerequisite == prerequisite; });
}

void DownloadQueue::CleanupDownloads() {
  held_.clear();
  for (const std::wstring& path : recordedFiles_) DeleteWithEmptyFolders(path);
  recordedFiles_.clear();
  jobs_.clear();
}

std::wstring DownloadQueue::TargetPath(const DownloadJob& job) const {
  return job.fileName.empty() ? MakeDownloadPath(downloadFolder_, job.url, job.folderText)
                              : downloadFolder_ + job.fileName;
}

const wchar_t* DownloadQueue::Rejection(const std::wstring& path, const UniqueFile& held, const DownloadJob& job,
                                        const Prerequisite& record) const {
  if (job.expectedSize != 0 && HeldFileSize(held) != job.expectedSize) return L"Invalid size or MD5";
  std::wstring hex;
  // What came beside the transfer counts only for the very file held now.
  const bool streamed = held && digests_.Describe(held.Get());
  if (!record.md5.empty() &&
      !(Digest(streamed ? digests_.md5 : std::wstring(), FileMd5Hex, path, hex) && DigestMatches(hex, record.md5))) {
    return L"Invalid size or MD5";
  }
  if (!record.sha256.empty()) {
    if (!IsSha256Text(record.sha256)) return L"Invalid SHA256 value";
    if (!(Digest(streamed ? digests_.sha256 : std::wstring(), FileSha256Hex, path, hex) &&
          Sha256TextMatches(hex, record.sha256))) {
      return L"Invalid SHA256";
    }
  }
  // A file that could not be held has no signature worth believing.
  if (!record.signer.empty() && !(held && IsSignedBy(path, held.Get(), record.signer))) return L"Invalid signature";
  return nullptr;
}

void DownloadQueue::DeleteWithEmptyFolders(const std::wstring& path) const {
  (void)DeleteFileLong(path);
  RemoveEmptyParents(ParentFolder(path), downloadFolder_);
}

}  // namespace tessaro
