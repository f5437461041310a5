#pragma once
// One remote file (named by one or more mirror URLs: http, https, ftp or
// file) copied to one local path through a ".part" file that survives a
// failed attempt and is resumed by the next. All internet traffic is
// asynchronous WinINet: each call that may block is started, then the
// caller's thread waits on an event that the status callback sets, looking
// at the listener's Cancel every 10 ms.
#include <windows.h>
#include <wininet.h>

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "download/credential_provider.h"
#include "platform/handles.h"
#include "ui/progress_listener.h"

namespace tessaro {

class RequestHandle;
struct DownloadDigests;

// Each read asks for what the server has ready (more while pieces fill
// quickly), up to this many bytes; a transfer without a listener asks for
// this many from the first. Every read costs about the same however large it
// is, so large pieces are what makes a loopback download as fast as curl;
// progress, pause and Cancel are still looked at after every piece.
inline constexpr std::uint32_t kReceivePieceBytes = 1024 * 1024;

// What the status callback must know about the call in flight.
enum class TransferOperation : std::uint32_t {
  kConnect = 0,
  kOpenFtpFile = 2,
  kRead = 3,
  kFtpCommand = 4,
  kOpenRequest = 6,
  kSendRequest = 7,
  kQueryData = 8,
};

class TransferSession {
 public:
  // Neither is owned; both may be null. Nothing is opened here.
  TransferSession(ProgressListener* listener, CredentialProvider* credentials);
  TransferSession(const TransferSession&) = delete;
  TransferSession& operator=(const TransferSession&) = delete;
  virtual ~TransferSession();

  // Empty: the system's proxy settings.
  virtual void SetProxy(const std::wstring& proxy);
  [[nodiscard]] virtual const std::wstring& GetProxy() const;
  // The hosts reached without the proxy; used only with a proxy text.
  void SetProxyBypass(const std::wstring& bypass) { proxyBypass_ = bypass; }
  // A negative count is ignored.
  virtual void SetRetryCount(int count);
  // 0 is ignored.
  virtual void SetConnectTimeout(std::uint32_t milliseconds);
  virtual void SetIfModifiedSince(const SYSTEMTIME& time);
  virtual void SetWantLastModified(bool want);
  // The ".part" file is created readable and writable by Everyone and LocalSystem.
  virtual void SetSecureFile(bool secure);
  virtual void GetLastModified(SYSTEMTIME& time) const;
  virtual void SetRelaxCertificatesOnRetry(bool relax);
  virtual void SetResume(bool resume);
  // 0: the announced size is not compared.
  virtual void SetExpectedSize(std::uint32_t bytes);
  virtual void SetListener(ProgressListener* listener);
  virtual void SetIgnoreCertificateErrors(bool ignore);
  // Appends "name=value" (nothing escaped), "&"-separated.
  virtual void AddFormField(const std::wstring& name, const std::wstring& value);
  [[nodiscard]] virtual const std::wstring& GetContentType() const;
  [[nodiscard]] virtual bool GetCharset(std::wstring& charset) const;
  [[nodiscard]] virtual std::uint32_t GetStatusCode() const;
  // Posts the form fields and decodes the reply by its charset.
  [[nodiscard]] virtual std::uint32_t PostForm(const std::wstring& url, std::wstring& text);
  // 0, a chainer code (platform/chainer_codes.h) or a Windows/WinINet code.
  [[nodiscard]] virtual std::uint32_t Download(const std::vector<std::wstring>& urls,
                                               const std::wstring& targetPath);
  [[nodiscard]] virtual std::uint32_t DownloadUrl(const std::wstring& url, const std::wstring& targetPath);
  // The digests that |digests| wants are computed while the data arrives
  // and left there after a successful download (not owned; null: none).
  void SetDigests(DownloadDigests* digests) { digests_ = digests; }

 private:
  // Where an open leaves the data: the announced size (0 = unknown) and, for
  // a file URL, the local path to copy from.
  struct OpenedSource {
    std::uint32_t remoteSize = 0;
    bool isLocal = false;
    std::wstring localPath;
  };

