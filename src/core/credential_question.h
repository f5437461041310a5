#pragma once
// The transfer engine's credential question, put to the user in basic UI.
#include <windows.h>

#include <string>

#include "download/credential_provider.h"

namespace tessaro {

// Asks the user for the account that the question in |credentials| is
// about, in the system's dialog owned by |owner|, and hands what was typed
// to |credentials|. False when the user declined or no dialog could be shown.
[[nodiscard]] bool AskUserForCredentials(HWND owner, const std::wstring& caption,
                                         CredentialProvider& credentials);

}  // namespace tessaro
