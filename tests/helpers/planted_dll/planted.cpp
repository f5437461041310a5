// Copied under the name of a system DLL into a folder the product must never
// load from: any process that loads it appends "<its own path> <the
// program's path>" to "loaded.txt" in its folder, then the load is refused so
// that such a program fails where it stands.
#include <windows.h>

#include <string>

extern "C" BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID) {
  if (reason != DLL_PROCESS_ATTACH) return TRUE;
  char module[MAX_PATH];
  char program[MAX_PATH];
  const std::string own(module, GetModuleFileNameA(self, module, MAX_PATH));
  const std::string line =
      own + " " + std::string(program, GetModuleFileNameA(nullptr, program, MAX_PATH)) + "\r\n";
  const std::string marker = own.substr(0, own.find_last_of('\\') + 1) + "loaded.txt";
  // Appends, shared: several processes of one run may load copies at once.
  const HANDLE file = CreateFileA(marker.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file != INVALID_HANDLE_VALUE) {
    DWORD written = 0;
    WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    CloseHandle(file);
  }
  return FALSE;
}
