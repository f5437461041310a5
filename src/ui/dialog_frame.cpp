#include "ui/dialog_frame.h"

#include "ui/resources/resource_ids.h"

namespace tessaro {
namespace {

HICON ProgramIcon(int widthMetric, int heightMetric) {
  // Shared icons are owned by the system: nothing to free when the window goes.
  return static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_TESSARO), IMAGE_ICON,
                                       GetSystemMetrics(widthMetric), GetSystemMetrics(heightMetric),
                                       LR_SHARED));
}

LONG Centred(LONG areaStart, LONG areaEnd, LONG size, LONG limitStart, LONG limitEnd) {
  LONG start = areaStart + (areaEnd - areaStart - size) / 2;
  if (start + size > limitEnd) start = limitEnd - size;
  return start < limitStart ? limitStart : start;
}

}  // namespace

void SetWindowIcons(HWND window) {
  SendMessageW(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(ProgramIcon(SM_CXICON, SM_CYICON)));
  SendMessageW(window, WM_SETICON, ICON_SMALL,
               reinterpret_cast<LPARAM>(ProgramIcon(SM_CXSMICON, SM_CYSMICON)));
}

void CentreWindow(HWND window) {
  MONITORINFO monitor{};
  monitor.cbSize = sizeof(monitor);
  if (!GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &monitor)) return;
  RECT area = monitor.rcWork;
  const HWND owner = GetWindow(window, GW_OWNER);
  if (owner != nullptr && IsWindowVisible(owner) && !IsIconic(owner)) GetWindowRect(owner, &area);
  RECT own{};
  GetWindowRect(window, &own);
  const RECT& limit = monitor.rcWork;
  SetWindowPos(window, nullptr, Centred(area.left, area.right, own.right - own.left, limit.left, limit.right),
               Centred(area.top, area.bottom, own.bottom - own.top, limit.top, limit.bottom), 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace tessaro
