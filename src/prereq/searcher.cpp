#include "prereq/searcher.h"

#include <windows.h>

#include "package/package_files.h"
#include "platform/decimal_text.h"
#include "platform/handles.h"
#include "platform/process.h"
#include "platform/properties.h"
#include "platform/registry.h"
#include "platform/wow64.h"
#include "prereq/evaluation_observer.h"
#include "prereq/file_version.h"
#include "prereq/msi_functions.h"

namespace tessaro {
namespace {

constexpr DWORD kDriveListChars = 100;
constexpr DWORD kSubkeyNameChars = 260;
constexpr DWORD kInlineValueChars = 64;
constexpr wchar_t kHiddenCheckProgram[] = L"WND_HIDE";
// Characters that make a file search path more than a bare file name.
constexpr wchar_t kPathMarkers[] = L"\\]%!";

// A file search entry is "path" or "path?depth"; the "?" counts only after
// the first character.
struct FileEntry {
  std::wstring path;
  std::wstring depthSuffix;  // "?depth" or empty
  int depth = 0;
};

FileEntry SplitDepth(const std::wstring& entry) {
  FileEntry split;
  const size_t mark = entry.size() > 1 ? entry.find(L'?', 1) : std::wstring::npos;
  if (mark == std::wstring::npos) {
    split.path = entry;
    return split;
  }
  split.path = entry.substr(0, mark);
  split.depthSuffix = entry.substr(mark);
  split.depth = ParseDecimalInt(entry.substr(mark + 1));
  return split;
}

std::vector<std::wstring> FixedDriveRoots() {
  std::vector<std::wstring> roots;
  wchar_t drives[kDriveListChars] = {};
  const DWORD length = GetLogicalDriveStringsW(kDriveListChars, drives);
  // A list that does not fit says so by its length; then no drive is used.
  if (length == 0 || length >= kDriveListChars) return roots;
  for (const wchar_t* root = drives; *root; root += wcslen(root) + 1) {
    if (GetDriveTypeW(root) == DRIVE_FIXED) roots.emplace_back(root);
  }
  return roots;
}

bool IsDotEntry(const wchar_t* name) {
  return (name[0] == L'.' && name[1] == L'\0') || (name[0] == L'.' && name[1] == L'.' && name[2] == L'\0');
}

// Splits "ROOT\key\value" at its last "\"; false when there is none.
bool SplitValuePath(const std::wstring& path, std::wstring& keyPath, std::wstring& valueName) {
  const size_t last = path.rfind(L'\\');
  if (last == std::wstring::npos) return false;
  keyPath = path.substr(0, last);
  valueName = path.substr(last + 1);
  return true;
}

// Opens the key part of a value path; an invalid key when it cannot.
UniqueRegistryKey OpenValueKey(const std::wstring& path, bool use64BitView, std::wstring& valueName) {
  std::wstring keyPath;
  if (!SplitValuePath(path, keyPath, valueName)) return UniqueRegistryKey();
  return OpenRegistryKey(keyPath, use64BitView);
}

void CollectSubkeyNames(const std::wstring& path, bool use64BitView, SearchResult& result) {
  UniqueRegistryKey key = OpenRegistryKey(path, use64BitView);
  if (!key) return;
  for (DWORD index = 0;; ++index) {
    wchar_t name[kSubkeyNameChars] = {};
    DWORD chars = kSubkeyNameChars;
    if (RegEnumKeyExW(key.Get(), index, name, &chars, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    result.foundTexts.emplace_back(name, wcsnlen(name, kSubkeyNameChars));
  }
}

// The value's bytes read as text up to the first NUL, whatever its type.
// Version values are short: one read into a buffer on the stack does for
// them, and only a longer value is read again at its own size.
void CollectValueData(const std::wstring& path, bool use64BitView, SearchResult& result) {
  std::wstring valueName;
  UniqueRegistryKey key = OpenValueKey(path, use64BitView, valueName);
  if (!key) return;
  // One spare character beyond what the registry may fill, so that data
  // without a terminating NUL (or of odd length) still ends in one.
  wchar_t inlineText[kInlineValueChars + 1] = {};
  DWORD bytes = kInlineValueChars * sizeof(wchar_t);
  LSTATUS status =
      RegQueryValueExW(key.Get(), valueName.c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(inlineText), &bytes);
  if (status == ERROR_SUCCESS) {
    result.foundTexts.emplace_back(inlineText);
    return;
  }
  if (status != ERROR_MORE_DATA) return;
  std::vector<wchar_t> buffer(bytes / sizeof(wchar_t) + 2, L'\0');
  DWORD capacity = static_cast<DWORD>((buffer.size() - 1) * sizeof(wchar_t));
  status = RegQueryValueExW(key.Get(), valueName.c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(buffer.data()),
                            &capacity);
  if (status != ERROR_SUCCESS) return;
  result.foundTexts.emplace_back(buffer.data());
}

bool ValueExists(const std::wstring& path, bool use64BitView) {
  std::wstring valueName;
  UniqueRegistryKey key = OpenValueKey(path, use64BitView, valueName);
  return key && RegQueryValueExW(key.Get(), valueName.c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

void ReadValueContent(const std::wstring& path, bool use64BitView, SearchResult& result) {
  std::wstring valueName;
  UniqueRegistryKey key = OpenValueKey(path, use64BitView, valueName);
  if (key) result.found = ReadRegistryValueText(key.Get(), valueName, result.value);
}

// Unlike the other registry searches, this one asks for the 64-bit view
// whenever told to, without asking whether the system is 64-bit.
void CollectValueNames(const std::wstring& path, bool use64BitView, SearchResult& result) {
  const HKEY root = RegistryRootFromPath(path);
  const size_t first = path.find(L'\\');
  if (!root || first == std::wstring::npos) return;
  const REGSAM access = KEY_READ | (use64BitView ? KEY_WOW64_64KEY : 0);
  UniqueRegistryKey key;
  if (RegOpenKeyExW(root, path.c_str() + first + 1, 0, access, key.Put()) != ERROR_SUCCESS) return;
  std::vector<std::wstring> names;
  result.found = EnumerateValueNames(key.Get(), names);
  result.foundTexts = std::move(names);
}

void CollectProductVersion(const std::wstring& productCode, SearchResult& result) {
  std::wstring version;
  if (QueryProductVersion(productCode, version)) result.foundTexts.push_back(std::move(version));
}

void CollectRelatedProductVersions(const std::wstring& upgradeCode, SearchResult& result) {
  std::wstring productCode;
  for (DWORD index = 0; EnumRelatedProduct(upgradeCode, index, productCode); ++index) {
    CollectProductVersion(productCode, result);
  }
}

}  // namespace

void Searcher::RunSearch(const PrereqSearch& search, bool use64BitView, SearchResult& result) {
  if (!ParseVersion(search.verMin, min_)) min_ = VersionValue{};
  if (!ParseVersion(search.verMax, max_)) max_ = VersionValue{};
  const std::wstring& text = search.searchString;
  switch (search.type) {
    case kFileVersion:
      SearchFiles(text, use64BitView, result);
      break;
    case kSubkeyNames:
      CollectSubkeyNames(text, use64BitView, result);
      break;
    case kValueData:
      CollectValueData(text, use64BitView, result);
      break;
    case kProductVersion:
      CollectProductVersion(text, result);
      break;
    case kRelatedProducts:
      CollectRelatedProductVersions(text, result);
      break;
    case kKeyExists:
    case kKeyMissing:
      result.found = OpenRegistryKey(text, use64BitView).IsValid() == (search.type == kKeyExists);
      break;
    case kValueExists:
    case kValueMissing:
      result.found = ValueExists(text, use64BitView) == (search.type == kValueExists);
      break;
    case kValueContent:
      ReadValueContent(text, use64BitView, result);
      break;
    case kComponentInstalled: {
      const int state = LocateComponentState(text);
      if (observer_ != nullptr) observer_->ComponentSeen(text, state);
      result.found = state == kInstallStateLocal || state == kInstallStateSource;
      break;
    }
    case kValueNames:
      CollectValueNames(text, use64BitView, result);
      break;
    default:
      break;
  }
}

void Searcher::RunPackageProgramSearch(const PrereqSearch& search, SearchResult& result,
                                       const std::vector<Prerequisite>& /*prerequisites*/) {
  const std::wstring program = packageFiles_ ? packageFiles_->ResolveFile(search.searchString) : std::wstring();
  // Without a package there is nothing to start; an empty file would make the
  // shell open something else entirely.
  if (program.empty()) return;
  const std::wstring parameters = ResolveProperties(search.searchCmdLine, false);
  // A launch that hands back no process leaves this untouched: no exit code
  // learnt means no success.
  unsigned long exitCode = STILL_ACTIVE;
  const bool launched = ShellOpen(program, parameters, &exitCode, search.refContent == kHiddenCheckProgram, L"");
  if (observer_ != nullptr) observer_->ProgramRan(program, parameters, launched, exitCode);
  result.found = launched && exitCode == 0;
}

void Searcher::SearchFiles(const std::wstring& searchString, bool use64BitView, SearchResult& result) {
  std::vector<std::wstring> entries;
  const FileEntry whole = SplitDepth(searchString);
  if (whole.path.find_first_of(kPathMarkers) == std::wstring::npos) {
    for (const std::wstring& root : FixedDriveRoots()) entries.push_back(root + searchString);
  } else {
    entries.push_back(searchString);
  }
  // Everything that may load a library happens before redirection goes off:
  // the properties are expanded and the version reader made first.
  struct Start {
    std::wstring folder;
    std::wstring fileName;
    int depth;
  };
  std::vector<Start> starts;
  for (const std::wstring& entry : entries) {
    const FileEntry split = SplitDepth(entry);
    const std::wstring path = ResolveProperties(split.path, use64BitView);
    if (observer_ != nullptr) observer_->FileLooked(path);
    const size_t last = path.rfind(L'\\');
    // Without any folder there is nothing to look in.
    if (last != std::wstring::npos) starts.push_back({path.substr(0, last + 1), path.substr(last + 1), split.depth});
  }
  const FileVersionReader versions;
  // Lets a 32-bit process see the native system folders of a 64-bit Windows.
  const RedirectionGuard guard(use64BitView);
  for (const Start& start : starts) {
    if (SearchFolder(start.folder, start.fileName, start.depth, versions, result)) return;
  }
}

bool Searcher::SearchFolder(const std::wstring& folder, const std::wstring& fileName, int depth,
                            const FileVersionReader& versions, SearchResult& result) {
  const std::wstring candidate = folder + fileName;
  WIN32_FIND_DATAW data = {};
  const bool exists = UniqueFindHandle(FindFirstFileW(candidate.c_str(), &data)).IsValid();
  if (exists) {
    const VersionValue version = versions.Read(candidate);
    result.foundTexts.push_back(VersionToText(version));
    if (observer_ != nullptr) observer_->FileSeen(candidate, result.foundTexts.back());
    if (InRange(min_, max_, version)) return true;
  }
  if (depth < 1) return false;
  const std::wstring pattern = folder + L"*";
  UniqueFindHandle find(FindFirstFileW(pattern.c_str(), &data));
  if (!find) return false;
  do {
    if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && !IsDotEntry(data.cFileName)) {
      if (SearchFolder(folder + data.cFileName + L"\\", fileName, depth - 1, versions, result)) return true;
    }
  } while (FindNextFileW(find.Get(), &data));
  return false;
}

}  // namespace tessaro
