#include "platform/properties.h"

#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <string>

namespace tessaro {
namespace {

std::wstring WithBackslash(std::wstring path) {
  if (path.empty() || path.back() != L'\\') path += L'\\';
  return path;
}

std::wstring Folder(const std::wstring& name, bool use64BitView = false) {
  std::wstring folder = L"untouched";
  if (!ResolveFolderProperty(name, use64BitView, folder)) {
    EXPECT_EQ(folder, L"untouched") << name;
  }
  return folder;
}

std::wstring ShellFolder(int csidl) {
  wchar_t path[MAX_PATH] = {};
  if (FAILED(SHGetFolderPathW(nullptr, csidl, nullptr, 0, path))) return {};
  return WithBackslash(path);
}

// Sets an environment variable of this process for one scope, then restores it.
class ScopedVariable {
 public:
  ScopedVariable(const wchar_t* name, const wchar_t* value) : name_(name) {
    wchar_t old[32767];
    const DWORD length = GetEnvironmentVariableW(name, old, 32767);
    hadValue_ = length > 0 || GetLastError() != ERROR_ENVVAR_NOT_FOUND;
    if (hadValue_) old_.assign(old, length);
    EXPECT_TRUE(SetEnvironmentVariableW(name, value));
  }
  ~ScopedVariable() { SetEnvironmentVariableW(name_, hadValue_ ? old_.c_str() : nullptr); }

 private:
  const wchar_t* name_;
  bool hadValue_ = false;
  std::wstring old_;
};

// A per-test key under HKCU\Software\Tessaro Tests, removed with everything below it.
class TestKey {
 public:
  TestKey() {
    path_ = L"Software\\Tessaro Tests\\properties_" + std::to_wstring(GetCurrentProcessId()) + L"_" +
            std::to_wstring(GetTickCount());
    EXPECT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, path_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key_,
                              nullptr),
              ERROR_SUCCESS);
  }
  ~TestKey() {
    RegCloseKey(key_);
    RegDeleteTreeW(HKEY_CURRENT_USER, path_.c_str());
  }
  void SetText(const wchar_t* name, const std::wstring& text) {
    ASSERT_EQ(RegSetValueExW(key_, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                             static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))),
              ERROR_SUCCESS);
  }
  void SetNumber(const wchar_t* name, DWORD number) {
    ASSERT_EQ(RegSetValueExW(key_, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), sizeof(number)),
              ERROR_SUCCESS);
  }
  [[nodiscard]] std::wstring Reference(const std::wstring& root, const wchar_t* value) const {
    return L"!" + root + L"\\" + path_ + L"\\" + value + L"!";
  }

 private:
  std::wstring path_;
  HKEY key_ = nullptr;
};

TEST(ResolveProperties, EnvironmentVariablesExpandAndUndefinedOnesVanish) {
  ScopedVariable defined(L"TESSARO_PROPERTY_TEST", L"C:\\From Env");
  ScopedVariable undefined(L"TESSARO_PROPERTY_UNDEFINED", nullptr);
  EXPECT_EQ(ResolveProperties(L"%TESSARO_PROPERTY_TEST%\\x", false), L"C:\\From Env\\x");
  EXPECT_EQ(ResolveProperties(L"%TESSARO_PROPERTY_UNDEFINED%\\x", false), L"\\x");
  EXPECT_EQ(ResolveProperties(L"100%", false), L"100%");
}

TEST(ResolveProperties, RegistryReferencesReadTheNamedValue) {
  TestKey key;
  key.SetText(L"Value", L"C:\\Vendor");
  key.SetNumber(L"Number", 10);
  EXPECT_EQ(ResolveProperties(key.Reference(L"HKCU", L"Value") + L"\\bin", false), L"C:\\Vendor\\bin");
  EXPECT_EQ(ResolveProperties(key.Reference(L"HKEY_CURRENT_USER", L"Value"), true), L"C:\\Vendor");
  EXPECT_EQ(ResolveProperties(L"v" + key.Reference(L"HKCU", L"Number"), false), L"v10");
  EXPECT_EQ(ResolveProperties(key.Reference(L"HKCU", L"Missing") + L"\\bin", false), L"\\bin");
}

