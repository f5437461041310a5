// A check program that succeeds (exit code 0) only when it was started
// hidden, so that a test can tell how its starter asked for the window.
#include <windows.h>

int wmain() {
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  GetStartupInfoW(&startup);
  const bool hidden = (startup.dwFlags & STARTF_USESHOWWINDOW) && startup.wShowWindow == SW_HIDE;
  return hidden ? 0 : 1;
}
