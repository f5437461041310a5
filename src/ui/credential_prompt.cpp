#include "ui/credential_prompt.h"

#include <wincred.h>

#include <cwchar>
#include <iterator>

#include "platform/system_library.h"

namespace tessaro {
namespace {

constinit LazySystemLibrary CredUi(L"credui.dll");

using PromptFunction = DWORD(WINAPI*)(PCREDUI_INFOW, PCWSTR, PCtxtHandle, DWORD, PWSTR, ULONG, PWSTR, ULONG,
                                      BOOL*, DWORD);

// The server wants an account of its own, not a Windows log-on: generic
// credentials come back as typed. Always asked, never stored in the user's
// profile: the package cannot know whether the user wants that.
constexpr DWORD kPromptFlags =
    CREDUI_FLAGS_GENERIC_CREDENTIALS | CREDUI_FLAGS_ALWAYS_SHOW_UI | CREDUI_FLAGS_DO_NOT_PERSIST;

// Some implementations of the dialog qualify a bare name with the target as
// its domain ("host\name") even for generic credentials; the server knows
// only the name.
std::wstring WithoutTargetDomain(const std::wstring& user, const std::wstring& target) {
  const bool qualified = user.size() > target.size() && user[target.size()] == L'\\' &&
                         _wcsnicmp(user.c_str(), target.c_str(), target.size()) == 0;
  return qualified ? user.substr(target.size() + 1) : user;
}

}  // namespace

bool PromptForCredentials(HWND owner, const std::wstring& caption, const std::wstring& target,
                          const std::wstring& message, std::wstring& user, std::wstring& password) {
  const auto prompt = GetProcedure<PromptFunction>(CredUi.Get(), "CredUIPromptForCredentialsW");
  if (prompt == nullptr) return false;
  CREDUI_INFOW info{sizeof info, owner, message.c_str(), caption.c_str(), nullptr};
  wchar_t typedUser[CREDUI_MAX_USERNAME_LENGTH + 1] = {};
  wchar_t typedPassword[CREDUI_MAX_PASSWORD_LENGTH + 1] = {};
  user.copy(typedUser, CREDUI_MAX_USERNAME_LENGTH);
  BOOL save = FALSE;
  const bool given = prompt(&info, target.c_str(), nullptr, 0, typedUser, std::size(typedUser), typedPassword,
                            std::size(typedPassword), &save, kPromptFlags) == NO_ERROR;
  if (given) {
    user = WithoutTargetDomain(typedUser, target);
    password = typedPassword;
  }
  SecureZeroMemory(typedPassword, sizeof typedPassword);
  return given;
}

}  // namespace tessaro
