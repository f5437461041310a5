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
constexpr std::size_t kCsdVersionMaxChars = 128;
constexpr DWORD kProductSuiteBufferBytes = 2048;
constexpr std::uint16_t kProductTypeWorkstation = 1;  // VER_NT_WORKSTATION
constexpr std::uint16_t kProductTypeController = 2;   // VER_NT_DOMAIN_CONTROLLER
constexpr std::uint16_t kProductTypeServer = 3;       // VER_NT_SERVER

struct SuiteBit {
  const wchar_t* name;
  std::uint16_t bit;
};
constexpr SuiteBit kSuiteBits[] = {
    {L"Small Business", 0x1},
    {L"Enterprise", 0x2},
    {L"BackOffice", 0x4},
    {L"CommunicationServer", 0x8},
    {L"Terminal Server", 0x10},
    {L"Small Business(Restricted)", 0x20},
    {L"EmbeddedNT", 0x40},
    {L"DataCenter", 0x80},
    {L"Personal", 0x200},
    {L"Blade", 0x400},
    {L"Embedded(Restricted)", 0x800},
    {L"Security Appliance", 0x1000},
    {L"Storage Server", 0x2000},
    {L"Compute Server", 0x4000},
};

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

// Raw value data as UTF-16 units; a value stored without its terminator still reads whole.
[[nodiscard]] bool ReadWideData(HKEY key, const wchar_t* name, DWORD expectedType, DWORD maxBytes,
                                std::vector<wchar_t>& units) {
  DWORD type = 0;
  DWORD size = 0;
  if (RegQueryValueExW(key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS || type != expectedType ||
      (maxBytes != 0 && size > maxBytes)) {
    return false;
  }
  std::vector<wchar_t> buffer(size / sizeof(wchar_t) + 1, L'\0');
  if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &size) !=
          ERROR_SUCCESS ||
      type != expectedType) {
    return false;
  }
  buffer.resize(size / sizeof(wchar_t));
  units = std::move(buffer);
  return true;
}

[[nodiscard]] bool ReadText(HKEY key, const wchar_t* name, std::wstring& text) {
  std::vector<wchar_t> units;
  if (!ReadWideData(key, name, REG_SZ, 0, units)) return false;
  std::wstring value(units.begin(), units.end());
  value.resize(wcsnlen(value.c_str(), value.size()));
  text = std::move(value);
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
  if (ReadText(key, L"ReleaseId", text)) os.releaseId = DecimalValue(text);
  if (ReadText(key, L"CSDVersion", text)) {
    os.csdVersion = text.substr(0, kCsdVersionMaxChars);
    // "Service Pack 2" gives 2.
    if (!os.csdVersion.empty()) os.servicePack = DigitValue(os.csdVersion.back());
  }
}

void ReadProductOptions(OsDescription& os) {
  const UniqueRegistryKey key = OpenLocalMachineKey(kProductOptionsKey, KEY_READ);
  if (!key) return;
  std::wstring productType;
  if (ReadText(key.Get(), L"ProductType", productType)) {
    if (productType == L"WinNT") {
      os.productType = kProductTypeWorkstation;
      os.isServer = false;
    } else if (productType == L"ServerNT") {
      os.productType = kProductTypeServer;
      os.isServer = true;
    } else {
      os.productType = kProductTypeController;
      os.isServer = true;
    }
  }
  std::vector<wchar_t> suites;
  if (!ReadWideData(key.Get(), L"ProductSuite", REG_MULTI_SZ, kProductSuiteBufferBytes, suites)) return;
  std::size_t start = 0;
  while (start < suites.size()) {
    std::size_t end = start;
    while (end < suites.size() && suites[end] != L'\0') ++end;
    if (end == start) break;  // the empty string that ends the list
    const std::wstring suite(suites.begin() + static_cast<std::ptrdiff_t>(start),
                             suites.begin() + static_cast<std::ptrdiff_t>(end));
    for (const SuiteBit& entry : kSuiteBits) {
      if (suite == entry.name) os.suiteMask = static_cast<std::uint16_t>(os.suiteMask | entry.bit);
    }
    start = end + 1;
  }
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
