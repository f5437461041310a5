#include "core/cleanup.h"

#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include "core/cleanup_script.h"
#include "platform/ansi_text.h"
#include "platform/handles.h"
#include "platform/path_text.h"
#include "platform/paths.h"

namespace tessaro {

namespace {

constexpr wchar_t kFileListSeparator = L'\x0001';
constexpr wchar_t kScriptPrefix[] = L"EXE";
constexpr wchar_t kScriptExtension[] = L".bat";
// The longest path the long form can name, with its terminator.
constexpr DWORD kLongPathLimit = 32768;
// A folder holding this many entries belongs to more than the chainer.
constexpr int kCrowdedFolderEntries = 2;

bool StartsWith(const std::wstring& text, const std::wstring& prefix) {
  return text.compare(0, prefix.size(), prefix) == 0;
}

std::wstring WithoutTrailingBackslash(std::wstring path) {
  if (!path.empty() && path.back() == kBackslash) path.pop_back();
  return path;
}

// Strictly below |folder| (given without its trailing "\"), by the text
// alone. An empty folder confines nothing.
bool IsBelow(const std::wstring& path, const std::wstring& folder) {
  return !folder.empty() && path.size() > folder.size() + 1 && StartsWith(path, folder) &&
         path[folder.size()] == kBackslash;
}

// The 8.3 form keeps blanks and most non-ASCII characters out of the
// script; a path without one (or no longer there) is taken as it is.
std::wstring ShortPathOf(const std::wstring& path) {
  const std::wstring query = ToLongForm(path);
  std::wstring shortPath(kLongPathLimit, L'\0');
  const DWORD length = GetShortPathNameW(query.c_str(), shortPath.data(), kLongPathLimit);
  if (length == 0 || length >= kLongPathLimit) return path;
  shortPath.resize(length);
  // The command interpreter is surer of a classic path than of the long form.
  const std::wstring classic = FromLongForm(shortPath);
  return classic.size() < MAX_PATH ? classic : shortPath;
}

// Two or more entries besides "." and "..": the folder also holds things
// that are not the chainer's, so it stays. A file or a missing target does
// not hold anything.
bool HoldsSeveralEntries(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(ToLongForm(path).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) return false;
  WIN32_FIND_DATAW data;
  const UniqueFindHandle find(FindFirstFileW(ToLongForm(path + kBackslash + L'*').c_str(), &data));
  if (!find) return false;
  int entries = 0;
  do {
    const std::wstring name = data.cFileName;
    if (name != L"." && name != L".." && ++entries >= kCrowdedFolderEntries) return true;
  } while (FindNextFileW(find.Get(), &data));
  return false;
}

}  // namespace

void RunDeleteScript(const DeleteRequest& request) {
  if (request.scriptTarget.empty()) return;
  const std::wstring script = CreateUniqueTempFile(GetTempFolder(), kScriptPrefix, kScriptExtension);
  if (script.empty()) return;
  // A script that cannot name itself still deletes its target; it only
  // stays behind in the temporary folder.
  const std::string text =
      CleanupScriptText(request.scriptTarget, request.isFolder, ToAnsiExactly(ShortPathOf(script)));
  {
    const UniqueFile file(
        CreateFileW(script.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return;
    DWORD written = 0;
    if (!WriteFile(file.Get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr)) return;
  }  // closed before the interpreter reads it
  // Hidden, and not waited for: the script outlives this process.
  (void)ShellExecuteW(nullptr, L"open", script.c_str(), nullptr, ParentFolder(script).c_str(), SW_HIDE);
}

void Cleanup::BuildCleanupLists(const std::wstring& cleanupFiles, const std::wstring& cleanupFolder,
                                const std::wstring& executablePath, const std::wstring& configPath) {
  requests_.clear();
  filesToDelete_.clear();
  cleanupFolder_ = cleanupFolder;

  // Runs of separators count as one. Relative paths never exist here, and a
  // plain text prefix confines the files (C:\T also covers C:\Tools).
  size_t start = 0;
  while (start < cleanupFiles.size()) {
    size_t end = cleanupFiles.find(kFileListSeparator, start);
    if (end == std::wstring::npos) end = cleanupFiles.size();
    const std::wstring file = cleanupFiles.substr(start, end - start);
    start = end + 1;
    if (file.empty() || !PathExists(file)) continue;
    if (cleanupFolder_.empty() || !StartsWith(file, cleanupFolder_)) continue;
    filesToDelete_.push_back(file);
  }
  filesToDelete_.push_back(configPath);

  AddDeleteRequest(executablePath, false);
  // The folders that hold the executable, up to but not including the
  // clean-up folder. Only folders truly below it: with a clean-up folder
  // C:\T, an executable in C:\Tools gives none, and a drive root given as
  // the clean-up folder is never itself a target.
  const std::wstring stop = WithoutTrailingBackslash(cleanupFolder_);
  for (std::wstring folder = ParentFolder(executablePath); IsBelow(folder, stop); folder = ParentFolder(folder)) {
    AddDeleteRequest(folder, true);
  }
}

void Cleanup::AddDeleteRequest(const std::wstring& path, bool isFolder) {
  for (const DeleteRequest& request : requests_) {
    if (request.target == path) return;
  }
  DeleteRequest request;
  request.scriptTarget = ToAnsiExactly(ShortPathOf(path));
  request.target = path;
  request.isFolder = isFolder;
  requests_.push_back(std::move(request));
}

void Cleanup::DoCleanup() {
  for (const std::wstring& file : filesToDelete_) {
    (void)DeleteFileLong(file);
    // Climbs while the folder is longer than the clean-up folder; with none,
    // towards the root, removing only what is empty.
    RemoveEmptyParents(ParentFolder(file), cleanupFolder_);
  }
  filesToDelete_.clear();
  for (const DeleteRequest& request : requests_) {
    if (!HoldsSeveralEntries(request.target)) RunDeleteScript(request);
  }
  requests_.clear();
}

}  // namespace tessaro
