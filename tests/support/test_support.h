#pragma once
#include <gtest/gtest.h>
// clang-format off
#include <windows.h>
#include <aclapi.h>
#include <sddl.h>  // needs windows.h first
#include <shlwapi.h>
// clang-format on

#include <cstdlib>
#include <string>

#include "platform/handles.h"
#include "platform/paths.h"

namespace tessaro::test_support {

inline std::wstring UniqueName(const std::wstring& stem) {
  static unsigned counter = 0;
  return stem + L"-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++counter) + L"-" +
         std::to_wstring(GetTickCount());
}

// ASCII text only, for messages and the helpers' reports.
inline std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

// TESSARO_BIN (the helpers, tessaro.exe, the packages) as Wine sees it; empty when unset.
inline std::wstring BinFolder() {
  const char* value = std::getenv("TESSARO_BIN");
  if (value == nullptr || *value == '\0') return {};
  std::wstring folder = L"Z:";
  for (const char* c = value; *c != '\0'; ++c) folder += *c == '/' ? L'\\' : static_cast<wchar_t>(*c);
  while (folder.back() == L'\\') folder.pop_back();
  return folder;
}
inline std::wstring BinPath(const std::wstring& fileName) { return BinFolder() + L"\\" + fileName; }

inline UniqueModule LoadAsData(const std::wstring& fileName) {
  return UniqueModule(LoadLibraryExW(BinPath(fileName).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
}

class ScratchFolder {
 public:
  ScratchFolder() : path_(GetTempFolder() + UniqueName(L"tessaro-scratch")) {
    EXPECT_TRUE(CreateDirectoryW(path_.c_str(), nullptr)) << GetLastError();
  }
  // A program started in the folder keeps it busy for a moment after its exit.
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

class ScratchKey {
 public:
  ScratchKey() : subKey_(L"Software\\Tessaro Tests\\" + UniqueName(L"key")) {
    created_ = RegCreateKeyExW(HKEY_CURRENT_USER, subKey_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key_,
                               nullptr) == ERROR_SUCCESS;
  }
  ~ScratchKey() {
    if (!created_) return;
    RegDeleteTreeW(key_, nullptr);  // values and subkeys; the key itself goes below
    RegCloseKey(key_);
    RegDeleteKeyW(HKEY_CURRENT_USER, subKey_.c_str());
  }
  ScratchKey(const ScratchKey&) = delete;
  ScratchKey& operator=(const ScratchKey&) = delete;

  HKEY Key() const { return key_; }
  std::wstring Path(const std::wstring& below = {}) const {
    return L"HKCU\\" + subKey_ + (below.empty() ? L"" : L"\\" + below);
  }

  // |sub| names a subkey to write into (created when missing), empty for this key.
  void SetRaw(const std::wstring& name, DWORD type, const void* data, DWORD bytes,
              const std::wstring& sub = {}) const {
    ASSERT_EQ(RegSetKeyValueW(key_, sub.empty() ? nullptr : sub.c_str(), name.c_str(), type, data, bytes),
              ERROR_SUCCESS);
  }
  void SetText(const std::wstring& name, const std::wstring& text, DWORD type = REG_SZ,
               const std::wstring& sub = {}) const {
    SetRaw(name, type, text.c_str(), static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)), sub);
  }
  void SetNumber(const std::wstring& name, DWORD number, const std::wstring& sub = {}) const {
    SetRaw(name, REG_DWORD, &number, sizeof(number), sub);
  }
  void AddSubkey(const std::wstring& name) const {
    HKEY sub = nullptr;
    ASSERT_EQ(RegCreateKeyExW(key_, name.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &sub, nullptr), 0);
    RegCloseKey(sub);
  }
  void RemoveSubkey(const std::wstring& name) const { RegDeleteTreeW(key_, name.c_str()); }

 private:
  std::wstring subKey_;
  HKEY key_ = nullptr;
  bool created_ = false;
};

class ScopedCurrentDirectory {
 public:
  explicit ScopedCurrentDirectory(const std::wstring& folder) {
    GetCurrentDirectoryW(MAX_PATH, previous_);
    EXPECT_TRUE(SetCurrentDirectoryW(folder.c_str()));
  }
  ~ScopedCurrentDirectory() { SetCurrentDirectoryW(previous_); }

 private:
  wchar_t previous_[MAX_PATH] = {};
};

// nullptr removes the variable for the scope.
class ScopedVariable {
 public:
  ScopedVariable(const wchar_t* name, const wchar_t* value) : name_(name), old_(32767, L'\0') {
    const DWORD length = GetEnvironmentVariableW(name, old_.data(), 32767);
    hadValue_ = length > 0 || GetLastError() != ERROR_ENVVAR_NOT_FOUND;
    old_.resize(length);
    EXPECT_TRUE(SetEnvironmentVariableW(name, value));
  }
  ~ScopedVariable() { SetEnvironmentVariableW(name_, hadValue_ ? old_.c_str() : nullptr); }

 private:
  const wchar_t* name_;
  std::wstring old_;
  bool hadValue_ = false;
};

inline void MakeFile(const std::wstring& path, DWORD attributes = FILE_ATTRIBUTE_NORMAL,
                     const std::string& contents = {}) {
  const UniqueFile file(
      CreateFileW(ToLongForm(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, attributes, nullptr));
  ASSERT_TRUE(file) << GetLastError();
  DWORD written = 0;
  ASSERT_TRUE(WriteFile(file.Get(), contents.data(), static_cast<DWORD>(contents.size()), &written, nullptr));
}

// Read while others may still hold the file open.
inline std::string FileBytes(const std::wstring& path) {
  const UniqueFile file(CreateFileW(ToLongForm(path).c_str(), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                    0, nullptr));
  LARGE_INTEGER size{};
  if (!file || !GetFileSizeEx(file.Get(), &size)) return "<none>";
  std::string bytes(static_cast<std::size_t>(size.QuadPart), '\0');
  DWORD read = 0;
  const bool ok = bytes.empty() || ReadFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
  return ok ? bytes.substr(0, read) : "<none>";
}

// True for a missing folder too.
inline bool IsEmptyFolder(const std::wstring& folder) {
  return GetFileAttributesW(folder.c_str()) == INVALID_FILE_ATTRIBUTES || PathIsDirectoryEmptyW(folder.c_str());
}

// An access list as text, such as "D:(A;OICI;GA;;;WD)"; empty when it cannot be read.
inline std::wstring DaclText(PSECURITY_DESCRIPTOR descriptor) {
  wchar_t* text = nullptr;
  if (!ConvertSecurityDescriptorToStringSecurityDescriptorW(descriptor, SDDL_REVISION_1, DACL_SECURITY_INFORMATION,
                                                            &text, nullptr))
    return {};
  const std::wstring result(text);
  LocalFree(text);
  return result;
}

inline std::wstring StoredDaclText(const std::wstring& path) {
  PSECURITY_DESCRIPTOR stored = nullptr;
  if (GetNamedSecurityInfoW(path.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, nullptr,
                            nullptr, &stored) != ERROR_SUCCESS)
    return {};
  const std::wstring text = DaclText(stored);
  LocalFree(stored);
  return text;
}

}  // namespace tessaro::test_support
