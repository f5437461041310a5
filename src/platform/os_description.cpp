#include "platform/os_description.h"

#include <windows.h>

#include <vector>

#include "platform/decimal_text.h"
#include "platform/handles.h"
#include "platform/process_once.h"
#include "platform/wow64.h"

namespace tessaro {
namespace {

constinit ProcessOnce<OsDescription> RunningOs;

constexpr const wchar_t* kCurrentVersionKey = L"Software\\Microsoft\\Windows NT\\CurrentVersion";
constexpr const wchar_t* kProductOptionsKey = L"SYSTEM\\CurrentControlSet\\Control\\ProductOptions";

UniqueRegistryKey OpenLocalMachineKey(const wchar_t* path, REGSAM access) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path, 0, access, &key) != ERROR_SUCCESS) return UniqueRegistryKey();
  return UniqueRegistryKey(key);
}

[[nodiscard]] bool ReadDword(HKEY key, const wchar_t* name, std::uint32_t& value) {
  DWORD type = 0;
  DWORD data = 0;
  DWORD size = sizeof(data);
  if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&data), &size) != ERROR_SUCCESS ||
      type != REG_DWORD || size != sizeof(data)) {
    return false;
  }
  value = data;
  return true;
}

// A REG_SZ up to its first NUL; one stored without its terminator still reads whole.
[[nodiscard]] bool ReadText(HKEY key, const wchar_t* name, std::wstring& text) {
  DWORD type = 0;
  DWORD size = 0;
  if (RegQueryValueExW(key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS || type != REG_SZ) return false;
  std::vector<wchar_t> buffer(size / sizeof(wchar_t) + 1, L'\0');
  if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &size) !=
          ERROR_SUCCESS ||
      type != REG_SZ) {
    return false;
  }
  text.assign(buffer.data(), wcsnlen(buffer.data(), size / sizeof(wchar_t)));
  return true;
}

std::uint32_t DecimalValue(const std::wstring& text) { return static_cast<std::uint32_t>(ParseDecimalInt(text)); }

std::uint32_t DigitValue(wchar_t c) { return c >= L'0' && c <= L'9' ? static_cast<std::uint32_t>(c - L'0') : 0; }

void ReadVersion(HKEY key, OsDescription& os) {
  // Windows 10 keeps "CurrentVersion" at 6.3 for old programs; the numbers
  // of its own come from the DWORD values, which older systems lack.
  (void)ReadDword(key, L"CurrentMajorVersionNumber", os.major);
  (void)ReadDword(key, L"CurrentMinorVersionNumber", os.minor);
  std::wstring text;
  if (os.major == 0 && ReadText(key, L"CurrentVersion", text) && text.size() == 3) {
    os.major = DigitValue(text[0]);
    os.minor = DigitValue(text[2]);
  }
  if (ReadText(key, L"CurrentBuildNumber", text)) os.build = DecimalValue(text);
  // "Service Pack 2" gives 2.
  if (ReadText(key, L"CSDVersion", text) && !text.empty()) os.servicePack = DigitValue(text.back());
}

// "WinNT" is a workstation; "ServerNT", a domain controller's "LanmanNT" and
// anything else a server.
void ReadProductOptions(OsDescription& os) {
  const UniqueRegistryKey key = OpenLocalMachineKey(kProductOptionsKey, KEY_READ);
  std::wstring productType;
  if (key && ReadText(key.Get(), L"ProductType", productType)) os.isServer = productType != L"WinNT";
}

}  // namespace

OsDescription ReadOsDescription() {
  OsDescription os;
  const UniqueRegistryKey key = OpenLocalMachineKey(kCurrentVersionKey, KEY_READ | KEY_WOW64_64KEY);
  if (!key) return os;
  ReadVersion(key.Get(), os);
  os.is64Bit = IsWindows64Bit();
  ReadProductOptions(os);
  return os;
}

const OsDescription& GetOsDescription() { return RunningOs.Get(ReadOsDescription); }

}  // namespace tessaro
