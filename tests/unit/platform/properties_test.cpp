#include "platform/properties.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "test_support.h"

namespace tessaro {
namespace {

using test_support::ScopedVariable;

// The scanning rules are held by the host test with fixed lookups; these are
// the real lookups. "[SETUPEXEDIR]" in a setup's command line, and the shell
// and system folders with their trailing backslash, run end to end.
TEST(ResolveProperties, ExpandsEnvironmentVariablesAndRegistryValues) {
  ScopedVariable defined(L"TESSARO_PROPERTY_TEST", L"C:\\From Env");
  ScopedVariable undefined(L"TESSARO_PROPERTY_UNDEFINED", nullptr);
  EXPECT_EQ(ResolveProperties(L"%TESSARO_PROPERTY_TEST%\\x", false), L"C:\\From Env\\x");
  EXPECT_EQ(ResolveProperties(L"%TESSARO_PROPERTY_UNDEFINED%\\x", false), L"\\x");

  // How a value is read by its path (roots, types, views): the registry tests.
  test_support::ScratchKey key;
  key.SetText(L"Value", L"C:\\Vendor");
  EXPECT_EQ(ResolveProperties(L"v!" + key.Path(L"Value") + L"!\\bin", false), L"vC:\\Vendor\\bin");
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
  // A variable that already ends with a backslash gets no second one.
  ScopedVariable programW6432(L"ProgramW6432", L"D:\\Programs 64\\");
  EXPECT_EQ(ResolveProperties(L"[ProgramFiles64Folder]x", false), L"D:\\Programs 64\\x");
}

}  // namespace
}  // namespace tessaro
