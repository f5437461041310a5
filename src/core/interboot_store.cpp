#include "core/interboot_store.h"

#include <vector>

#include "platform/decimal_text.h"
#include "platform/handles.h"

namespace tessaro {
namespace {

// The decimal digits are ASCII, so the wide helper's text narrows as it is.
std::string NarrowDecimal(std::int32_t value) {
  const std::wstring wide = DecimalText(value);
  return std::string(wide.begin(), wide.end());
}

}  // namespace

bool InterbootStore::SetNumber(const std::string& name, std::int32_t value) {
  return SetText(name, NarrowDecimal(value));
}

bool InterbootStore::SetText(const std::string& name, const std::string& text) {
  UniqueRegistryKey key;
  if (RegCreateKeyA(HKEY_CURRENT_USER, keyName_.c_str(), key.Put()) != ERROR_SUCCESS) return false;
  return RegSetValueExA(key.Get(), name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.data()),
                        static_cast<DWORD>(text.size())) == ERROR_SUCCESS;
}

bool InterbootStore::GetNumber(const std::string& name, std::int32_t& value) const {
  std::string text;
  if (!GetText(name, text)) return false;
  // Digits and sign are ASCII, so the text widens unit by unit.
  value = ParseDecimalInt(std::wstring(text.begin(), text.end()));
  return true;
}

bool InterbootStore::GetText(const std::string& name, std::string& text) const {
  UniqueRegistryKey key;
  if (RegOpenKeyA(HKEY_CURRENT_USER, keyName_.c_str(), key.Put()) != ERROR_SUCCESS) return false;
  DWORD type = 0;
  DWORD size = 0;
  if (RegQueryValueExA(key.Get(), name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return false;
  std::string data(size, '\0');
  if (RegQueryValueExA(key.Get(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size) !=
      ERROR_SUCCESS) {
    return false;
  }
  // Written without a terminator, but a value from elsewhere may carry one.
  data.resize(size);
  while (!data.empty() && data.back() == '\0') data.pop_back();
  text = data;
  return true;
}

bool InterbootStore::Delete(const std::string& name) {
  UniqueRegistryKey key;
  if (RegOpenKeyA(HKEY_CURRENT_USER, keyName_.c_str(), key.Put()) != ERROR_SUCCESS) return false;
  return RegDeleteValueA(key.Get(), name.c_str()) == ERROR_SUCCESS;
}

InterbootStore::Iterator InterbootStore::Begin() const { return Iterator(*this, 0); }

InterbootStore::Iterator InterbootStore::End() const {
  UniqueRegistryKey key;
  DWORD count = 0;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, keyName_.c_str(), 0, KEY_READ, key.Put()) != ERROR_SUCCESS ||
      RegQueryInfoKeyW(key.Get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count, nullptr, nullptr,
                       nullptr, nullptr) != ERROR_SUCCESS) {
    return Begin();
  }
  return Iterator(*this, count);
}

void InterbootStore::DeleteKey() { (void)RegDeleteKeyA(HKEY_CURRENT_USER, keyName_.c_str()); }

std::pair<std::string, std::string> InterbootStore::Iterator::operator*() const {
  UniqueRegistryKey key;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, store_->keyName_.c_str(), 0, KEY_READ, key.Put()) != ERROR_SUCCESS) {
    return {};
  }
  // Value names are at most 16383 characters.
  std::vector<char> name(16384);
  DWORD nameLength = static_cast<DWORD>(name.size());
  if (RegEnumValueA(key.Get(), index_, name.data(), &nameLength, nullptr, nullptr, nullptr, nullptr) !=
      ERROR_SUCCESS) {
    return {};
  }
  std::pair<std::string, std::string> entry(std::string(name.data(), nameLength), std::string());
  (void)store_->GetText(entry.first, entry.second);
  return entry;
}

}  // namespace tessaro
