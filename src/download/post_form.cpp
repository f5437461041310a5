#include <cwchar>
#include <utility>

#include "download/http_text.h"
#include "download/internet_handles.h"
#include "download/transfer_session.h"
#include "download/url_parts.h"
#include "platform/chainer_codes.h"
#include "platform/paths.h"

namespace tessaro {
namespace {

constexpr UINT kCodePageUtf8 = 65001;
constexpr UINT kCodePageLatin1 = 28591;
// UTF-16 little-endian's number; MultiByteToWideChar does not take it, the
// bytes are the text's units already.
constexpr UINT kCodePageUtf16 = 1200;

// The code page of a reply's charset.
[[nodiscard]] UINT CodePageOf(const std::wstring& charset) {
  const wchar_t* name = charset.c_str();
  if (_wcsicmp(name, L"utf-8") == 0) return kCodePageUtf8;
  if (_wcsicmp(name, L"utf-16") == 0) return kCodePageUtf16;
  if (_wcsicmp(name, L"ISO-8859-1") == 0) return kCodePageLatin1;
  if (_wcsicmp(name, L"US-ASCII") == 0) return CP_THREAD_ACP;
  return CP_ACP;
}

}  // namespace

bool TransferSession::GetCharset(std::wstring& charset) const {
  return CharsetFromContentType(contentType_, charset);
}

std::uint32_t TransferSession::PostForm(const std::wstring& url, std::wstring& text) {
  urls_ = {url};
  retryCount_ = 0;
  const UrlParts parts = CrackUrl(url);
  if (parts.error != 0) return parts.error;
  if (parts.scheme != INTERNET_SCHEME_HTTP && parts.scheme != INTERNET_SCHEME_HTTPS) {
    return ERROR_INTERNET_UNRECOGNIZED_SCHEME;
  }
  HINTERNET opened = nullptr;
  if (const std::uint32_t error = OpenSession(opened); error != 0) return error;
  const SessionHandle session(opened);
  ApplyConnectTimeout(opened);
  targetPath_ = CreateUniqueTempFile(GetTempFolder(), L"123", L"DLD");
  partPath_ = targetPath_ + L".part";

  std::uint32_t resumeOffset = 0;
  OpenedSource source;
  std::uint32_t result = OpenUrl(opened, url, L"POST", resumeOffset, source);
  if (result == 0) {
    RequestHandle request(currentHandle_, completed_, completionEvent_.Get(), handleClosedEvent_.Get());
    result = ReceiveToFile(opened, request, source.remoteSize, 0);
    if (result == 0) {
      result = statusCode_ == HTTP_STATUS_OK ? DecodeReplyFile(targetPath_, text) : kErrorFormPostFailed;
    }
    request.Close();
    SessionHandle(std::exchange(connection_, nullptr)).Close();
  } else if (result != kErrorNotModified) {
    Report(nullptr, result);
  }
  (void)DeleteFileLong(targetPath_);
  (void)DeleteFileLong(partPath_);
  return result;
}

std::uint32_t TransferSession::DecodeReplyFile(const std::wstring& path, std::wstring& text) const {
  const UniqueFile file(CreateFileW(ToLongForm(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return GetLastError();
  const DWORD size = GetFileSize(file.Get(), nullptr);
  if (size == INVALID_FILE_SIZE) return GetLastError();
  std::string bytes(size, '\0');
  DWORD read = 0;
  if (size != 0 && !ReadFile(file.Get(), bytes.data(), size, &read, nullptr)) return GetLastError();
  bytes.resize(read);
  std::wstring charset;
  const UINT codePage = GetCharset(charset) ? CodePageOf(charset) : CP_ACP;
  std::wstring decoded;
  if (codePage == kCodePageUtf16) {
    decoded.resize(bytes.size() / 2);
    for (std::size_t i = 0; i < decoded.size(); ++i) {
      decoded[i] = static_cast<wchar_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                        static_cast<unsigned char>(bytes[2 * i + 1]) << 8);
    }
  } else if (!bytes.empty()) {
    const int length =
        MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    if (length == 0) return GetLastError();
    decoded.resize(static_cast<std::size_t>(length));
    (void)MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()), decoded.data(),
                              length);
  }
  text = std::move(decoded);
  return 0;
}

}  // namespace tessaro