  // transfer_session.cpp: session, waits, retries, the callback.
  [[nodiscard]] std::uint32_t OpenSession(HINTERNET& session);
  void ApplyConnectTimeout(HINTERNET session);
  [[nodiscard]] std::uint32_t OpenWithRetries(HINTERNET session, std::uint32_t& resumeOffset,
                                              OpenedSource& source);
  [[nodiscard]] std::uint32_t OpenUrl(HINTERNET session, const std::wstring& url, const wchar_t* verb,
                                      std::uint32_t& resumeOffset, OpenedSource& source);
  // Clears the completion flag and event and records what is in flight.
  void BeginOperation(TransferOperation operation);
  // After a call that may have gone pending: |callError| is its last error
  // (ERROR_IO_PENDING when it did); 0 once the operation completed. The
  // receive loop also holds still while the listener says paused, so that
  // a paused transfer writes nothing.
  enum class WhilePaused { kGoOn, kHold };
  [[nodiscard]] std::uint32_t Wait(DWORD callError, WhilePaused paused = WhilePaused::kGoOn);
  // While the listener says paused (and nobody cancelled, and, unless
  // |evenIfCompleted|, the call in flight has not completed): sleeps in steps
  // of the poll.
  void HoldWhilePaused(bool evenIfCompleted = false);
  // After a call that yields a handle: the one it returned, or the one the
  // callback delivered; null with |error| set when none came. A handle that
  // came at once completes the operation, so closing it never waits.
  [[nodiscard]] HINTERNET AwaitHandle(HINTERNET handle, std::uint32_t& error);
  [[nodiscard]] bool IsCancelledNow();
  // OnError on the listener, when there is one; its answer, else |code|.
  std::uint32_t Report(const wchar_t* text, std::uint32_t code, std::uint32_t extra = 0);
  // The target path after its last backslash.
  [[nodiscard]] std::wstring TargetFileName() const;
  void FetchResponseText();
  static void CALLBACK StatusCallback(HINTERNET handle, DWORD_PTR context, DWORD status, LPVOID info,
                                      DWORD infoLength);

  // receive_to_file.cpp: the body into the ".part" file, reconnecting.
  [[nodiscard]] std::uint32_t ReceiveToFile(HINTERNET session, RequestHandle& request, std::uint32_t total,
                                            std::uint32_t resumeOffset);
  [[nodiscard]] std::uint32_t Reconnect(HINTERNET session, HANDLE file, RequestHandle& request,
                                        std::uint32_t& total);

  // http_open.cpp: the http and https branch, and the credential question.
  [[nodiscard]] std::uint32_t HttpOpen(HINTERNET session, const std::wstring& url, const wchar_t* verb,
                                       INTERNET_PORT port, const std::wstring& host,
                                       const std::wstring& object, const wchar_t* user,
                                       const wchar_t* password, std::uint32_t& resumeOffset,
                                       std::uint32_t& remoteSize, bool secure);
  [[nodiscard]] bool ObtainCredentials(HINTERNET handle, const std::wstring& url, const std::wstring& realm,
                                       bool proxy, const std::wstring& proxyServer, std::wstring& user,
                                       std::wstring& password);

  // post_form.cpp: the reply of a form post as text.
  [[nodiscard]] std::uint32_t DecodeReplyFile(const std::wstring& path, std::wstring& text) const;

  // ftp_open.cpp
  [[nodiscard]] std::uint32_t FtpOpen(HINTERNET session, const std::wstring& url, INTERNET_PORT port,
                                      const std::wstring& host, const std::wstring& path, const wchar_t* user,
                                      const wchar_t* password, std::uint32_t& resumeOffset,
                                      std::uint32_t& remoteSize);

  // share_open.cpp: file URLs, through a network connection when they need one.
  [[nodiscard]] std::uint32_t ShareOpen(const std::wstring& url, const std::wstring& path,
                                        const wchar_t* user, const wchar_t* password,
                                        std::uint32_t& resumeOffset, std::uint32_t& remoteSize);
  // local_copy.cpp: copies an opened file URL's source into the target.
  [[nodiscard]] std::uint32_t CopyLocalSource(const std::wstring& sourcePath);

  // The handle the latest operation produced, and the connection under it.
  HINTERNET currentHandle_ = nullptr;
  HINTERNET connection_ = nullptr;
  ProgressListener* listener_;
  bool abort_ = false;
  CredentialProvider* credentials_;
  std::wstring targetPath_;
  std::wstring partPath_;
  std::vector<std::wstring> urls_;
  // Written by the status callback on WinINet's threads; read by the
  // caller only once the completion flag or event says the call is done.
  DWORD asyncError_ = 0;
  DWORD_PTR asyncResult_ = 0;
  std::atomic<TransferOperation> operation_{TransferOperation::kConnect};
  std::atomic<bool> completed_{false};
  std::wstring responseText_;
  bool resume_ = true;
  SYSTEMTIME ifModifiedSince_{};
  SYSTEMTIME lastModified_{};
  bool wantLastModified_ = false;
  UniqueHandle completionEvent_;
  // Whether the callback may have set the event since the last reset.
  bool completionEventSet_ = false;
  UniqueHandle handleClosedEvent_;
  std::wstring proxy_;
  std::wstring proxyBypass_;
  int retryCount_ = 6;
  std::uint32_t connectTimeoutMs_ = 0;
  bool secureFile_ = false;
  bool relaxCertificatesOnRetry_ = false;
  std::uint32_t expectedSize_ = 0;
  bool reconnectAllowed_ = true;
  std::wstring formData_;
  std::wstring contentType_;
  bool ignoreCertificateErrors_ = false;
  std::uint32_t statusCode_ = 0;
  DownloadDigests* digests_ = nullptr;
};

}  // namespace tessaro
