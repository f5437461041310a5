// exit_with.exe N [OPTION...]: a stand-in setup or check program. Exits with
// N as C reads it (-1 gives 0xFFFFFFFF; 0 when left out) after its options in
// order: "--sleep-ms M"; "--write FILE", the command line and the current
// directory as UTF-8 lines; "--set-value HKCU|HKLM\key\name DATA", a REG_SZ
// value for a later search. Anything it cannot read exits with 87 at once.
#include <windows.h>

#include <cwchar>
#include <string>

#include "platform/ansi_text.h"
#include "platform/handles.h"
#include "platform/registry.h"

namespace {

bool ParseNumber(const wchar_t* text, long long& value) {
  wchar_t* end = nullptr;
  value = std::wcstoll(text, &end, 0);
  return end != text && *end == L'\0';
}

bool WriteReport(const wchar_t* path) {
  wchar_t directory[MAX_PATH * 4];
  const DWORD length = GetCurrentDirectoryW(MAX_PATH * 4, directory);
  const std::string bytes = tessaro::ToAnsi(
      std::wstring(GetCommandLineW()) + L"\r\n" + std::wstring(directory, length) + L"\r\n", CP_UTF8);
  const tessaro::UniqueFile file(
      CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  DWORD written = 0;
  return file && WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

bool SetValue(const std::wstring& path, const std::wstring& data) {
  const size_t first = path.find(L'\\');
  const size_t last = path.rfind(L'\\');
  return last != first &&
         RegSetKeyValueW(tessaro::RegistryRootFromPath(path),
                         path.substr(first + 1, last - first - 1).c_str(), path.substr(last + 1).c_str(),
                         REG_SZ, data.c_str(),
                         static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  long long code = 0;
  int next = 1;
  if (argc > 1 && std::wcsncmp(argv[1], L"--", 2) != 0 && !ParseNumber(argv[next++], code))
    return ERROR_INVALID_PARAMETER;
  for (; next < argc; next += 2) {
    const std::wstring option = argv[next];
    const bool pair = option == L"--set-value";
    long long ms = -1;
    if (next + 1 + pair >= argc) return ERROR_INVALID_PARAMETER;
    if (option == L"--sleep-ms" && ParseNumber(argv[next + 1], ms) && ms >= 0) {
      Sleep(static_cast<DWORD>(ms));
    } else if (!(option == L"--write" ? WriteReport(argv[next + 1])
                                      : pair && SetValue(argv[next + 1], argv[next + 2]))) {
      return ERROR_INVALID_PARAMETER;
    }
    next += pair;
  }
  // ExitProcess rather than a return: the full 32 bits reach the parent.
  ExitProcess(static_cast<UINT>(code));
}
