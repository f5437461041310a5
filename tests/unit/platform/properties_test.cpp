#include "platform/properties.h"

#include <gtest/gtest.h>
#include <shlobj.h>
#include <windows.h>

#include <string>

#include "test_support.h"

namespace tessaro {
namespace {

std::wstring WithBackslash(std::wstring path) {
  if (path.empty() || path.back() != L'\\') path += L'\\';
  return path;
}

std::wstring Folder(const std::wstring& name) {
  std::wstring folder = L"untouched";
  EXPECT_TRUE(ResolveFolderProperty(name, false, folder) || folder == L"untouched") << name;
  return folder;
}

std::wstring ShellFolder(int csidl) {
  wchar_t path[MAX_PATH] = {};
  if (FAILED(SHGetFolderPathW(nullptr, csidl, nullptr, 0, path))) return {};
  return WithBackslash(path);
}

using test_support::ScopedVariable;

// The scanning rules are held by the host test with fixed lookups; these are
// the real lookups. "[SETUPEXEDIR]" in a setup's command line runs end to end.
TEST(ResolveProperties, ExpandsEnvironmentVariablesAndRegistryValues) {
  ScopedVariable defined(L"TESSARO_PROPERTY_TEST", L"C:\\From Env");
  ScopedVariable undefined(L"TESSARO_PROPERTY_UNDEFINED", nullptr);
  EXPECT_EQ(ResolveProperties(L"%TESSARO_PROPERTY_TEST%\\x", false), L"C:\\From Env\\x");
  EXPECT_EQ(ResolveProperties(L"%TESSARO_PROPERTY_UNDEFINED%\\x", false), L"\\x");

  test_support::ScratchKey key;
  key.SetText(L"Value", L"C:\\Vendor");
  key.SetNumber(L"Number", 10);
  const auto reference = [&](const wchar_t* root, const wchar_t* value) {
    return L"!" + std::wstring(root) + L"\\" + key.SubKey() + L"\\" + value + L"!";
  };
  EXPECT_EQ(ResolveProperties(reference(L"HKCU", L"Value") + L"\\bin", false), L"C:\\Vendor\\bin");
  EXPECT_EQ(ResolveProperties(reference(L"HKEY_CURRENT_USER", L"Value"), true), L"C:\\Vendor");
  EXPECT_EQ(ResolveProperties(L"v" + reference(L"HKCU", L"Number"), false), L"v10");
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
}

TEST(ResolveFolderProperty, ProgramFiles64FolderPrefersProgramW6432) {
  for (const wchar_t* value : {L"D:\\Programs 64", L"D:\\Programs 64\\"}) {
    ScopedVariable variable(L"ProgramW6432", value);
    EXPECT_EQ(Folder(L"ProgramFiles64Folder"), L"D:\\Programs 64\\");
  }
}

TEST(ResolveFolderProperty, ShellFoldersEndWithABackslash) {
  const struct {
    const wchar_t* name;
    int csidl;
  } folders[] = {
      {L"CommonFilesFolder", CSIDL_PROGRAM_FILES_COMMON},
      {L"DesktopFolder", CSIDL_DESKTOPDIRECTORY},
      {L"AppDataFolder", CSIDL_APPDATA},
      {L"StartMenuFolder", CSIDL_STARTMENU},
      {L"ProgramMenuFolder", CSIDL_PROGRAMS},
      {L"FontsFolder", CSIDL_FONTS},
      {L"LocalAppDataFolder", CSIDL_LOCAL_APPDATA},
      {L"CommonAppDataFolder", CSIDL_COMMON_APPDATA},
  };
  for (const auto& entry : folders) {
    const std::wstring expected = ShellFolder(entry.csidl);  // empty: this system has no such folder
    EXPECT_TRUE(expected.empty() || Folder(entry.name) == expected)
        << entry.name << L" " << Folder(entry.name);
  }
}

}  // namespace
}  // namespace tessaro
