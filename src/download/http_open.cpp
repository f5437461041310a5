#include <cwchar>
#include <utility>

#include "download/http_text.h"
#include "download/internet_handles.h"
#include "download/transfer_session.h"
#include "download/wininet_api.h"
#include "platform/ansi_text.h"
#include "platform/chainer_codes.h"
#include "platform/decimal_text.h"
#include "platform/paths.h"

namespace tessaro {
namespace {

// A redirect from http to https is welcome; one from https to http would
// hand the file to anyone on the way, so WinINet is left to refuse it.
constexpr DWORD kRequestFlags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE |
                                INTERNET_FLAG_KEEP_CONNECTION | INTERNET_FLAG_IGNORE_REDIRECT_TO_HTTPS;
constexpr DWORD kIgnoredCertificateProblems =
    SECURITY_FLAG_IGNORE_REVOCATION | SECURITY_FLAG_IGNORE_UNKNOWN_CA | SECURITY_FLAG_IGNORE_WRONG_USAGE |
    SECURITY_FLAG_IGNORE_CERT_CN_INVALID | SECURITY_FLAG_IGNORE_CERT_DATE_INVALID |
    SECURITY_FLAG_IGNORE_WEAK_SIGNATURE;
// What a retry after a certificate problem tolerates: the protocol bits as
// well as unknown authorities, wrong usage, name and date problems.
constexpr DWORD kRelaxedSecurityFlags = 0x3F05;
constexpr DWORD kStatusRangeNotSatisfiable = 416;
constexpr DWORD kContentTypeBytes = 1040;
constexpr DWORD kChallengeBytes = 260;

[[nodiscard]] bool IsCertificateProblem(std::uint32_t code) {
  return code == ERROR_INTERNET_INVALID_CA || code == ERROR_INTERNET_CLIENT_AUTH_CERT_NEEDED ||
         code == ERROR_INTERNET_SEC_CERT_CN_INVALID || code == ERROR_INTERNET_SEC_CERT_DATE_INVALID;
}

[[nodiscard]] bool AddSecurityFlags(HINTERNET request, DWORD flags) {
  const WinInetApi& api = WinInet();
  DWORD current = 0;
  DWORD size = sizeof current;
  if (!api.queryOption(request, INTERNET_OPTION_SECURITY_FLAGS, &current, &size)) return false;
  current |= flags;
  return api.setOption(request, INTERNET_OPTION_SECURITY_FLAGS, &current, sizeof current);
}

[[nodiscard]] bool QueryNumber(HINTERNET request, DWORD level, DWORD& value) {
  DWORD size = sizeof value;
  return WinInet().httpQueryInfo(request, level | HTTP_QUERY_FLAG_NUMBER, &value, &size, nullptr);
}

// A header as text; a buffer of |firstBytes|, then of the size WinINet asks for.
[[nodiscard]] bool QueryText(HINTERNET request, DWORD level, DWORD firstBytes, std::wstring& text) {
  const auto query = WinInet().httpQueryInfo;
  std::wstring buffer(firstBytes / sizeof(wchar_t), L'\0');
  DWORD size = firstBytes;
  if (!query(request, level, buffer.data(), &size, nullptr)) {
    if (GetLastError() != ERROR_INSUFFICIENT_BUFFER) return false;
    buffer.assign(size / sizeof(wchar_t) + 1, L'\0');
    size = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
    if (!query(request, level, buffer.data(), &size, nullptr)) return false;
  }
  buffer.resize(size / sizeof(wchar_t));
  text = std::move(buffer);
  return true;
}

// Whether the request ended at a plain http address: some WinINet versions
// follow a redirect there whatever the flags say.
[[nodiscard]] bool EndedOnPlainHttp(HINTERNET request) {
  std::wstring url(INTERNET_MAX_URL_LENGTH, L'\0');
  DWORD size = static_cast<DWORD>(url.size() * sizeof(wchar_t));
  return WinInet().queryOption(request, INTERNET_OPTION_URL, url.data(), &size) &&
         _wcsnicmp(url.c_str(), L"http:", 5) == 0;
}

// The host of the proxy that asked for credentials, without its port.
std::wstring ProxyServerOf(HINTERNET request) {
  INTERNET_PER_CONN_OPTIONW option{};
  option.dwOption = INTERNET_PER_CONN_PROXY_SERVER;
  INTERNET_PER_CONN_OPTION_LISTW list{};
  list.dwSize = sizeof list;
  list.dwOptionCount = 1;
  list.pOptions = &option;
  DWORD size = sizeof list;
  if (!WinInet().queryOption(request, INTERNET_OPTION_PER_CONNECTION_OPTION, &list, &size) ||
      option.Value.pszValue == nullptr) {
    return std::wstring();
  }
  std::wstring server = option.Value.pszValue;
  (void)GlobalFree(option.Value.pszValue);
  const std::size_t colon = server.find(L':');
  if (colon != std::wstring::npos && colon != 0) server.resize(colon);
  return server;
}

}  // namespace

std::uint32_t TransferSession::HttpOpen(HINTERNET session, const std::wstring& url, const wchar_t* verb,
                                        INTERNET_PORT port, const std::wstring& host,
                                        const std::wstring& object, const wchar_t* user,
                                        const wchar_t* password, std::uint32_t& resumeOffset,
                                        std::uint32_t& remoteSize, bool secure) {
  const WinInetApi& api = WinInet();
  const auto context = reinterpret_cast<DWORD_PTR>(this);
  remoteSize = 0;
  std::uint32_t error = 0;
  currentHandle_ = nullptr;
  BeginOperation(TransferOperation::kConnect);
  SessionHandle connection(AwaitHandle(
      api.connect(session, host.c_str(), port, user, password, INTERNET_SERVICE_HTTP, 0, context), error));
  if (connection.Get() == nullptr) return error;
  currentHandle_ = nullptr;
  BeginOperation(TransferOperation::kOpenRequest);
  const wchar_t* acceptTypes[] = {L"*/*", nullptr};
  const DWORD flags = kRequestFlags | (secure ? INTERNET_FLAG_SECURE : 0);
  RequestHandle request(AwaitHandle(api.httpOpenRequest(connection.Get(), verb, object.c_str(), L"HTTP/1.0",
                                                        L"", acceptTypes, flags, context),
                                    error),
                        completed_, completionEvent_.Get(), handleClosedEvent_.Get());
  if (request.Get() == nullptr) return error;
  if (secure && ignoreCertificateErrors_) (void)AddSecurityFlags(request.Get(), kIgnoredCertificateProblems);

  std::wstring headers;
  if (resumeOffset != 0) headers += L"Range: bytes=" + DecimalText(resumeOffset) + L"-\r\n";
  if (ifModifiedSince_.wYear != 0) {
    const SYSTEMTIME& t = ifModifiedSince_;
    headers += L"If-Modified-Since: " +
               HttpDate({t.wYear, t.wMonth, t.wDayOfWeek, t.wDay, t.wHour, t.wMinute, t.wSecond}) + L"\r\n";
  }
  std::string body;
  if (!formData_.empty()) {
    headers += L"Content-Type: application/x-www-form-urlencoded; charset=utf-8\r\n";
    body = ToAnsi(formData_, CP_UTF8);
  }
  if (credentials_ != nullptr) credentials_->Arm();

  bool relaxed = false;
  for (;;) {
    BeginOperation(TransferOperation::kSendRequest);
    const BOOL sent = api.httpSendRequest(
        request.Get(), headers.empty() ? nullptr : headers.c_str(), static_cast<DWORD>(headers.size()),
        body.empty() ? nullptr : body.data(), static_cast<DWORD>(body.size()));
    std::uint32_t sendError = Wait(sent ? 0 : GetLastError());
    if (sendError == 0 && !sent && asyncResult_ == 0) sendError = asyncError_;
    if (secure && sendError == 0 && EndedOnPlainHttp(request.Get())) return ERROR_INTERNET_HTTPS_TO_HTTP_ON_REDIR;
    DWORD status = 0;
    // Without a response (no connection, a certificate refused) the send's
    // own error is the one that tells what happened.
    if (!QueryNumber(request.Get(), HTTP_QUERY_STATUS_CODE, status) && sendError == 0) return GetLastError();
    statusCode_ = status;
    DWORD contentLength = 0;
    if (!QueryNumber(request.Get(), HTTP_QUERY_CONTENT_LENGTH, contentLength)) contentLength = 0;
    if (wantLastModified_ && status != HTTP_STATUS_NOT_MODIFIED) {
      DWORD size = sizeof lastModified_;
      if (!api.httpQueryInfo(request.Get(), HTTP_QUERY_LAST_MODIFIED | HTTP_QUERY_FLAG_SYSTEMTIME,
                             &lastModified_, &size, nullptr)) {
        lastModified_ = SYSTEMTIME{};
      }
    }
    if (!formData_.empty() && status == HTTP_STATUS_OK) {
      std::wstring type;
      if (!QueryText(request.Get(), HTTP_QUERY_CONTENT_TYPE, kContentTypeBytes, type)) return GetLastError();
      contentType_ += type;
    }
    switch (status) {
      case HTTP_STATUS_OK:
        remoteSize = contentLength;
        if (contentLength != 0 && contentLength <= resumeOffset) return kErrorPartAlreadyComplete;
        resumeOffset = 0;
        break;
      case HTTP_STATUS_PARTIAL_CONTENT:
        if (contentLength == 0) resumeOffset = 0;
        remoteSize = contentLength == 0 ? 0 : resumeOffset + contentLength;
        break;
      case HTTP_STATUS_NOT_MODIFIED:
        return kErrorNotModified;
      case kStatusRangeNotSatisfiable: {
        // A 416 body is never the file. It says the .part is the whole file
        // when the length it gives is the .part's own; any other answer
        // leaves the .part's bytes in doubt, so they go and the file comes
        // again from its start.
        if (resumeOffset == 0) return ERROR_HTTP_INVALID_SERVER_RESPONSE;
        std::wstring range;
        std::uint32_t whole = 0;
        if (QueryText(request.Get(), HTTP_QUERY_CONTENT_RANGE, kChallengeBytes, range) &&
            CompleteLengthFromContentRange(range, whole) && whole == resumeOffset) {
          remoteSize = whole;
          request.Close();  // the receive loop then finds nothing more to add
          break;
        }
        // Asked afresh on a new request: sending this one again with other
        // headers does not work under Wine.
        (void)DeleteFileLong(partPath_);
        resumeOffset = 0;
        request.Close();
        connection.Close();
        return HttpOpen(session, url, verb, port, host, object, user, password, resumeOffset, remoteSize, secure);
      }
      case HTTP_STATUS_DENIED:
      case HTTP_STATUS_PROXY_AUTH_REQ: {
        const bool proxy = status == HTTP_STATUS_PROXY_AUTH_REQ;
        std::wstring challenge;
        const std::wstring realm =
            QueryText(request.Get(), proxy ? HTTP_QUERY_PROXY_AUTHENTICATE : HTTP_QUERY_WWW_AUTHENTICATE,
                      kChallengeBytes, challenge)
                ? RealmFromChallenge(challenge)
                : std::wstring();
        std::wstring newUser;
        std::wstring newPassword;
        // The proxy this session was given is the one that asked; only the
        // system's own settings must be looked up.
        std::wstring proxyServer;
        if (proxy) {
          proxyServer = proxy_.empty() ? ProxyServerOf(request.Get())
                                       : ProxyHostFor(proxy_, secure ? L"https" : L"http");
        }
        if (!ObtainCredentials(request.Get(), url, realm, proxy, proxyServer, newUser, newPassword)) {
          return kErrorCredentialsNeeded;
        }
        continue;
      }
      case HTTP_STATUS_FORBIDDEN:
        return kErrorForbidden;
      case HTTP_STATUS_NOT_FOUND:
      case HTTP_STATUS_GONE:
        return kErrorNotFound;
      default:
        if (sendError == 0) {
          // An error page is still a body: the size and digest checks judge it.
          resumeOffset = 0;
          remoteSize = contentLength;
        }
        break;
    }
    if (!IsCertificateProblem(sendError)) {
      if (sendError != 0) return sendError;
      break;
    }
    if (relaxCertificatesOnRetry_ && !relaxed) {
      relaxed = true;
      if (!AddSecurityFlags(request.Get(), kRelaxedSecurityFlags)) return sendError;
    } else if (Report(nullptr, sendError,
                      static_cast<std::uint32_t>(reinterpret_cast<UINT_PTR>(request.Get()))) != 0) {
      return sendError;
    }
    headers.clear();
  }
  connection_ = connection.Release();
  currentHandle_ = request.Release();
  return 0;
}

bool TransferSession::ObtainCredentials(HINTERNET handle, const std::wstring& url, const std::wstring& realm,
                                        bool proxy, const std::wstring& proxyServer, std::wstring& user,
                                        std::wstring& password) {
  if (credentials_ == nullptr) return false;
  if (!credentials_->GetRemembered(user, password)) {
    credentials_->SetServer(url);
    credentials_->SetRealm(realm);
    credentials_->SetProxyServer(proxyServer);
    if (listener_ == nullptr) return false;
    const std::uint32_t answer =
        listener_->OnError(url.c_str(), kErrorCredentialsNeeded,
                           static_cast<std::uint32_t>(reinterpret_cast<UINT_PTR>(credentials_)));
    if (answer != ERROR_RETRY || !credentials_->GetEntered(user, password)) return false;
  }
  if (handle != nullptr) {
    const auto set = [handle](DWORD option, const std::wstring& text) {
      (void)WinInet().setOption(handle, option, const_cast<wchar_t*>(text.c_str()),
                                static_cast<DWORD>(text.size()));
    };
    set(proxy ? INTERNET_OPTION_PROXY_USERNAME : INTERNET_OPTION_USERNAME, user);
    set(proxy ? INTERNET_OPTION_PROXY_PASSWORD : INTERNET_OPTION_PASSWORD, password);
  }
  credentials_->Disarm();
  return true;
}

}  // namespace tessaro
