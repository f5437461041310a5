#include "core/credential_question.h"

#include "download/url_parts.h"
#include "log/logger.h"
#include "ui/credential_prompt.h"
#include "ui/strings.h"

namespace tessaro {

bool AskUserForCredentials(HWND owner, const std::wstring& caption, CredentialProvider& credentials) {
  // A proxy asks for its own account, whatever address it was fetching.
  const std::wstring& realm = credentials.Realm();
  std::wstring target = credentials.ProxyServer();
  if (target.empty()) target = CrackUrl(credentials.Server()).host;
  // Never the address itself: it may carry a password, and the target is logged.
  if (target.empty()) target = realm;
  const std::wstring message =
      FormatResString(IDS_CREDENTIALS, realm.empty() ? target : realm + L" (" + target + L")");
  std::wstring user;
  std::wstring password;
  const bool given = PromptForCredentials(owner, caption, target, message, user, password);
  if (given) credentials.SetEntered(user, password);
  LogLine((given ? L"Credentials were entered for " : L"No credentials were given for ") + target);
  return given;
}

}  // namespace tessaro
