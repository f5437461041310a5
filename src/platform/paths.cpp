#include "platform/paths.h"

#include <windows.h>
// After windows.h, which it needs.
#include <shlwapi.h>

#include <cwchar>
#include <utility>

#include "platform/handles.h"
#include "platform/process_once.h"

namespace tessaro {
namespace {

constinit ProcessOnce<std::wstring> TempFolder;
constinit ProcessOnce<std::wstring> ExecutablePath;

constexpr wchar_t kLongPrefix[] = L"\\\\?\\";          // \\?\ before a drive path
constexpr wchar_t kLongUncPrefix[] = L"\\\\?\\UNC\\";  // \\?\UNC\ before server\share
constexpr size_t kLongPrefixLength = 4;
constexpr size_t kLongUncPrefixLength = 8;
// CreateDirectoryW leaves room for an 8.3 file name below the classic limit,
// so the long form is needed from this length on.
constexpr size_t kLongFormThreshold = MAX_PATH - 12;
constexpr size_t kTempPathBufferLength = MAX_PATH;
constexpr int kMaxTempFileAttempts = 100;

bool StartsWith(const std::wstring& text, const wchar_t* prefix, size_t prefixLength) {
  return text.compare(0, prefixLength, prefix) == 0;
}

bool StartsWithNoCase(const std::wstring& text, const wchar_t* prefix, size_t prefixLength) {
  return text.size() >= prefixLength && _wcsnicmp(text.c_str(), prefix, prefixLength) == 0;
}

bool HasLongPrefix(const std::wstring& path) { return StartsWith(path, kLongPrefix, kLongPrefixLength); }

bool BeginsWithTwoSeparators(const std::wstring& path) {
  return path.size() >= 2 && path[0] == kBackslash && path[1] == kBackslash;
}

bool HasDriveColon(const std::wstring& path) { return path.size() >= 2 && path[1] == L':'; }

// A network path in either form: \\server\share or \\?\UNC\server\share.
bool IsNetworkPath(const std::wstring& path) {
  if (StartsWithNoCase(path, kLongUncPrefix, kLongUncPrefixLength)) return true;
  return BeginsWithTwoSeparators(path) && !HasLongPrefix(path);
}

// Length of the root: "C:\", "\\server\share\", "\\?\C:\", "\\?\UNC\server\share\"
// (the trailing separator included when present), "\" for a path relative to
// the current drive, 0 for a relative path.
size_t RootLength(const std::wstring& path) {
  size_t serverStart = 0;
  if (StartsWithNoCase(path, kLongUncPrefix, kLongUncPrefixLength)) {
    serverStart = kLongUncPrefixLength;
  } else if (HasLongPrefix(path)) {
    const std::wstring rest = path.substr(kLongPrefixLength);
    if (HasDriveColon(rest)) return kLongPrefixLength + (rest.size() > 2 && rest[2] == kBackslash ? 3 : 2);
    // Other long forms (volume names): everything up to the next separator.
    const size_t separator = path.find(kBackslash, kLongPrefixLength);
    return separator == std::wstring::npos ? path.size() : separator + 1;
  } else if (BeginsWithTwoSeparators(path)) {
    serverStart = 2;
  } else if (HasDriveColon(path)) {
    return path.size() > 2 && path[2] == kBackslash ? 3 : 2;
  } else {
    return !path.empty() && path[0] == kBackslash ? 1 : 0;
  }
  size_t separator = path.find(kBackslash, serverStart);  // after the server
  if (separator == std::wstring::npos) return path.size();
  separator = path.find(kBackslash, separator + 1);  // after the share
  return separator == std::wstring::npos ? path.size() : separator + 1;
}

// The parts between separators after the root, empty ones included.
std::vector<std::wstring> SplitComponents(const std::wstring& path, size_t rootLength) {
  std::vector<std::wstring> components;
  if (rootLength >= path.size()) return components;
  size_t start = rootLength;
  for (;;) {
    const size_t separator = path.find(kBackslash, start);
    if (separator == std::wstring::npos) {
      components.push_back(path.substr(start));
      return components;
    }
    components.push_back(path.substr(start, separator - start));
    start = separator + 1;
  }
}

void AppendComponent(std::wstring& path, const std::wstring& component) {
  path = WithTrailingBackslashUnlessEmpty(std::move(path)) + component;
}

// The form DeleteFileW and RemoveDirectoryW accept beyond the classic limit.
std::wstring ForFileApi(const std::wstring& path) {
  if (path.size() < MAX_PATH || HasLongPrefix(path)) return path;
  // A network path must become \\?\UNC\server\share: \\?\ in front of its
  // two separators would name nothing.
  if (BeginsWithTwoSeparators(path)) return kLongUncPrefix + path.substr(2);
  return kLongPrefix + path;
}

bool HasWildcard(const std::wstring& path) {
  const size_t start = HasLongPrefix(path) ? kLongPrefixLength : 0;
  return path.find_first_of(L"*?", start) != std::wstring::npos;
}

}  // namespace

std::wstring ToLongForm(const std::wstring& path) {
  if (path.size() < kLongFormThreshold) return path;
  if (!IsAbsolutePath(path)) return path;
  // Already long: \\?\UNC\ is one case of \\?\ and needs no check of its own.
  if (HasLongPrefix(path)) return path;
  if (PathIsUNCW(path.c_str())) return kLongUncPrefix + path.substr(2);
  return kLongPrefix + path;
}

std::wstring FromLongForm(const std::wstring& path) {
  if (StartsWithNoCase(path, kLongUncPrefix, kLongUncPrefixLength)) {
    return L"\\\\" + path.substr(kLongUncPrefixLength);
  }
  return HasLongPrefix(path) ? path.substr(kLongPrefixLength) : path;
}

bool DeleteFileLong(const std::wstring& path) noexcept {
  return DeleteFileW(ForFileApi(path).c_str()) != FALSE;
}

bool RemoveDirectoryLong(const std::wstring& path) noexcept {
  return RemoveDirectoryW(ForFileApi(path).c_str()) != FALSE;
}

std::wstring NormalizePath(const std::wstring& path) {
  const size_t rootLength = RootLength(path);
  std::wstring result = path.substr(0, rootLength);
  bool first = true;
  for (std::wstring component : SplitComponents(path, rootLength)) {
    const size_t kept = component.find_last_not_of(L" .");
    component.erase(kept == std::wstring::npos ? 0 : kept + 1);
    // A bracketed folder property carries its own separator: "[TempFolder]sub".
    const bool carriesSeparator = !result.empty() && (result.back() == kBackslash || result.back() == L']');
    if (!first && !carriesSeparator) result += kBackslash;
    result += component;
    first = false;
  }
  return result;
}

std::wstring MakeFullPath(const std::wstring& path) {
  if (path.empty()) return path;
  DWORD size = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
  // The result can change between the calls (another thread may change the
  // current directory), so the second call is checked against the buffer.
  for (int attempt = 0; attempt < 3 && size != 0; ++attempt) {
    std::wstring full(size, L'\0');
    const DWORD length = GetFullPathNameW(path.c_str(), size, full.data(), nullptr);
    if (length == 0) break;
    if (length < size) {
      full.resize(length);
      return NormalizePath(full);
    }
    size = length;
  }
  return NormalizePath(path);
}

bool PathExists(const std::wstring& path) noexcept {
  if (!IsAbsolutePath(path)) return false;
  // A pattern would "find" whatever matches it.
  if (HasWildcard(path)) return false;
  std::wstring query = path;
  // FindFirstFileW finds no folder named with a trailing separator.
  const size_t rootLength = RootLength(query);
  while (query.size() > rootLength && query.back() == kBackslash) query.pop_back();
  WIN32_FIND_DATAW data;
  const UniqueFindHandle find(FindFirstFileW(ToLongForm(query).c_str(), &data));
  return find.IsValid();
}

unsigned long CreateDirectories(const std::wstring& path, bool lastIsFolder,
                                std::vector<std::wstring>* created) {
  if (PathExists(path)) return ERROR_SUCCESS;
  const size_t rootLength = RootLength(path);
  std::vector<std::wstring> components;
  for (std::wstring& component : SplitComponents(path, rootLength)) {
    if (!component.empty()) components.push_back(std::move(component));
  }
  if (!lastIsFolder && !components.empty()) components.pop_back();

  // Shares answer "access denied" for levels the user may not create but may
  // pass through, so a network path tries every level.
  const bool network = IsNetworkPath(path);
  std::wstring current = path.substr(0, rootLength);
  std::vector<std::wstring> made;
  for (const std::wstring& component : components) {
    AppendComponent(current, component);
    if (CreateDirectoryW(ToLongForm(current).c_str(), nullptr)) {
      made.push_back(current);
      continue;
    }
    const DWORD error = GetLastError();
    if (error == ERROR_ALREADY_EXISTS || network) continue;
    // Half a path helps nobody: what this call made goes again, deepest
    // first, and a folder that was there before is never touched.
    for (auto folder = made.rbegin(); folder != made.rend(); ++folder) (void)RemoveDirectoryLong(*folder);
    return error;
  }
  if (created != nullptr) created->insert(created->end(), made.begin(), made.end());
  return ERROR_SUCCESS;
}

void DeleteFolderContents(const std::wstring& folder) {
  // An empty folder text would mean the root of the current drive.
  if (folder.empty()) return;
  std::wstring pattern = folder;
  AppendComponent(pattern, L"*");
  WIN32_FIND_DATAW data;
  const UniqueFindHandle find(FindFirstFileW(ToLongForm(pattern).c_str(), &data));
  if (!find) return;
  do {
    const std::wstring name = data.cFileName;
    if (name == L"." || name == L"..") continue;
    std::wstring entry = folder;
    AppendComponent(entry, name);
    DWORD attributes = data.dwFileAttributes;
    if ((attributes & FILE_ATTRIBUTE_READONLY) != 0) {
      attributes &= ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY);
      (void)SetFileAttributesW(ToLongForm(entry).c_str(),
                               attributes != 0 ? attributes : FILE_ATTRIBUTE_NORMAL);
    }
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
      // A junction is removed as a link: its target belongs to someone else.
      if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) DeleteFolderContents(entry);
      (void)RemoveDirectoryLong(entry);
    } else {
      (void)DeleteFileLong(entry);
    }
  } while (FindNextFileW(find.Get(), &data));
}

