#pragma once
// Per-test places in the real file system and registry, removed afterwards,
// and the probes the platform and log tests share.
#include <gtest/gtest.h>
// clang-format off
#include <windows.h>
#include <aclapi.h>
#include <sddl.h>  // needs windows.h first
// clang-format on

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
    path_ = GetTempFolder() + UniqueName(L"tessaro-scratch");
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
  const std::wstring& Path() const { return path_; }
  std::wstring operator/(const std::wstring& relative) const { return path_ + L"\\" + relative; }

 private:
  std::wstring path_;
};

// HKCU\Software\Tessaro Tests\<unique>, deleted with everything below it.
class ScratchKey {
 public:
  explicit ScratchKey(REGSAM view = 0, HKEY root = HKEY_CURRENT_USER) : root_(root), view_(view) {
    subKey_ = L"Software\\Tessaro Tests\\" + UniqueName(L"platform");
    EXPECT_EQ(RegCreateKeyExW(root_, subKey_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | view_, nullptr, &key_,
                              nullptr),
              ERROR_SUCCESS);
  }
  ~ScratchKey() {
    RegDeleteTreeW(key_, nullptr);  // values and subkeys; the key itself goes below
    RegCloseKey(key_);
    RegDeleteKeyExW(root_, subKey_.c_str(), view_, 0);
  }

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
  HKEY root_;
  REGSAM view_;
  std::wstring subKey_;
  HKEY key_ = nullptr;
};

// Runs the scope in |folder|, then goes back.
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

inline void MakeFile(const std::wstring& path, DWORD attributes = FILE_ATTRIBUTE_NORMAL,
                     const std::string& contents = {}) {
  const HANDLE file =
      CreateFileW(ToLongForm(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, attributes, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE) << GetLastError();
  DWORD written = 0;
  WriteFile(file, contents.data(), static_cast<DWORD>(contents.size()), &written, nullptr);
  CloseHandle(file);
}

inline bool IsFolder(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(ToLongForm(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

inline bool IsEmptyFolder(const std::wstring& folder) {
  WIN32_FIND_DATAW data;
  const HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return true;
  bool empty = true;
  do {
    const std::wstring name = data.cFileName;
    empty = name == L"." || name == L"..";
  } while (empty && FindNextFileW(find, &data));
  FindClose(find);
  return empty;
}

// The joined mask of the allowed entries for |sidText| in |dacl|; -1 when none.
inline long long AllowedMaskFor(PACL dacl, const wchar_t* sidText) {
  PSID sid = nullptr;
  if (dacl == nullptr || !ConvertStringSidToSidW(sidText, &sid)) return -1;
  long long mask = -1;
  for (DWORD index = 0; index < dacl->AceCount; ++index) {
    void* ace = nullptr;
    if (!GetAce(dacl, index, &ace)) continue;
    const auto* allowed = static_cast<const ACCESS_ALLOWED_ACE*>(ace);
    if (allowed->Header.AceType != ACCESS_ALLOWED_ACE_TYPE) continue;
    if (EqualSid(const_cast<DWORD*>(&allowed->SidStart), sid)) mask = (mask < 0 ? 0 : mask) | allowed->Mask;
  }
  LocalFree(sid);
  return mask;
}

// The same for the access list stored on a file or folder; -1 when unreadable.
inline long long StoredAllowedMaskFor(const std::wstring& path, const wchar_t* sidText) {
  PACL dacl = nullptr;
  PSECURITY_DESCRIPTOR stored = nullptr;
  if (GetNamedSecurityInfoW(path.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, &dacl,
                            nullptr, &stored) != ERROR_SUCCESS) {
    return -1;
  }
  const long long mask = AllowedMaskFor(dacl, sidText);
  LocalFree(stored);
  return mask;
}

// The win64 bin folder with the helper programs, as a Windows path.
inline std::wstring HelperFolder() {
  const char* bin = std::getenv("TESSARO_BIN");
  if (bin == nullptr) return std::wstring();
  std::wstring folder = L"Z:";
  for (const char* c = bin; *c != '\0'; ++c) folder += *c == '/' ? L'\\' : static_cast<wchar_t>(*c);
  return folder;
}

}  // namespace tessaro::testing
