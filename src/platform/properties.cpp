#include "platform/properties.h"

#include <windows.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <cstddef>
#include <utility>

#include "platform/handles.h"
#include "platform/paths.h"
#include "platform/process_once.h"
#include "platform/property_scanner.h"
#include "platform/registry.h"
#include "platform/system_library.h"

namespace tessaro {
namespace {

constexpr std::size_t kVolumeLength = 3;  // "C:\"
// Shell32 and Shlwapi of this major version or later know every folder that
// the table asks for; an older shell gets the environment fallbacks.
constexpr DWORD kNewShellMajorVersion = 5;

struct ShellFolder {
  const wchar_t* name;
  int csidl;
};

// Looked up in this order; the first name that matches wins.
constexpr ShellFolder kShellFolders[] = {
    {L"ProgramFilesFolder", CSIDL_PROGRAM_FILES},
    {L"CommonFilesFolder", CSIDL_PROGRAM_FILES_COMMON},
    {L"DesktopFolder", CSIDL_DESKTOPDIRECTORY},
    {L"AllUsersDesktopFolder", CSIDL_COMMON_DESKTOPDIRECTORY},
    {L"AppDataFolder", CSIDL_APPDATA},
    {L"FavoritesFolder", CSIDL_FAVORITES},
    {L"StartMenuFolder", CSIDL_STARTMENU},
    {L"ProgramMenuFolder", CSIDL_PROGRAMS},
    {L"StartupFolder", CSIDL_STARTUP},
    {L"FontsFolder", CSIDL_FONTS},
    {L"LocalAppDataFolder", CSIDL_LOCAL_APPDATA},
    {L"CommonAppDataFolder", CSIDL_COMMON_APPDATA},
    {L"ProgramFiles64Folder", CSIDL_PROGRAM_FILES},
    {L"ProgramFiles", CSIDL_PROGRAM_FILES},
};

// For the Win32 calls that return the length they need when the buffer is
// too small, and the length they wrote otherwise; 0 means failure.
template <typename Call>
bool ReadSizedText(Call call, std::wstring& text) {
  std::wstring buffer(MAX_PATH, L'\0');
  for (;;) {
    const DWORD written = call(buffer.data(), static_cast<DWORD>(buffer.size()));
    if (written == 0) return false;
    if (written < buffer.size()) {
      buffer.resize(written);
      text = std::move(buffer);
      return true;
    }
    buffer.resize(written);
  }
}

bool ReadEnvironmentVariable(const std::wstring& name, std::wstring& value) {
  // An empty variable reads as 0 characters, just like an undefined one;
  // only the last error tells them apart.
  SetLastError(ERROR_SUCCESS);
  std::wstring text;
  if (ReadSizedText([&](wchar_t* b, DWORD n) { return GetEnvironmentVariableW(name.c_str(), b, n); }, text)) {
    value = std::move(text);
    return true;
  }
  if (GetLastError() == ERROR_ENVVAR_NOT_FOUND) return false;
  value.clear();
  return true;
}

// The executable's folder, cut after its last "\"; the executable does not
// move while it runs.
bool SetupExeFolder(std::wstring& folder) {
  const std::wstring& executable = RunningExecutablePath();
  if (executable.empty()) return false;
  const std::size_t slash = executable.rfind(kBackslash);
  folder = slash == std::wstring::npos ? std::wstring() : executable.substr(0, slash + 1);
  return true;
}

using FolderPathFunction = HRESULT(WINAPI*)(HWND, int, HANDLE, DWORD, LPWSTR);

constinit LazySystemLibrary ShFolder(L"shfolder.dll");
constinit ProcessOnce<bool> NewShell;

// The old shell's own copy of the folder function, for systems whose shell
// lacks the item-list call for a folder.
FolderPathFunction ShFolderGetFolderPath() {
  return GetProcedure<FolderPathFunction>(ShFolder.Get(), "SHGetFolderPathW");
}

bool ShellMajorVersion(const wchar_t* library, DWORD& major) {
  const auto getVersion = GetProcedure<DLLGETVERSIONPROC>(LoadSystemLibrary(library), "DllGetVersion");
  if (getVersion == nullptr) return false;
  DLLVERSIONINFO info = {};
  info.cbSize = sizeof(info);
  if (FAILED(getVersion(&info))) return false;
  major = info.dwMajorVersion;
  return true;
}

bool IsNewShell() {
  return NewShell.Get([] {
    DWORD major = 0;
    return (ShellMajorVersion(L"shlwapi.dll", major) || ShellMajorVersion(L"shell32.dll", major)) &&
           major >= kNewShellMajorVersion;
  });
}

bool OldShellFolder(const std::wstring& name, std::wstring& folder) {
  const wchar_t* variable = nullptr;
  if (name == L"ProgramFilesFolder" || name == L"ProgramFiles") {
    variable = L"PROGRAMFILES";
  } else if (name == L"AppDataFolder") {
    variable = L"APPDATA";
  } else {
    return false;
  }
  std::wstring value;
  if (!ReadEnvironmentVariable(variable, value)) return false;
  folder = value + kBackslash;
  return true;
}

bool ShellFolderPath(const std::wstring& name, int csidl, std::wstring& folder) {
  std::wstring path;
  if (GetShellItemListFolder(csidl, path)) {
    if (path.empty()) return false;
    folder = WithTrailingBackslash(path);
    return true;
  }
  if (const FolderPathFunction getFolderPath = ShFolderGetFolderPath()) {
    wchar_t path[MAX_PATH] = {};
    if (SUCCEEDED(getFolderPath(nullptr, csidl, nullptr, 0, path))) {
      folder = WithTrailingBackslash(path);
      return true;
    }
  }
  if (IsNewShell()) return false;
  return OldShellFolder(name, folder);
}

bool WindowsDirectory(std::wstring& path) {
  return ReadSizedText([](wchar_t* b, DWORD n) { return GetWindowsDirectoryW(b, n); }, path);
}

class WindowsLookups final : public PropertyLookups {
 public:
  explicit WindowsLookups(bool use64BitView) : use64BitView_(use64BitView) {}

