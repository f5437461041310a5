#pragma once
// Shared pieces of the search tests: searches built in one line, the outcome
// the evaluator would draw from a result, and where the test programs lie.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "config/prerequisite.h"
#include "prereq/content_compare.h"
#include "prereq/searcher.h"
#include "prereq/version.h"

namespace tessaro::search_test {

inline PrereqSearch MakeSearch(std::int32_t type, const std::wstring& searchString, const std::wstring& verMin = {},
                               const std::wstring& verMax = {}) {
  PrereqSearch search;
  search.type = type;
  search.searchString = searchString;
  search.verMin = verMin;
  search.verMax = verMax;
  return search;
}

inline SearchResult RunOnce(const PrereqSearch& search, bool use64BitView = false) {
  Searcher searcher(nullptr);
  SearchResult result;
  searcher.RunSearch(search, use64BitView, result);
  return result;
}

// The version-range outcome of the searches that collect texts.
inline bool VersionOutcome(const PrereqSearch& search, const SearchResult& result) {
  return InFoundRange(result.foundTexts, search.verMin, search.verMax);
}

// The outcome of a content search with |refContent| (letter plus reference).
inline bool ContentOutcome(const SearchResult& result, const std::wstring& refContent) {
  return result.found && !refContent.empty() && CompareContent(refContent[0], refContent.substr(1), result.value);
}

// A folder of the build given as a Linux path in |variable|, as Wine sees it.
inline std::wstring WindowsFolderFromEnvironment(const char* variable) {
  const char* value = std::getenv(variable);
  if (!value || !*value) return {};
  std::wstring path = L"Z:";
  for (const char* c = value; *c; ++c) path += (*c == '/') ? L'\\' : static_cast<wchar_t>(*c);
  if (path.back() != L'\\') path += L'\\';
  return path;
}

// The win64 bin folder with the helper programs and the built test packages.
inline std::wstring BinFolder() { return WindowsFolderFromEnvironment("TESSARO_BIN"); }

// A name that no other test, run or process uses at the same time.
inline std::wstring UniqueName(const std::wstring& stem) {
  static int counter = 0;
  return stem + L"_" + std::to_wstring(GetCurrentProcessId()) + L"_" + std::to_wstring(GetTickCount()) + L"_" +
         std::to_wstring(++counter);
}

// A folder of its own in the temporary folder, removed afterwards with
// everything in it.
class ScratchFolder {
 public:
  explicit ScratchFolder(const std::wstring& stem) {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    path_ = std::wstring(temp) + UniqueName(stem) + L"\\";
    created_ = CreateDirectoryW(path_.c_str(), nullptr) != FALSE;
  }
  ~ScratchFolder() {
    if (created_) RemoveTree(path_);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  [[nodiscard]] bool Created() const { return created_; }
  // Ends with "\".
  [[nodiscard]] const std::wstring& Path() const { return path_; }

  // Creates the folders of |relative| (a file path below this folder) and
  // copies |source| there.
  void CopyIn(const std::wstring& source, const std::wstring& relative) const {
    for (size_t slash = relative.find(L'\\'); slash != std::wstring::npos; slash = relative.find(L'\\', slash + 1)) {
      CreateDirectoryW((path_ + relative.substr(0, slash)).c_str(), nullptr);
    }
    ASSERT_TRUE(CopyFileW(source.c_str(), (path_ + relative).c_str(), FALSE)) << relative;
  }

 private:
  static void RemoveTree(const std::wstring& folder) {
    WIN32_FIND_DATAW data = {};
    HANDLE find = FindFirstFileW((folder + L"*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
      do {
        const std::wstring name = data.cFileName;
        if (name == L"." || name == L"..") continue;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
          RemoveTree(folder + name + L"\\");
        } else {
          DeleteFileW((folder + name).c_str());
        }
      } while (FindNextFileW(find, &data));
      FindClose(find);
    }
    RemoveDirectoryW(folder.c_str());
  }

  std::wstring path_;
  bool created_ = false;
};

}  // namespace tessaro::search_test
