#include "download/transfer_session.h"
#include "download/wininet_api.h"
#include "platform/handles.h"
#include "platform/paths.h"

namespace tessaro {
namespace {

// The share refused the account, or the lack of one: worth asking the user.
[[nodiscard]] bool IsLogOnRefusal(DWORD code) {
  return code == ERROR_LOGON_FAILURE || code == ERROR_INVALID_PASSWORD || code == ERROR_BAD_USERNAME;
}

[[nodiscard]] DWORD ConnectShareFolder(const std::wstring& folder, const wchar_t* user,
                                       const wchar_t* password) {
  const auto addConnection = Mpr().addConnection2;
  if (addConnection == nullptr) return ERROR_PROC_NOT_FOUND;
  NETRESOURCEW resource{};
  resource.dwType = RESOURCETYPE_DISK;
  resource.lpRemoteName = const_cast<wchar_t*>(folder.c_str());
  return addConnection(&resource, password, user, 0);
}

// |size| is left alone on failure.
[[nodiscard]] DWORD ReadSourceSize(const std::wstring& path, std::uint32_t& size) {
  if (!IsAbsolutePath(path)) return ERROR_PATH_NOT_FOUND;
  WIN32_FIND_DATAW data;
  const UniqueFindHandle found(FindFirstFileW(ToLongForm(path).c_str(), &data));
  if (!found) return GetLastError();
  size = data.nFileSizeLow;
  return 0;
}

}  // namespace

std::uint32_t TransferSession::ShareOpen(const std::wstring& url, const std::wstring& path,
                                         const wchar_t* user, const wchar_t* password,
                                         std::uint32_t& resumeOffset, std::uint32_t& remoteSize) {
  const std::wstring folder = path.substr(0, path.rfind(L'\\'));
  currentHandle_ = nullptr;
  connection_ = nullptr;
  if (credentials_ != nullptr) credentials_->Arm();
  std::wstring enteredUser;
  std::wstring enteredPassword;
  for (;;) {
    DWORD error = user != nullptr ? ConnectShareFolder(folder, user, password) : 0;
    std::uint32_t size = 0;
    if (error == 0) error = ReadSourceSize(path, size);
    if (error == 0) {
      // A copy always starts from the beginning.
      resumeOffset = 0;
      remoteSize = size;
      return 0;
    }
    if (!IsLogOnRefusal(error) || !ObtainCredentials(nullptr, url, L"Local Network Server", false,
                                                     std::wstring(), enteredUser, enteredPassword)) {
      return error;
    }
    user = enteredUser.c_str();
    password = enteredPassword.c_str();
  }
}

}  // namespace tessaro
