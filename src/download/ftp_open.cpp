#include "download/internet_handles.h"
#include "download/transfer_session.h"
#include "download/wininet_api.h"
#include "platform/chainer_codes.h"
#include "platform/decimal_text.h"

namespace tessaro {
namespace {

constexpr std::int32_t kRestartAccepted = 350;

[[nodiscard]] bool IsLogOnFailure(std::uint32_t code) {
  return code == ERROR_INTERNET_INCORRECT_USER_NAME || code == ERROR_INTERNET_INCORRECT_PASSWORD ||
         code == ERROR_INTERNET_LOGIN_FAILURE;
}

}  // namespace

std::uint32_t TransferSession::FtpOpen(HINTERNET session, const std::wstring& url, INTERNET_PORT port,
                                       const std::wstring& host, const std::wstring& path,
                                       const wchar_t* user, const wchar_t* password,
                                       std::uint32_t& resumeOffset, std::uint32_t& remoteSize) {
  const WinInetApi& api = WinInet();
  const auto context = reinterpret_cast<DWORD_PTR>(this);
  std::uint32_t error = 0;

  if (credentials_ != nullptr) credentials_->Arm();
  std::wstring enteredUser;
  std::wstring enteredPassword;
  HINTERNET connected = nullptr;
  for (;;) {
    currentHandle_ = nullptr;
    BeginOperation(TransferOperation::kConnect);
    connected = AwaitHandle(api.connect(session, host.c_str(), port, user, password, INTERNET_SERVICE_FTP,
                                        INTERNET_FLAG_PASSIVE, context),
                            error);
    if (connected != nullptr) break;
    if (!IsLogOnFailure(error) || !ObtainCredentials(session, url, L"FTP Server", false, std::wstring(),
                                                     enteredUser, enteredPassword)) {
      return error;
    }
    user = enteredUser.c_str();
    password = enteredPassword.c_str();
  }
  SessionHandle connection(connected);

  if (resume_ && resumeOffset != 0) {
    responseText_.clear();  // an older reply must not pass for this one's
    BeginOperation(TransferOperation::kFtpCommand);
    const std::wstring command = L"REST " + DecimalText(resumeOffset);
    if (api.ftpCommand(connection.Get(), FALSE, FTP_TRANSFER_TYPE_ASCII, command.c_str(), context, nullptr)) {
      // Done at once, without a notification: the reply belongs to this thread.
      FetchResponseText();
    } else if (const DWORD callError = GetLastError(); callError == ERROR_IO_PENDING) {
      error = Wait(callError);
      if (error == 0 && asyncResult_ == 0) error = asyncError_;
    } else {
      FetchResponseText();
      error = callError;
    }
    if (ParseDecimalInt(responseText_) != kRestartAccepted) resumeOffset = 0;
    // A refusal is the server's answer, not a failure of the open: the file
    // then comes again from its start.
    if (error != 0 && error != ERROR_INTERNET_EXTENDED_ERROR) return error;
  }

  currentHandle_ = nullptr;
  BeginOperation(TransferOperation::kOpenFtpFile);
  // Some WinINet versions go pending here without saying so (the last error
  // stays as it was) and deliver the file handle through the callback; a
  // call that reports nothing is waited for like one that says "pending".
  SetLastError(ERROR_IO_PENDING);
  RequestHandle file(AwaitHandle(api.ftpOpenFile(connection.Get(), path.c_str(), GENERIC_READ,
                                                 FTP_TRANSFER_TYPE_BINARY | INTERNET_FLAG_RELOAD, context),
                                 error),
                     completed_, completionEvent_.Get(), handleClosedEvent_.Get());
  if (file.Get() == nullptr) return error;
  DWORD high = 0;
  const std::uint32_t size = api.ftpGetFileSize(file.Get(), &high);
  if (size != 0 && resumeOffset >= size) return kErrorPartAlreadyComplete;
  remoteSize = size;
  connection_ = connection.Release();
  currentHandle_ = file.Release();
  return 0;
}

}  // namespace tessaro
