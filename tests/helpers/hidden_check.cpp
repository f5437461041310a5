// A check program that exits with 0 only when its starter asked for a hidden window.
#include <windows.h>

int wmain() {
  STARTUPINFOW startup = {};
  GetStartupInfoW(&startup);
  return (startup.dwFlags & STARTF_USESHOWWINDOW) && startup.wShowWindow == SW_HIDE ? 0 : 1;
}
