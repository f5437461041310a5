#include "download/transfer_session.h"

#include <algorithm>
#include <utility>

#include "download/download_digests.h"
#include "download/internet_handles.h"
#include "download/url_parts.h"
#include "download/wininet_api.h"
#include "platform/chainer_codes.h"
#include "platform/paths.h"

namespace tessaro {
namespace {

constexpr DWORD kPollMilliseconds = 10;
constexpr DWORD kResponseTextChars = 1000;

[[nodiscard]] bool IsInternetScheme(INTERNET_SCHEME scheme) {
  return scheme == INTERNET_SCHEME_HTTP || scheme == INTERNET_SCHEME_HTTPS || scheme == INTERNET_SCHEME_FTP;
}

// Another mirror may have the file, or the same host may answer later. A
// mirror that sends https downloads to plain http is passed over like one
// that lacks the file.
[[nodiscard]] bool WorthAnotherTry(std::uint32_t code, std::size_t mirrors) {
  if (code == ERROR_INTERNET_CANNOT_CONNECT || code == ERROR_INTERNET_NAME_NOT_RESOLVED) return true;
  const bool notHere = code == kErrorNotFound || code == ERROR_PATH_NOT_FOUND ||
                       code == ERROR_INTERNET_EXTENDED_ERROR || code == ERROR_INTERNET_ITEM_NOT_FOUND ||
                       code == ERROR_FTP_DROPPED || code == ERROR_INTERNET_HTTPS_TO_HTTP_ON_REDIR;
  return notHere && mirrors >= 2;
}

}  // namespace

TransferSession::TransferSession(ProgressListener* listener, CredentialProvider* credentials)
    : listener_(listener), credentials_(credentials) {}

TransferSession::~TransferSession() = default;

void TransferSession::SetProxy(const std::wstring& proxy) { proxy_ = proxy; }
const std::wstring& TransferSession::GetProxy() const { return proxy_; }
void TransferSession::SetRetryCount(int count) {
  if (count >= 0) retryCount_ = count;
}
void TransferSession::SetConnectTimeout(std::uint32_t milliseconds) {
  if (milliseconds != 0) connectTimeoutMs_ = milliseconds;
}
void TransferSession::SetIfModifiedSince(const SYSTEMTIME& time) { ifModifiedSince_ = time; }
void TransferSession::SetWantLastModified(bool want) { wantLastModified_ = want; }
void TransferSession::SetSecureFile(bool secure) { secureFile_ = secure; }
void TransferSession::GetLastModified(SYSTEMTIME& time) const { time = lastModified_; }
void TransferSession::SetRelaxCertificatesOnRetry(bool relax) { relaxCertificatesOnRetry_ = relax; }
void TransferSession::SetResume(bool resume) { resume_ = resume; }
void TransferSession::SetExpectedSize(std::uint32_t bytes) { expectedSize_ = bytes; }
void TransferSession::SetListener(ProgressListener* listener) { listener_ = listener; }
void TransferSession::SetIgnoreCertificateErrors(bool ignore) { ignoreCertificateErrors_ = ignore; }
void TransferSession::AddFormField(const std::wstring& name, const std::wstring& value) {
  if (!formData_.empty()) formData_ += L'&';
  formData_ += name + L'=' + value;
}
const std::wstring& TransferSession::GetContentType() const { return contentType_; }
std::uint32_t TransferSession::GetStatusCode() const { return statusCode_; }

std::uint32_t TransferSession::DownloadUrl(const std::wstring& url, const std::wstring& targetPath) {
  return Download(std::vector<std::wstring>{url}, targetPath);
}

std::uint32_t TransferSession::Download(const std::vector<std::wstring>& urls,
                                        const std::wstring& targetPath) {
  urls_ = urls;
  targetPath_ = targetPath;
  partPath_ = targetPath + L".part";
  currentHandle_ = nullptr;
  connection_ = nullptr;
  reconnectAllowed_ = true;
  if (digests_ != nullptr) digests_->Forget();
  const auto fail = [this](const wchar_t* text, std::uint32_t code) {
    Report(text, code);
    return code;
  };
  if (urls_.empty()) return fail(nullptr, ERROR_INTERNET_UNRECOGNIZED_SCHEME);
  for (const std::wstring& url : urls_) {
    const UrlParts parts = CrackUrl(url);
    std::uint32_t error = parts.error;
    if (error == 0 && parts.scheme == INTERNET_SCHEME_FILE) {
      // A local copy cannot be resumed from another mirror's data.
      reconnectAllowed_ = false;
    } else if (error == 0 && !IsInternetScheme(parts.scheme)) {
      error = ERROR_INTERNET_UNRECOGNIZED_SCHEME;
    }
    if (error != 0) return fail(nullptr, error);
  }
  HINTERNET opened = nullptr;
  if (const std::uint32_t error = OpenSession(opened); error != 0) return error;
  const SessionHandle session(opened);
  ApplyConnectTimeout(opened);

  if (!IsAbsolutePath(targetPath_)) return fail(nullptr, kErrorTargetNotAbsolute);

  std::uint32_t resumeOffset = 0;
  if (resume_) {
    const UniqueFile part(CreateFileW(ToLongForm(partPath_).c_str(), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
    const DWORD size = part ? GetFileSize(part.Get(), nullptr) : INVALID_FILE_SIZE;
    if (size != INVALID_FILE_SIZE) resumeOffset = size;
  }

  OpenedSource source;
  std::uint32_t result = OpenWithRetries(opened, resumeOffset, source);
  const bool sourceOpen = result == 0;
  if (IsCancelledNow()) {
    result = kErrorCancelled;
  } else if (result == 0) {
    if (expectedSize_ != 0 && source.remoteSize != 0 && source.remoteSize != expectedSize_) {
      result = fail(TargetFileName().c_str(), kErrorSizeMismatch);
    } else if (source.isLocal) {
      result = CopyLocalSource(source.localPath);
    }
  } else if (result != kErrorNotModified) {
    (void)fail(TargetFileName().c_str(), result);
  }
  if (sourceOpen) {
    RequestHandle request(currentHandle_, completed_, completionEvent_.Get(), handleClosedEvent_.Get());
    if (result == 0 && !source.isLocal) {
      result = ReceiveToFile(opened, request, source.remoteSize, resumeOffset);
    }
    request.Close();
    SessionHandle(std::exchange(connection_, nullptr)).Close();
  }
  return result;
}

std::uint32_t TransferSession::OpenSession(HINTERNET& session) {
  completionEvent_.Reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  handleClosedEvent_.Reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  if (!completionEvent_ || !handleClosedEvent_) return GetLastError();
  const WinInetApi& api = WinInet();
  if (!api.Complete()) return ERROR_PROC_NOT_FOUND;
  const bool viaProxy = !proxy_.empty();
  session = api.open(L"Tessaro", viaProxy ? INTERNET_OPEN_TYPE_PROXY : INTERNET_OPEN_TYPE_PRECONFIG,
                     viaProxy ? proxy_.c_str() : nullptr,
                     viaProxy && !proxyBypass_.empty() ? proxyBypass_.c_str() : nullptr, INTERNET_FLAG_ASYNC);
  if (session == nullptr) return GetLastError();
  (void)api.setStatusCallback(session, &TransferSession::StatusCallback);
  return 0;
}

void TransferSession::ApplyConnectTimeout(HINTERNET session) {
  if (connectTimeoutMs_ == 0) return;
  DWORD timeout = connectTimeoutMs_;
  (void)WinInet().setOption(session, INTERNET_OPTION_CONNECT_TIMEOUT, &timeout, sizeof timeout);
}

std::uint32_t TransferSession::OpenWithRetries(HINTERNET session, std::uint32_t& resumeOffset,
                                               OpenedSource& source) {
  const std::size_t mirrors = urls_.size();
  if (mirrors < 1) return ERROR_INTERNET_UNRECOGNIZED_SCHEME;
  int remaining = std::max(retryCount_, static_cast<int>(mirrors) - 1);
  if (credentials_ != nullptr) credentials_->Arm();
  for (std::size_t index = 0;; index = (index + 1) % mirrors, --remaining) {
    const std::uint32_t result = OpenUrl(session, urls_[index], L"GET", resumeOffset, source);
    if (!WorthAnotherTry(result, mirrors) || remaining <= 0) return result;
  }
}

std::uint32_t TransferSession::OpenUrl(HINTERNET session, const std::wstring& url, const wchar_t* verb,
                                       std::uint32_t& resumeOffset, OpenedSource& source) {
  // A failed open closes what it opened; nothing of an earlier try may be taken for this one's.
  currentHandle_ = nullptr;
  connection_ = nullptr;
  source = OpenedSource();
  const UrlParts parts = CrackUrl(url);
  if (parts.error != 0) return parts.error;
  const wchar_t* user = parts.user.empty() ? nullptr : parts.user.c_str();
  const wchar_t* password = parts.password.empty() ? nullptr : parts.password.c_str();
  std::uint32_t result = ERROR_INTERNET_UNRECOGNIZED_SCHEME;
  switch (parts.scheme) {
    case INTERNET_SCHEME_FTP:
      result = FtpOpen(session, url, parts.port, parts.host, parts.path, user, password, resumeOffset,
                       source.remoteSize);
      break;
    case INTERNET_SCHEME_HTTP:
    case INTERNET_SCHEME_HTTPS:
      result = HttpOpen(session, url, verb, parts.port, parts.host, parts.path + parts.extra, user, password,
                        resumeOffset, source.remoteSize, parts.scheme == INTERNET_SCHEME_HTTPS);
      break;
    case INTERNET_SCHEME_FILE:
      // The evaluation reads file URLs by the same rule; credentials are
      // the share's, no part of its path.
      source.isLocal = true;
      source.localPath = FileUrlLocalPath(parts.user.empty() ? url : L"file://" + url.substr(url.find(L'@') + 1));
      result = ShareOpen(url, source.localPath, user, password, resumeOffset, source.remoteSize);
      break;
    default:
      break;
  }
  if (result != 0) {
    currentHandle_ = nullptr;
    connection_ = nullptr;
  }
  return result;
}

void TransferSession::BeginOperation(TransferOperation operation) {
  completed_ = false;
  // Only a callback sets the event, for a call that went on: most reads
  // complete at once, and under Wine each reset or set is a round trip
  // to its server (a tenth of a loopback download's time).
  if (std::exchange(completionEventSet_, false)) (void)ResetEvent(completionEvent_.Get());
  operation_ = operation;
}

std::uint32_t TransferSession::Wait(DWORD callError, WhilePaused paused) {
  if (callError != ERROR_IO_PENDING) {
    // Nothing is in flight: a request guard closing now need not wait.
    completed_ = true;
    return callError;
  }
  completionEventSet_ = true;
  while (!completed_) {
    if (paused == WhilePaused::kHold) HoldWhilePaused();
    if (IsCancelledNow()) return kErrorCancelled;
    (void)WaitForSingleObject(completionEvent_.Get(), kPollMilliseconds);
  }
  return 0;
}

void TransferSession::HoldWhilePaused(bool evenIfCompleted) {
  while (listener_ != nullptr && listener_->IsPaused() && (evenIfCompleted || !completed_) && !IsCancelledNow()) {
    Sleep(kPollMilliseconds);
  }
}

HINTERNET TransferSession::AwaitHandle(HINTERNET handle, std::uint32_t& error) {
  error = Wait(handle != nullptr ? 0 : GetLastError());
  if (handle == nullptr && error == 0) handle = currentHandle_;
  if (handle == nullptr && error == 0) error = asyncError_ != 0 ? asyncError_ : ERROR_INVALID_HANDLE;
  return handle;
}

bool TransferSession::IsCancelledNow() {
  return abort_ || (listener_ != nullptr && listener_->IsCancelled());
}

std::uint32_t TransferSession::Report(const wchar_t* text, std::uint32_t code, std::uint32_t extra) {
  return listener_ != nullptr ? listener_->OnError(text, code, extra) : code;
}

std::wstring TransferSession::TargetFileName() const {
  return targetPath_.substr(targetPath_.rfind(L'\\') + 1);  // npos + 1 == 0
}

void TransferSession::FetchResponseText() {
  const auto getText = WinInet().getLastResponseInfo;
  std::wstring text(kResponseTextChars, L'\0');
  DWORD error = 0;
  DWORD length = static_cast<DWORD>(text.size());
  if (!getText(&error, text.data(), &length)) {
    if (GetLastError() != ERROR_INSUFFICIENT_BUFFER) return;
    text.resize(length + 1);
    length = static_cast<DWORD>(text.size());
    if (!getText(&error, text.data(), &length)) return;
  }
  text.resize(std::min<std::size_t>(length, text.size()));
  responseText_ = std::move(text);
}

void CALLBACK TransferSession::StatusCallback(HINTERNET, DWORD_PTR context, DWORD status, LPVOID info,
                                              DWORD) {
  auto* self = reinterpret_cast<TransferSession*>(context);
  if (self == nullptr) return;
  if (status == INTERNET_STATUS_HANDLE_CLOSING) {
    (void)SetEvent(self->handleClosedEvent_.Get());
    return;
  }
  if (status != INTERNET_STATUS_REQUEST_COMPLETE || info == nullptr) return;
  const auto* result = static_cast<const INTERNET_ASYNC_RESULT*>(info);
  self->asyncError_ = result->dwError;
  self->asyncResult_ = result->dwResult;
  switch (self->operation_.load()) {
    case TransferOperation::kConnect:
    case TransferOperation::kOpenFtpFile:
    case TransferOperation::kOpenRequest:
      self->currentHandle_ = reinterpret_cast<HINTERNET>(result->dwResult);
      self->FetchResponseText();
      break;
    case TransferOperation::kFtpCommand:
      self->FetchResponseText();
      break;
    default:
      break;
  }
  self->completed_ = true;
  (void)SetEvent(self->completionEvent_.Get());
}

}  // namespace tessaro
