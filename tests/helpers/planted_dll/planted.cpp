// A library that only proves it was loaded: copied under the name of a
// system DLL into a folder the product must never load from, it appends
// "<its own path> <the program's path>" to "loaded.txt" in its own folder
// the moment any process loads it. It then refuses the load, so that a
// program that did pick it up fails where it stands instead of running on
// without the functions it expected.
#include <windows.h>

#include <cstring>

extern "C" BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID) {
  if (reason != DLL_PROCESS_ATTACH) return TRUE;
  char module[MAX_PATH];
  char program[MAX_PATH];
  const DWORD moduleLength = GetModuleFileNameA(self, module, MAX_PATH);
  const DWORD programLength = GetModuleFileNameA(nullptr, program, MAX_PATH);
  char marker[MAX_PATH + 16];
  std::memcpy(marker, module, moduleLength);
  char* slash = marker + moduleLength;
  while (slash > marker && slash[-1] != '\\') --slash;
  std::strcpy(slash, "loaded.txt");
  // Appends, shared: several processes of one run may load copies at once.
  const HANDLE file = CreateFileA(marker, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file != INVALID_HANDLE_VALUE) {
    DWORD written = 0;
    WriteFile(file, module, moduleLength, &written, nullptr);
    WriteFile(file, " ", 1, &written, nullptr);
    WriteFile(file, program, programLength, &written, nullptr);
    WriteFile(file, "\r\n", 2, &written, nullptr);
    CloseHandle(file);
  }
  return FALSE;
}
