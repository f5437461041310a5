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

}  // namespace

bool PromptForCredentials(HWND owner, const std::wstring& caption, const std::wstring& target,
                          const std::wstring& message, std::wstring& user, std::wstring& password) {
  const auto prompt = GetProcedure<PromptFunction>(CredUi.Get(), "CredUIPromptForCredentialsW");
  if (prompt == nullptr) return false;
  CREDUI_INFOW info{sizeof info, owner, message.c_str(), caption.c_str(), nullptr};
  wchar_t typedUser[CREDUI_MAX_USERNAME_LENGTH + 1] = {};
  wchar_t typedPassword[CREDUI_MAX_PASSWORD_LENGTH + 1] = {};
  BOOL save = FALSE;
  const bool given = prompt(&info, target.c_str(), nullptr, 0, typedUser, std::size(typedUser), typedPassword,
                            std::size(typedPassword), &save, kPromptFlags) == NO_ERROR;
  if (given) {
    // Some implementations of the dialog qualify a bare name with the target
    // as its domain ("host\name") even for generic credentials; the server
    // knows only the name.
    const std::size_t length = target.size();
    const bool qualified = _wcsnicmp(typedUser, target.c_str(), length) == 0 && typedUser[length] == L'\\';
    user = typedUser + (qualified ? length + 1 : 0);
    password = typedPassword;
  }
  SecureZeroMemory(typedPassword, sizeof typedPassword);
  return given;
}

}  // namespace tessaro
