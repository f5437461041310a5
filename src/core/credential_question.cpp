#include "core/credential_question.h"

#include "download/url_parts.h"
#include "log/logger.h"
#include "ui/credential_prompt.h"
#include "ui/strings.h"

namespace tessaro {

bool AskUserForCredentials(HWND owner, const std::wstring& caption, CredentialProvider& credentials) {
  // A proxy asks for its own account, whatever address it was fetching.
  std::wstring target = credentials.ProxyServer();
  if (target.empty()) target = CrackUrl(credentials.Server()).host;
  if (target.empty()) target = credentials.Server();
  const std::wstring& realm = credentials.Realm();
  const std::wstring message =
      FormatResString(IDS_CREDENTIALS, realm.empty() ? target : realm + L" (" + target + L")");
  // After a refusal the name typed last is offered again; the password never is.
  std::wstring user;
  std::wstring password;
  (void)credentials.GetEntered(user, password);
  password.clear();
  const bool given = PromptForCredentials(owner, caption, target, message, user, password);
  if (given) credentials.SetEntered(user, password);
  LogLine(L"Credentials for " + target + (given ? L" were entered by the user." : L" were not given."));
  return given;
}

}  // namespace tessaro