TEST(ResolveProperties, FolderPropertiesExpandAndUnknownNamesStay) {
  wchar_t temp[MAX_PATH + 1] = {};
  ASSERT_GT(GetTempPathW(MAX_PATH + 1, temp), 0u);
  EXPECT_EQ(ResolveProperties(L"[TempFolder]setup", false), std::wstring(temp) + L"setup");
  EXPECT_EQ(ResolveProperties(L"[systemfolder]x", false), L"[systemfolder]x");
  EXPECT_EQ(ResolveProperties(L"[SetupExeDir]x", false), L"[SetupExeDir]x");
  wchar_t windows[MAX_PATH] = {};
  ASSERT_GT(GetWindowsDirectoryW(windows, MAX_PATH), 0u);
  EXPECT_EQ(ResolveProperties(L"[WindowsVolume]x", false), std::wstring(windows).substr(0, 3) + L"x");
  // The view chosen by the caller reaches the folder properties too.
  EXPECT_EQ(ResolveProperties(L"[SystemFolder]", true), Folder(L"SystemFolder", true));
}

TEST(ResolveFolderProperty, SystemFolderIs32BitUnlessThe64BitViewIsAsked) {
  wchar_t native[MAX_PATH] = {};
  wchar_t wow64[MAX_PATH] = {};
  ASSERT_GT(GetSystemDirectoryW(native, MAX_PATH), 0u);
  ASSERT_GT(GetSystemWow64DirectoryW(wow64, MAX_PATH), 0u);
  EXPECT_EQ(lstrcmpiW(Folder(L"SystemFolder", true).c_str(), WithBackslash(native).c_str()), 0)
      << Folder(L"SystemFolder", true);
  EXPECT_EQ(lstrcmpiW(Folder(L"SystemFolder", false).c_str(), WithBackslash(wow64).c_str()), 0)
      << Folder(L"SystemFolder", false);
}

TEST(ResolveFolderProperty, ProgramFiles64FolderPrefersProgramW6432) {
  {
    ScopedVariable variable(L"ProgramW6432", L"D:\\Programs 64");
    EXPECT_EQ(Folder(L"ProgramFiles64Folder"), L"D:\\Programs 64\\");
  }
  {
    ScopedVariable variable(L"ProgramW6432", L"D:\\Programs 64\\");
    EXPECT_EQ(Folder(L"ProgramFiles64Folder"), L"D:\\Programs 64\\");
  }
  ScopedVariable unset(L"ProgramW6432", nullptr);
  const std::wstring programFiles = ShellFolder(CSIDL_PROGRAM_FILES);
  ASSERT_FALSE(programFiles.empty());
  EXPECT_EQ(Folder(L"ProgramFiles64Folder"), programFiles);
  EXPECT_EQ(Folder(L"ProgramFilesFolder"), programFiles);
  EXPECT_EQ(Folder(L"ProgramFiles"), programFiles);
}

TEST(ResolveFolderProperty, ShellFoldersEndWithABackslash) {
  const struct {
    const wchar_t* name;
    int csidl;
  } folders[] = {
      {L"CommonFilesFolder", CSIDL_PROGRAM_FILES_COMMON}, {L"DesktopFolder", CSIDL_DESKTOPDIRECTORY},
      {L"AppDataFolder", CSIDL_APPDATA},                  {L"StartMenuFolder", CSIDL_STARTMENU},
      {L"ProgramMenuFolder", CSIDL_PROGRAMS},             {L"FontsFolder", CSIDL_FONTS},
      {L"LocalAppDataFolder", CSIDL_LOCAL_APPDATA},       {L"CommonAppDataFolder", CSIDL_COMMON_APPDATA},
  };
  for (const auto& entry : folders) {
    const std::wstring expected = ShellFolder(entry.csidl);
    if (expected.empty()) continue;  // this system has no such folder
    EXPECT_EQ(Folder(entry.name), expected) << entry.name;
  }
}

TEST(ResolveFolderProperty, SetupExeDirIsTheRunningProgramsFolder) {
  wchar_t module[MAX_PATH] = {};
  ASSERT_GT(GetModuleFileNameW(nullptr, module, MAX_PATH), 0u);
  std::wstring expected = module;
  expected.erase(expected.rfind(L'\\') + 1);
  EXPECT_EQ(Folder(L"SETUPEXEDIR"), expected);
  EXPECT_EQ(ResolveProperties(L"[SETUPEXEDIR]a.exe", false), expected + L"a.exe");
}

}  // namespace
}  // namespace tessaro
