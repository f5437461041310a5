#pragma once
// Per-test places in the real file system and registry, removed afterwards.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <string>

#include "platform/paths.h"

namespace tessaro::testing {

inline std::wstring UniqueName(const wchar_t* stem) {
  static unsigned counter = 0;
  return std::wstring(stem) + L"-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
         std::to_wstring(++counter) + L"-" + std::to_wstring(GetTickCount());
}

// A new empty folder under the temporary folder (no trailing "\").
class ScratchFolder {
 public:
  ScratchFolder() {
    wchar_t temp[MAX_PATH];
    const DWORD length = GetTempPathW(MAX_PATH, temp);
    path_ = std::wstring(temp, length) + UniqueName(L"tessaro-platform");
    EXPECT_TRUE(CreateDirectoryW(path_.c_str(), nullptr)) << GetLastError();
  }
  // A program that was started in the folder keeps it busy for a moment
  // after its exit has been signalled, so the removal is retried.
  ~ScratchFolder() {
    for (int attempt = 0; attempt < 40; ++attempt) {
      DeleteFolderContents(path_);
      if (RemoveDirectoryLong(path_)) return;
      Sleep(50);
    }
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  const std::wstring& Path() const { return path_; }
  std::wstring operator/(const std::wstring& relative) const { return path_ + L"\\" + relative; }

 private:
  std::wstring path_;
};

// HKCU\Software\Tessaro Tests\<unique>, deleted with everything below it.
class ScratchKey {
 public:
  explicit ScratchKey(REGSAM view = 0, HKEY root = HKEY_CURRENT_USER) : root_(root), view_(view) {
    name_ = UniqueName(L"platform");
    subKey_ = std::wstring(kParent) + L"\\" + name_;
    EXPECT_EQ(RegCreateKeyExW(root_, subKey_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | view_, nullptr, &key_,
                              nullptr),
              ERROR_SUCCESS);
  }
  ~ScratchKey() {
    RegDeleteTreeW(key_, nullptr);  // values and subkeys; the key itself goes below
    RegCloseKey(key_);
    HKEY parent = nullptr;
    if (RegOpenKeyExW(root_, kParent, 0, KEY_ALL_ACCESS | view_, &parent) == ERROR_SUCCESS) {
      RegDeleteKeyExW(parent, name_.c_str(), view_, 0);
      RegCloseKey(parent);
    }
  }
  ScratchKey(const ScratchKey&) = delete;
  ScratchKey& operator=(const ScratchKey&) = delete;

  HKEY Key() const { return key_; }
  // "Software\Tessaro Tests\<unique>", below the root.
  const std::wstring& SubKey() const { return subKey_; }

  void SetRaw(const std::wstring& name, DWORD type, const void* data, DWORD bytes) const {
    ASSERT_EQ(RegSetValueExW(key_, name.c_str(), 0, type, static_cast<const BYTE*>(data), bytes),
              ERROR_SUCCESS);
  }
  void SetText(const std::wstring& name, const std::wstring& text, DWORD type = REG_SZ) const {
    SetRaw(name, type, text.c_str(), static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
  }
  void SetNumber(const std::wstring& name, DWORD number) const {
    SetRaw(name, REG_DWORD, &number, sizeof(number));
  }

 private:
  static constexpr const wchar_t* kParent = L"Software\\Tessaro Tests";

  HKEY root_;
  REGSAM view_;
  std::wstring name_;
  std::wstring subKey_;
  HKEY key_ = nullptr;
};

// The win64 bin folder with the helper programs, as a Windows path.
inline std::wstring HelperFolder() {
  const char* bin = std::getenv("TESSARO_BIN");
  if (bin == nullptr) return std::wstring();
  std::wstring folder = L"Z:";
  for (const char* c = bin; *c != '\0'; ++c) folder += *c == '/' ? L'\\' : static_cast<wchar_t>(*c);
  return folder;
}

}  // namespace tessaro::testing
