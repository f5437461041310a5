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
//   --set-value PATH DATA
//                 writes the REG_SZ value PATH ("HKCU\key\name" or
//                 "HKLM\key\name", the key created as needed): what an
//                 installer leaves for a later search to find.
//   --dump-key KEY FILE
//                 writes the values of HKCU\KEY to FILE as UTF-8 lines
//                 "name=data" ("=" data for the unnamed value); an absent
//                 key gives an empty file.
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

bool WriteFileText(const wchar_t* path, const std::string& text) {
  const HANDLE file =
      CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const bool ok = WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
                  written == text.size();
  CloseHandle(file);
  return ok;
}

bool WriteReport(const wchar_t* path) {
  wchar_t directory[MAX_PATH * 4];
  const DWORD length = GetCurrentDirectoryW(MAX_PATH * 4, directory);
  const std::string text =
      ToUtf8(GetCommandLineW()) + "\r\n" + ToUtf8(std::wstring(directory, length)) + "\r\n";
  return WriteFileText(path, text);
}

bool SetValue(const std::wstring& path, const std::wstring& data) {
  const size_t first = path.find(L'\\');
  const size_t last = path.rfind(L'\\');
  if (first == std::wstring::npos || last == first) return false;
  const std::wstring root = path.substr(0, first);
  const HKEY rootKey = root == L"HKLM" ? HKEY_LOCAL_MACHINE : root == L"HKCU" ? HKEY_CURRENT_USER : nullptr;
  if (rootKey == nullptr) return false;
  HKEY key = nullptr;
  if (RegCreateKeyExW(rootKey, path.substr(first + 1, last - first - 1).c_str(), 0, nullptr, 0, KEY_SET_VALUE,
                      nullptr, &key, nullptr) != ERROR_SUCCESS) {
    return false;
  }
  const LONG status = RegSetValueExW(key, path.substr(last + 1).c_str(), 0, REG_SZ,
                                     reinterpret_cast<const BYTE*>(data.c_str()),
                                     static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(key);
  return status == ERROR_SUCCESS;
}

bool DumpKey(const std::wstring& keyName, const wchar_t* file) {
  std::string text;
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, keyName.c_str(), 0, KEY_READ, &key) == ERROR_SUCCESS) {
    for (DWORD index = 0;; ++index) {
      wchar_t name[256];
      DWORD nameLength = 256;
      wchar_t data[1024] = {};
      DWORD dataBytes = sizeof(data) - sizeof(wchar_t);
      if (RegEnumValueW(key, index, name, &nameLength, nullptr, nullptr, reinterpret_cast<BYTE*>(data),
                        &dataBytes) != ERROR_SUCCESS) {
        break;
      }
      text += ToUtf8(std::wstring(name, nameLength)) + "=" + ToUtf8(data) + "\r\n";
    }
    RegCloseKey(key);
  }
  return WriteFileText(file, text);
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
    } else if (option == L"--set-value" || option == L"--dump-key") {
      const wchar_t* second = next + 1 < argc ? argv[next + 1] : nullptr;
      if (second == nullptr) return kUsageError;
      ++next;
      if (!(option == L"--set-value" ? SetValue(value, second) : DumpKey(value, second))) return kUsageError;
    } else {
      return kUsageError;
    }
  }
  // ExitProcess rather than a return: the full 32 bits reach the parent.
  ExitProcess(static_cast<UINT>(code));
}
