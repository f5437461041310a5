#pragma once
// Prerequisites that the user must fetch by hand: their web site is opened in
// the default browser through an internet shortcut file.
#include <string>

namespace tessaro {

// Hands a shortcut file to whatever opens it. Tests put a recorder here: the
// real browser cannot be opened in a test.
class BrowserOpener {
 public:
  virtual ~BrowserOpener() = default;
  virtual void OpenShortcut(const std::wstring& shortcutPath) = 0;
};

// The shell's "open" on the shortcut (its result is not checked: nothing is
// reported for a site that does not open).
[[nodiscard]] BrowserOpener& ShellBrowserOpener();

// "[InternetShortcut]\r\nURL=%s\r\n" in the thread's ANSI code page; characters
// it cannot represent become its replacement character.
[[nodiscard]] std::string InternetShortcutText(const std::wstring& url);

// Writes a new "URL*.url" shortcut into the temporary folder and, when it was
// written, opens it. The file is left there for the browser to read.
void OpenUrlInBrowser(const std::wstring& url, BrowserOpener& browser);

}  // namespace tessaro
