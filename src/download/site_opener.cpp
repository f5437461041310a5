#include "download/site_opener.h"

#include <windows.h>
#include <shellapi.h>

#include "platform/ansi_text.h"
#include "platform/handles.h"
#include "platform/paths.h"

namespace tessaro {
namespace {

class ShellOpen final : public BrowserOpener {
 public:
  void OpenShortcut(const std::wstring& shortcutPath) override {
    (void)ShellExecuteW(nullptr, L"open", shortcutPath.c_str(), nullptr, nullptr, SW_SHOW);
  }
};

ShellOpen shellOpen;

}  // namespace

BrowserOpener& ShellBrowserOpener() { return shellOpen; }

std::string InternetShortcutText(const std::wstring& url) {
  return "[InternetShortcut]\r\nURL=" + ToAnsi(url, CP_THREAD_ACP) + "\r\n";
}

void OpenUrlInBrowser(const std::wstring& url, BrowserOpener& browser) {
  const std::wstring path = CreateUniqueTempFile(GetTempFolder(), L"URL", L".url");
  if (path.empty()) return;
  bool written = false;
  {
    const UniqueFile file(
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return;
    const std::string text = InternetShortcutText(url);
    DWORD done = 0;
    written = WriteFile(file.Get(), text.data(), static_cast<DWORD>(text.size()), &done, nullptr) &&
              done == text.size();
  }
  if (written) browser.OpenShortcut(path);
}

}  // namespace tessaro
