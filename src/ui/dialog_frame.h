#pragma once
// What both of the chainer's windows do when they open.
#include <windows.h>

namespace tessaro {

// The program's icon in the caption and on the taskbar, at the sizes the
// system asks for.
void SetWindowIcons(HWND window);
// Centres |window| on its owner, or on the work area of its monitor when it
// has none; it never leaves the work area.
void CentreWindow(HWND window);

}  // namespace tessaro
