// exit_with.exe N [--sleep-ms M] [--write FILE] ...
//
// A stand-in for a setup or check program: it exits with the code N.
//   N             decimal (may be negative: -1 exits with 0xFFFFFFFF) or
//                 hexadecimal with "0x" (0xE0000005); 0 when left out.
//   --sleep-ms M  waits M milliseconds before going on.
//   --write FILE  writes FILE (replacing it) as UTF-8 text of two lines: the
//                 command line as the program received it, then its current
//                 directory. The file is written before the program exits,
//                 so a caller that waited may read it at once.
// Options run in the order given, so "--write started.txt --sleep-ms 500
// --write done.txt" tells a test when the program began and when it ended.
// Anything it cannot read makes it exit with 87 (ERROR_INVALID_PARAMETER)
// without doing the rest.
#include <windows.h>

#include <cwchar>
#include <string>

namespace {

constexpr int kUsageError = 87;

bool ParseNumber(const wchar_t* text, long long& value) {
  if (text == nullptr || *text == L'\0') return false;
  wchar_t* end = nullptr;
  const bool negative = text[0] == L'-';
  const wchar_t* digits = negative ? text + 1 : text;
  const bool hex = digits[0] == L'0' && (digits[1] == L'x' || digits[1] == L'X');
  const unsigned long long magnitude = std::wcstoull(hex ? digits + 2 : digits, &end, hex ? 16 : 10);
  if (end == digits || *end != L'\0') return false;
  value = negative ? -static_cast<long long>(magnitude) : static_cast<long long>(magnitude);
  return true;
}

std::string ToUtf8(const std::wstring& text) {
  if (text.empty()) return std::string();
  const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                       nullptr, nullptr);
  std::string bytes(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(), size, nullptr,
                      nullptr);
  return bytes;
}

bool WriteReport(const wchar_t* path) {
  wchar_t directory[MAX_PATH * 4];
  const DWORD length = GetCurrentDirectoryW(MAX_PATH * 4, directory);
  const std::string text =
      ToUtf8(GetCommandLineW()) + "\r\n" + ToUtf8(std::wstring(directory, length)) + "\r\n";
  const HANDLE file =
      CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const bool ok = WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
                  written == text.size();
  CloseHandle(file);
  return ok;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  long long code = 0;
  int next = 1;
  if (argc > 1 && std::wcsncmp(argv[1], L"--", 2) != 0) {
    if (!ParseNumber(argv[1], code)) return kUsageError;
    next = 2;
  }
  for (; next < argc; ++next) {
    const std::wstring option = argv[next];
    const wchar_t* value = next + 1 < argc ? argv[next + 1] : nullptr;
    if (value == nullptr) return kUsageError;
    ++next;
    if (option == L"--sleep-ms") {
      long long milliseconds = 0;
      if (!ParseNumber(value, milliseconds) || milliseconds < 0) return kUsageError;
      Sleep(static_cast<DWORD>(milliseconds));
    } else if (option == L"--write") {
      if (!WriteReport(value)) return kUsageError;
    } else {
      return kUsageError;
    }
  }
  // ExitProcess rather than a return: the full 32 bits reach the parent.
  ExitProcess(static_cast<UINT>(code));
}
