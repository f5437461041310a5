#include <objbase.h>
#include <windows.h>

#include "core/chainer_app.h"
#include "log/logger.h"
#include "platform/system_library.h"

namespace {

// setup.exe usually runs from a Downloads folder full of other files. From
// here on, libraries that anything in this process loads by name come from
// the system folder only, never from the executable's folder or the current
// directory. Systems without the call (before Windows 7 with KB2533623)
// keep their default search order.
void RestrictLibrarySearch() {
  using SetDirectoriesFn = BOOL(WINAPI*)(DWORD);
  const auto setDirectories =
      tessaro::GetProcedure<SetDirectoriesFn>(GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories");
  if (setDirectories != nullptr) setDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  RestrictLibrarySearch();
  // Only a call that really initialised COM here may be balanced; S_FALSE
  // (already initialised) and failures are left alone.
  const HRESULT com = CoInitialize(nullptr);
  // Touches the window manager once, before any window exists, so that the
  // process is a GUI process from the start.
  DefWindowProcW(nullptr, 0, 0, 0);

  int exitCode = 0;
  {
    tessaro::ChainerApp app;
    app.Run();
    exitCode = app.ExitCode();
  }  // the application object's destruction cleans up the package

  if (tessaro::LoggingEnabled) tessaro::Logger::Instance().WriteEndLine();
  if (com == S_OK) CoUninitialize();
  return exitCode;
}