  bool FolderProperty(const std::wstring& name, std::wstring& value) const override {
    return ResolveFolderProperty(name, use64BitView_, value);
  }
  std::wstring EnvironmentVariable(const std::wstring& name) const override {
    std::wstring value;
    (void)ReadEnvironmentVariable(name, value);
    return value;
  }
  std::wstring RegistryValue(const std::wstring& path) const override {
    return ReadRegistryValueByPath(path, use64BitView_);
  }

 private:
  bool use64BitView_;
};

}  // namespace

std::wstring ResolveProperties(const std::wstring& text, bool use64BitView) {
  return ExpandPropertyReferences(text, WindowsLookups(use64BitView));
}

bool GetShellItemListFolder(int csidl, std::wstring& folder) {
  UniqueItemList items;
  if (FAILED(SHGetSpecialFolderLocation(nullptr, csidl, items.Put()))) return false;
  wchar_t path[MAX_PATH] = {};
  folder = SHGetPathFromIDListW(items.Get(), path) ? path : L"";
  return true;
}

bool GetShellFolder(int csidl, std::wstring& folder) {
  wchar_t path[MAX_PATH] = {};
  // A failed call yields nothing rather than a half-filled buffer.
  if (FAILED(SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path))) return false;
  folder = WithTrailingBackslash(path);
  return true;
}

bool ResolveFolderProperty(const std::wstring& name, bool use64BitView, std::wstring& folder) {
  std::wstring value;
  if (name == L"ProgramFiles64Folder" && ReadEnvironmentVariable(L"ProgramW6432", value)) {
    folder = WithTrailingBackslash(value);
    return true;
  }
  if (name == L"SystemFolder") return GetShellFolder(use64BitView ? CSIDL_SYSTEM : CSIDL_SYSTEMX86, folder);
  if (name == L"System32Folder") {
    if (!ReadSizedText([](wchar_t* b, DWORD n) { return GetSystemDirectoryW(b, n); }, value)) return false;
    folder = value + kBackslash;
    return true;
  }
  if (name == L"WindowsFolder") {
    if (!WindowsDirectory(value)) return false;
    folder = value + kBackslash;
    return true;
  }
  if (name == L"WindowsVolume") {
    if (!WindowsDirectory(value)) return false;
    folder = value.substr(0, kVolumeLength);
    return true;
  }
  if (name == L"TempFolder") {
    if (!ReadSizedText([](wchar_t* b, DWORD n) { return GetTempPathW(n, b); }, value)) return false;
    folder = value;
    return true;
  }
  if (name == L"SETUPEXEDIR") return SetupExeFolder(folder);
  for (const ShellFolder& entry : kShellFolders) {
    if (name == entry.name) return ShellFolderPath(name, entry.csidl, folder);
  }
  return false;
}

}  // namespace tessaro
