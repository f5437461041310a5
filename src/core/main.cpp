#include <objbase.h>
#include <windows.h>

#include "core/chainer_app.h"
#include "log/logger.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
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
