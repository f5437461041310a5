#include "platform/registry.h"

#include <cstring>

#include "platform/wow64.h"
#include "platform/decimal_text.h"

namespace tessaro {
namespace {

constexpr wchar_t kSeparator = L'\\';
constexpr DWORD kFirstValueBufferBytes = 200;
// The registry reports the size without room for a terminator that the
// writer may have left out; two more bytes make room for one.
constexpr DWORD kTerminatorBytes = sizeof(wchar_t);
// A value that keeps growing between the calls cannot hold the read forever.
constexpr int kMaxValueReads = 16;
constexpr DWORD kMaxValueNameLength = 16383;

struct RootName {
  const wchar_t* shortName;
  const wchar_t* longName;
  HKEY root;
};

const RootName kRootNames[] = {
    {L"HKLM", L"HKEY_LOCAL_MACHINE", HKEY_LOCAL_MACHINE},
    {L"HKCU", L"HKEY_CURRENT_USER", HKEY_CURRENT_USER},
    {L"HKCR", L"HKEY_CLASSES_ROOT", HKEY_CLASSES_ROOT},
    {L"HKCC", L"HKEY_CURRENT_CONFIG", HKEY_CURRENT_CONFIG},
};

// Key openers differ in whether they ask for the 64-bit view on 32-bit
// Windows too (where the flag is ignored by newer systems but refused by
// some older ones); each says which rule it follows.
REGSAM ViewAccessOn64BitWindows(bool use64BitView) {
  return use64BitView && IsWindows64Bit() ? KEY_WOW64_64KEY : 0;
}

}  // namespace

HKEY RegistryRootFromPath(const std::wstring& path) noexcept {
  const size_t separator = path.find(kSeparator);
  if (separator == std::wstring::npos) return nullptr;
  // Compared in place: every search names a root, and a copy of it would
  // cost more than the comparison.
  const auto isRoot = [&](const wchar_t* name) {
    return wcslen(name) == separator && _wcsnicmp(path.c_str(), name, separator) == 0;
  };
  for (const RootName& name : kRootNames) {
    if (isRoot(name.shortName) || isRoot(name.longName)) return name.root;
  }
  return HKEY_USERS;
}

UniqueRegistryKey OpenRegistryKey(const std::wstring& path, bool use64BitView) {
  UniqueRegistryKey key;
  const HKEY root = RegistryRootFromPath(path);
  if (root == nullptr) return key;
  // The key path runs to the end of the text, so it is opened in place.
  const wchar_t* subKey = path.c_str() + path.find(kSeparator) + 1;
  HKEY opened = nullptr;
  if (RegOpenKeyExW(root, subKey, 0, KEY_READ | ViewAccessOn64BitWindows(use64BitView), &opened) == ERROR_SUCCESS) {
    key.Reset(opened);
  }
  return key;
}

std::wstring ReadRegistryValueByPath(const std::wstring& path, bool use64BitView) {
  std::wstring text;
  const HKEY root = RegistryRootFromPath(path);
  if (root == nullptr) return text;
  const size_t first = path.find(kSeparator);
  const size_t last = path.rfind(kSeparator);
  const std::wstring subKey = path.substr(first + 1, last > first ? last - first - 1 : 0);
  UniqueRegistryKey key;
  const REGSAM view = use64BitView ? KEY_WOW64_64KEY : 0;  // on any Windows
  if (RegOpenKeyExW(root, subKey.c_str(), 0, KEY_QUERY_VALUE | view, key.Put()) !=
      ERROR_SUCCESS) {
    return text;
  }
  (void)ReadRegistryValueText(key.Get(), path.substr(last + 1), text);
  return text;
}

bool ReadRegistryValueText(HKEY key, const std::wstring& valueName, std::wstring& text) {
  std::vector<BYTE> buffer(kFirstValueBufferBytes);
  DWORD type = REG_NONE;
  DWORD size = static_cast<DWORD>(buffer.size());
  LSTATUS status = RegQueryValueExW(key, valueName.c_str(), nullptr, &type, buffer.data(), &size);
  for (int read = 1; status == ERROR_MORE_DATA && read < kMaxValueReads; ++read) {
    buffer.resize(static_cast<size_t>(size) + kTerminatorBytes);
    size = static_cast<DWORD>(buffer.size());
    status = RegQueryValueExW(key, valueName.c_str(), nullptr, &type, buffer.data(), &size);
  }
  if (status != ERROR_SUCCESS) return false;
  if (size > buffer.size()) size = static_cast<DWORD>(buffer.size());

  switch (type) {
    case REG_SZ:
    case REG_EXPAND_SZ:
    case REG_MULTI_SZ: {
      // An odd byte count leaves half a character at the end: it is dropped.
      size_t count = size / sizeof(wchar_t);
      std::wstring value(count, L'\0');
      if (count != 0) std::memcpy(value.data(), buffer.data(), count * sizeof(wchar_t));
      while (count != 0 && value[count - 1] == L'\0') --count;
      value.resize(count);
      text = std::move(value);
      return true;
    }
    case REG_DWORD: {
      DWORD number = 0;
      if (size < sizeof(number)) return false;
      std::memcpy(&number, buffer.data(), sizeof(number));
      text = DecimalText(number);
      return true;
    }
    default:
      return false;
  }
}

bool EnumerateValueNames(HKEY key, std::vector<std::wstring>& names) {
  std::vector<wchar_t> name(kMaxValueNameLength + 1);
  for (DWORD index = 0;; ++index) {
    DWORD length = static_cast<DWORD>(name.size());
    const LSTATUS status =
        RegEnumValueW(key, index, name.data(), &length, nullptr, nullptr, nullptr, nullptr);
    if (status == ERROR_NO_MORE_ITEMS) return true;
    if (status != ERROR_SUCCESS) return false;
    names.emplace_back(name.data(), length);
  }
}

}  // namespace tessaro
