#pragma once
// The system's own dialog for a user name and password, so that users see
// the question they know from Windows rather than one of ours.
#include <windows.h>

#include <string>

namespace tessaro {

// Asks for the account |target| (a host) wants, owned by |owner|, with
// |message| saying who asks. True when the user pressed OK: |user| and
// |password| then hold what was typed. False on Cancel, or when the dialog
// cannot be shown; both are then left as they were.
[[nodiscard]] bool PromptForCredentials(HWND owner, const std::wstring& caption, const std::wstring& target,
                                        const std::wstring& message, std::wstring& user,
                                        std::wstring& password);

}  // namespace tessaro
