#pragma once
// Shared pieces of the prerequisite tests: one-line searches, where the test
// programs lie, and scratch keys and folders removed afterwards.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "config/prerequisite.h"
#include "platform/paths.h"
#include "prereq/searcher.h"

namespace tessaro::search_test {

using Texts = std::vector<std::wstring>;

inline PrereqSearch Search(std::int32_t type, const std::wstring& searchString, const std::wstring& verMin = {},
                           const std::wstring& refContent = {}) {
  return {type, searchString, verMin, {}, refContent, {}};
}

inline SearchResult RunOnce(std::int32_t type, const std::wstring& searchString,
                            const std::wstring& verMin = {}, bool use64BitView = false) {
  Searcher searcher(nullptr);
  SearchResult result;
  searcher.RunSearch(Search(type, searchString, verMin), use64BitView, result);
  return result;
}

// The win64 bin folder with the helper programs and the built test packages,
// as Wine sees the Linux path in TESSARO_BIN (ends with "\").
inline std::wstring BinFolder() {
  const char* value = std::getenv("TESSARO_BIN");
  if (!value || !*value) return {};
  std::wstring path = L"Z:";
  for (const char* c = value; *c; ++c) path += (*c == '/') ? L'\\' : static_cast<wchar_t>(*c);
  return path.back() == L'\\' ? path : path + L'\\';
}

// A name that no other test, run or process uses at the same time.
inline std::wstring UniqueName(const std::wstring& stem) {
  static int counter = 0;
  return stem + L"_" + std::to_wstring(GetCurrentProcessId()) + L"_" + std::to_wstring(GetTickCount()) +
         L"_" + std::to_wstring(++counter);
}

// |root|\Software\Tessaro Tests\|name| in the given view, removed afterwards
// with everything below it.
class ScratchKey {
 public:
  explicit ScratchKey(const std::wstring& name = UniqueName(L"prereq"), HKEY root = HKEY_CURRENT_USER,
                      REGSAM view = 0)
      : root_(root), view_(view), relative_(L"Software\\Tessaro Tests\\" + name) {
    created_ = RegCreateKeyExW(root_, relative_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | view_, nullptr,
                               &key_, nullptr) == ERROR_SUCCESS;
  }
  ~ScratchKey() {
    if (!created_) return;
    RegDeleteTreeW(key_, nullptr);
    RegCloseKey(key_);
    RegDeleteKeyExW(root_, relative_.c_str(), view_, 0);
  }
  ScratchKey(const ScratchKey&) = delete;
  ScratchKey& operator=(const ScratchKey&) = delete;

  [[nodiscard]] bool Created() const { return created_; }
  [[nodiscard]] HKEY Key() const { return key_; }
  [[nodiscard]] const std::wstring& Relative() const { return relative_; }
  // The key, or something below it, as a search names it.
  [[nodiscard]] std::wstring Path(const std::wstring& below = {}) const {
    return (root_ == HKEY_CURRENT_USER ? L"HKCU\\" : L"HKLM\\") + relative_ +
           (below.empty() ? L"" : L"\\" + below);
  }

  // |sub| names a subkey path to write into (created when missing), empty for this key.
  void SetRaw(const std::wstring& name, DWORD type, const void* data, DWORD bytes,
              const std::wstring& sub = {}) const {
    ASSERT_EQ(RegSetKeyValueW(key_, sub.empty() ? nullptr : sub.c_str(), name.c_str(), type, data, bytes),
              ERROR_SUCCESS);
  }
  void SetText(const std::wstring& name, const std::wstring& text, DWORD type = REG_SZ,
               const std::wstring& sub = {}) const {
    SetRaw(name, type, text.c_str(), static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)), sub);
  }
  void SetDword(const std::wstring& name, DWORD value, const std::wstring& sub = {}) const {
    SetRaw(name, REG_DWORD, &value, sizeof(value), sub);
  }
  void AddSubkey(const std::wstring& name) const {
    HKEY sub = nullptr;
    ASSERT_EQ(
        RegCreateKeyExW(key_, name.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | view_, nullptr, &sub, nullptr),
        ERROR_SUCCESS);
    RegCloseKey(sub);
  }
  void RemoveSubkey(const std::wstring& name) const { RegDeleteTreeW(key_, name.c_str()); }

 private:
  HKEY root_;
  REGSAM view_;
  std::wstring relative_;
  HKEY key_ = nullptr;
  bool created_ = false;
};

// A folder of its own in the temporary folder (ends with "\"), removed
// afterwards with everything in it.
class ScratchFolder {
 public:
  explicit ScratchFolder(const std::wstring& stem) : path_(GetTempFolder() + UniqueName(stem) + L"\\") {
    created_ = CreateDirectoryW(path_.c_str(), nullptr) != FALSE;
  }
  ~ScratchFolder() {
    if (!created_) return;
    DeleteFolderContents(path_);
    (void)RemoveDirectoryLong(path_);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  [[nodiscard]] bool Created() const { return created_; }
  [[nodiscard]] const std::wstring& Path() const { return path_; }

  // Copies |source| to |relative|, creating the folders on the way.
  void CopyIn(const std::wstring& source, const std::wstring& relative) const {
    ASSERT_EQ(CreateDirectories(path_ + relative, false, nullptr), 0u) << relative;
    ASSERT_TRUE(CopyFileW(source.c_str(), (path_ + relative).c_str(), FALSE)) << relative;
  }

 private:
  std::wstring path_;
  bool created_ = false;
};

}  // namespace tessaro::search_test
