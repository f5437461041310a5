// The small system helpers: error texts, library loading, processes, the
// process-wide caches, access lists and property lookups. Planted libraries
// are proven end to end (hardening scenarios), loads while redirection is off
// by the file search with "x".
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <thread>
#include <vector>

#include "platform/error_text.h"
#include "platform/handles.h"
#include "platform/paths.h"
#include "platform/process.h"
#include "platform/process_once.h"
#include "platform/properties.h"
#include "platform/security.h"
#include "platform/system_library.h"
#include "test_support.h"

namespace tessaro {
namespace {

using namespace test_support;

TEST(ErrorText, GivesTheSystemMessageOrTheCodeInDecimal) {
  EXPECT_GT(ErrorText(ERROR_FILE_NOT_FOUND).size(), 3u);
  // Codes the system has no text for, the chainer's own ones among them.
  EXPECT_EQ(ErrorText(0x2000BEEF), L"536919791");
  EXPECT_EQ(ErrorText(0xE0000005), L"-536870907");
}

TEST(LoadSystemLibrary, RefusesNamesThatCouldReachBeyondTheSystemFolder) {
  EXPECT_NE(GetProcedure<FARPROC>(LoadSystemLibrary(L"msi.dll"), "MsiGetProductInfoW"), nullptr);
  for (const wchar_t* name : {L"..\\msi.dll", L"C:\\windows\\system32\\msi.dll", L""}) {
    SetLastError(0);
    EXPECT_EQ(LoadSystemLibrary(name), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  }
}

// Both calls run in every end-to-end install and decision run; the failures'
// codes, a given folder, the long form and calls without an exit-code place
// are not reached there.
TEST(Processes, FailuresStoreTheErrorShellOpenTakesTheGivenFolderAndOnlyAnExitCodePlaceWaits) {
  ScratchFolder scratch;
  unsigned long code = 0;
  EXPECT_FALSE(RunProcess(scratch / L"missing.exe", L"", &code, 0));
  EXPECT_EQ(code, static_cast<unsigned long>(ERROR_FILE_NOT_FOUND));
  code = 0;
  EXPECT_FALSE(ShellOpen(scratch / L"missing.exe", L"", &code, true, L""));
  EXPECT_EQ(code, static_cast<unsigned long>(ERROR_FILE_NOT_FOUND));
  // exit_with.exe writes its command line and then its current directory.
  const std::wstring report = scratch / L"report.txt";
  EXPECT_TRUE(ShellOpen(L"\\\\?\\" + BinPath(L"exit_with.exe"), L"3 --write \"" + report + L"\"", &code,
                        false, L"\\\\?\\" + scratch.Path()));
  EXPECT_EQ(code, 3u);
  EXPECT_NE(FileBytes(report).find("\r\n" + Narrow(scratch.Path()) + "\r\n"), std::string::npos);
  const std::wstring done = scratch / L"done.txt";
  ASSERT_TRUE(
      RunProcess(BinPath(L"exit_with.exe"), L"x 0 --sleep-ms 2000 --write \"" + done + L"\"", nullptr, 0));
  EXPECT_FALSE(PathExists(done));
  for (int i = 0; i < 100 && !PathExists(done); ++i) Sleep(50);  // done before the scratch folder goes
  EXPECT_TRUE(PathExists(done));
}

TEST(IsRunningAsLocalSystem, IsFalseForAnOrdinaryUser) { EXPECT_FALSE(IsRunningAsLocalSystem()); }

// Threads released together ask an empty cache at once: one computation, and
// every thread (the late ones waiting for the slow first one) sees its value.
TEST(ProcessOnce, ComputedOnceWhenManyThreadsAskFirst) {
  ProcessOnce<std::vector<int>> cache;
  volatile LONG computations = 0;
  const UniqueHandle start(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  const std::vector<int>* seen[8] = {};
  std::vector<std::thread> threads;
  for (int i = 0; i < 8; ++i) {
    threads.emplace_back([&, i] {
      WaitForSingleObject(start.Get(), INFINITE);
      seen[i] = &cache.Get([&] {
        InterlockedIncrement(&computations);
        Sleep(50);
        return std::vector<int>{1, 2, 3};
      });
    });
  }
  SetEvent(start.Get());
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(computations, 1);
  for (const std::vector<int>* value : seen)
    EXPECT_TRUE(value == seen[0] && *value == (std::vector<int>{1, 2, 3}));
}

// Stored on real folders by the logger's fallback and every download.
TEST(AccessEntryList, GrantsByNameOrSidTextMergesAndRevokes) {
  AccessEntryList list(SUB_CONTAINERS_AND_OBJECTS_INHERIT, false);
  EXPECT_TRUE(list.AddAccessEntry(L"Everyone", false));
  EXPECT_TRUE(list.AddAccessEntry(L"S-1-5-18", true));
  DWORD error = 12345;
  const std::unique_ptr<SecurityDescriptor> descriptor = list.BuildSecurityDescriptor(nullptr, error);
  ASSERT_NE(descriptor, nullptr) << error;
  EXPECT_EQ(error, 12345u) << "success leaves the error alone";
  EXPECT_EQ(AllowedMaskFor(descriptor->Dacl(), L"S-1-1-0"), static_cast<long long>(GENERIC_ALL));
  EXPECT_EQ(AllowedMaskFor(descriptor->Dacl(), L"S-1-5-18"), static_cast<long long>(GENERIC_ALL));
  // Revoking one of them, merged into that descriptor, keeps the other.
  AccessEntryList revoke(SUB_CONTAINERS_AND_OBJECTS_INHERIT, true);
  EXPECT_TRUE(revoke.AddAccessEntry(L"Everyone", false));
  const std::unique_ptr<SecurityDescriptor> revoked =
      revoke.BuildSecurityDescriptor(descriptor->Get(), error);
  ASSERT_NE(revoked, nullptr) << error;
  EXPECT_EQ(AllowedMaskFor(revoked->Dacl(), L"S-1-1-0"), -1);
  EXPECT_GE(AllowedMaskFor(revoked->Dacl(), L"S-1-5-18"), 0);
  // Unknown trustees are refused; with nothing in the DACL no descriptor, not one that lets everyone in.
  AccessEntryList unknown(SUB_CONTAINERS_AND_OBJECTS_INHERIT, false);
  EXPECT_FALSE(unknown.AddAccessEntry(L"No Such Account Anywhere", false));
  EXPECT_FALSE(unknown.AddAccessEntry(L"S-not-a-sid", true));
  EXPECT_EQ(unknown.BuildSecurityDescriptor(nullptr, error), nullptr);
}

// The scanning rules are held by the host test with fixed lookups; these are
// the real lookups. The system and shell folders run end to end (wow64).
TEST(ResolveProperties, ExpandsFoldersVariablesAndRegistryValuesAndKeepsUnknownNames) {
  ScopedVariable defined(L"TESSARO_PROPERTY_TEST", L"C:\\From Env");
  ScopedVariable programW6432(L"ProgramW6432", L"D:\\Programs 64\\");  // no second backslash
  ScratchKey key;
  key.SetText(L"Value", L"C:\\Vendor");
  EXPECT_EQ(ResolveProperties(L"%TESSARO_PROPERTY_TEST%\\[TempFolder]x", false),
            L"C:\\From Env\\" + GetTempFolder() + L"x");
  EXPECT_EQ(ResolveProperties(L"v!" + key.Path(L"Value") + L"!\\bin", false), L"vC:\\Vendor\\bin");
  EXPECT_EQ(ResolveProperties(L"[ProgramFiles64Folder]x", false), L"D:\\Programs 64\\x");
  EXPECT_EQ(ResolveProperties(L"[systemfolder]x[SetupExeDir]", false), L"[systemfolder]x[SetupExeDir]");
}

}  // namespace
}  // namespace tessaro