void RemoveEmptyParents(const std::wstring& path, const std::wstring& stopAt) {
  std::wstring stop = stopAt;
  if (!stop.empty() && stop.back() == kBackslash) stop.pop_back();
  std::wstring current = path;
  while (current.size() > stop.size()) {
    (void)RemoveDirectoryLong(current);
    current = ParentFolder(current);
  }
}

const std::wstring& GetTempFolder() {
  return TempFolder.Get([] {
    wchar_t buffer[kTempPathBufferLength];
    const DWORD length = GetTempPathW(kTempPathBufferLength, buffer);
    return length == 0 || length >= kTempPathBufferLength ? std::wstring() : std::wstring(buffer, length);
  });
}

const std::wstring& RunningExecutablePath() {
  return ExecutablePath.Get([] {
    // Grown until the path fits: a cut path would name another file.
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
      const DWORD written = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
      if (written == 0) return std::wstring();
      if (written < buffer.size()) {
        buffer.resize(written);
        return buffer;
      }
      buffer.resize(buffer.size() * 2);
    }
  });
}

void StandInForExecutable(const std::wstring& path) {
  (void)ExecutablePath.Get([&path] { return path; });
}

std::wstring CreateUniqueTempFile(const std::wstring& folder, const std::wstring& prefix,
                                  const std::wstring& extension) {
  std::wstring newExtension = extension;
  if (!newExtension.empty() && newExtension.front() != L'.') newExtension.insert(0, 1, L'.');
  // Bounded: a folder where files can be made but not renamed would loop forever.
  for (int attempt = 0; attempt < kMaxTempFileAttempts; ++attempt) {
    wchar_t buffer[MAX_PATH];
    if (GetTempFileNameW(folder.c_str(), prefix.c_str(), 0, buffer) == 0) return std::wstring();
    const std::wstring made = buffer;
    if (newExtension.empty()) return made;
    const size_t nameStart = made.rfind(kBackslash) + 1;  // npos + 1 == 0
    const size_t dot = made.rfind(L'.');
    const std::wstring renamed =
        (dot != std::wstring::npos && dot >= nameStart ? made.substr(0, dot) : made) + newExtension;
    if (MoveFileW(made.c_str(), renamed.c_str())) return renamed;
    (void)DeleteFileW(made.c_str());
  }
  return std::wstring();
}

bool HasFreeSpace(const std::wstring& path, std::uint64_t bytes) {
  const size_t rootLength = RootLength(path);
  std::wstring root = path.substr(0, rootLength);
  // GetDiskFreeSpaceExW wants a share written with its trailing separator.
  root = WithTrailingBackslashUnlessEmpty(std::move(root));
  std::wstring current = path;
  while (!current.empty()) {
    ULARGE_INTEGER available;
    if (GetDiskFreeSpaceExW(ToLongForm(current).c_str(), &available, nullptr, nullptr)) {
      return available.QuadPart > bytes;
    }
    if (current.size() <= root.size()) return false;
    current = ParentFolder(current);
    if (current.size() < root.size()) current = root;
  }
  return false;
}

}  // namespace tessaro
