// The platform room against the real system. What every run shows (the log header, launches,
// planted libraries, the views and folders of a 64-bit Windows) is proven end to end.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "platform/error_text.h"
#include "platform/handles.h"
#include "platform/os_description.h"
#include "platform/paths.h"
#include "platform/process.h"
#include "platform/process_once.h"
#include "platform/properties.h"
#include "platform/registry.h"
#include "platform/security.h"
#include "platform/wow64.h"
#include "test_support.h"

namespace tessaro {
namespace {

using namespace test_support;

TEST(ToLongForm, AddsThePrefixToLongDriveAndNetworkPathsOnly) {
  const std::wstring x286(286, L'x');
  const std::wstring drive = L"C:\\" + std::wstring(245, L'x');  // where CreateDirectoryW needs it
  const std::wstring network = L"\\\\server\\share\\" + x286;
  EXPECT_EQ(ToLongForm(drive), L"\\\\?\\" + drive);
  EXPECT_EQ(ToLongForm(network), L"\\\\?\\UNC\\server\\share\\" + x286);
  // Already long in any case of "UNC", short or relative: unchanged.
  for (const std::wstring& unchanged : {L"\\\\?\\" + drive, L"\\\\?\\unc\\server\\share\\" + x286,
                                        L"C:\\" + std::wstring(244, L'x'), std::wstring(300, L'r')})
    EXPECT_EQ(ToLongForm(unchanged), unchanged);
  EXPECT_EQ(FromLongForm(ToLongForm(drive)), drive);
  EXPECT_EQ(FromLongForm(ToLongForm(network)), network);
}

TEST(NormalizePath, TrimsComponentsAndKeepsRootsAndFolderProperties) {
  const std::pair<const wchar_t*, const wchar_t*> cases[] = {
      {L"C:\\Program Files. \\Sub .\\file.txt. ", L"C:\\Program Files\\Sub\\file.txt"},
      {L"C:\\a\\\\b\\", L"C:\\a\\b\\"},
      {L"\\\\server. \\share. \\dir. ", L"\\\\server. \\share. \\dir"},
      {L"\\\\?\\C:\\a \\b", L"\\\\?\\C:\\a\\b"},
      {L"\\\\?\\UNC\\srv\\sh\\a.", L"\\\\?\\UNC\\srv\\sh\\a"},
      {L"[TempFolder]\\Downloads. \\x", L"[TempFolder]Downloads\\x"},
      {L"relative \\path", L"relative\\path"}};
  for (const auto& [in, out] : cases) EXPECT_EQ(NormalizePath(in), out) << in;
}

TEST(PathExists, FindsOnlyAbsoluteExistingPathsAndMakeFullPathSuppliesThem) {
  ScratchFolder scratch;
  MakeFile(scratch / L"file.txt");
  for (const std::wstring& path : {scratch / L"file.txt", scratch.Path(), scratch.Path() + L"\\"})
    EXPECT_TRUE(PathExists(path)) << path;
  for (const std::wstring& path :
       {scratch / L"missing", scratch / L"*", scratch / L"fil?.txt", std::wstring(), std::wstring(L"C"),
        std::wstring(L"\\"), L"C:\\" + std::wstring(40000, L'q')})
    EXPECT_FALSE(PathExists(path)) << path.substr(0, 80);

  ScopedCurrentDirectory inScratch(scratch.Path());
  EXPECT_FALSE(PathExists(L"file.txt"));
  EXPECT_EQ(MakeFullPath(L"down. \\load "), scratch / L"down\\load");
}

TEST(CreateDirectories, MakesAndListsTheMissingLevelsAndTakesThemBackOnFailure) {
  ScratchFolder scratch;
  std::vector<std::wstring> created;
  EXPECT_EQ(CreateDirectories(scratch / L"a\\b\\file.txt", false, &created), 0u);  // a file's folders
  EXPECT_EQ(CreateDirectories(scratch / L"a\\b\\c\\", true, &created), 0u);        // a\b is there already
  EXPECT_EQ(created, (std::vector<std::wstring>{scratch / L"a", scratch / L"a\\b", scratch / L"a\\b\\c"}));
  std::wstring deep = scratch.Path();  // beyond the classic limit
  while (deep.size() <= 400) deep += L"\\" + std::wstring(50, L'd');
  for (int round = 0; round < 2; ++round)  // the second finds every level there
    EXPECT_EQ(CreateDirectories(deep + L"\\setup.exe", false, nullptr), 0u);
  EXPECT_TRUE(PathExists(deep));

  // Deepest first, and nothing that was there before, empty as it may be.
  ASSERT_TRUE(CreateDirectoryW((scratch / L"empty").c_str(), nullptr));
  for (const wchar_t* path : {L"empty\\bad|name\\f", L"empty\\new\\newer\\bad|name\\deeper\\f"}) {
    EXPECT_EQ(CreateDirectories(scratch / path, false, nullptr), static_cast<unsigned long>(ERROR_INVALID_NAME));
    EXPECT_TRUE(PathIsDirectoryEmptyW((scratch / L"empty").c_str())) << path;
  }
}

std::wstring Read(const ScratchKey& scratch, const std::wstring& name) {
  std::wstring text = L"untouched";
  return ReadRegistryValueText(scratch.Key(), name, text) ? text : L"<failed:" + text + L">";
}

TEST(RegistryRootFromPath, KnowsTheRootNamesInAnyCaseAndTakesAnyOtherTextForAUsersHive) {
  const std::pair<const wchar_t*, HKEY> cases[] = {
      {L"hklm\\Software", HKEY_LOCAL_MACHINE}, {L"hkey_current_user\\x", HKEY_CURRENT_USER},
      {L"HKCR\\x", HKEY_CLASSES_ROOT},         {L"HkCc\\x", HKEY_CURRENT_CONFIG},
      {L"HKLMX\\x", HKEY_USERS},               {L"\\x", HKEY_USERS},
      {L"Software", nullptr}};
  for (const auto& [path, root] : cases) EXPECT_EQ(RegistryRootFromPath(path), root) << path;
}

TEST(ReadRegistryValueText, ReadsTextUpToTheLastNonNulAndDwordsInDecimalAndRefusesOtherTypes) {
  ScratchKey scratch;
  scratch.SetRaw(L"expand", REG_EXPAND_SZ, L"%SystemRoot%\\x", 30);
  scratch.SetRaw(L"multi", REG_MULTI_SZ, L"one\0two\0\0", 20);
  scratch.SetRaw(L"odd", REG_SZ, L"abc", 5);  // no NUL, and half a character
  scratch.SetRaw(L"nuls", REG_SZ, L"\0\0\0", 6);
  scratch.SetText(L"", L"default value");
  scratch.SetNumber(L"max", 0xFFFFFFFFu);
  const std::uint64_t quad = 10;
  scratch.SetRaw(L"qword", REG_QWORD, &quad, sizeof(quad));
  const std::pair<const wchar_t*, std::wstring> cases[] = {
      {L"expand", L"%SystemRoot%\\x"},
      {L"multi", std::wstring(L"one\0two", 7)},
      {L"odd", L"ab"},
      {L"nuls", L""},
      {L"", L"default value"},
      {L"max", L"4294967295"},
      {L"qword", L"<failed:untouched>"},
      {L"missing", L"<failed:untouched>"}};  // failures leave the text alone
  for (const auto& [name, expected] : cases) EXPECT_EQ(Read(scratch, name), expected) << name;
  // By path, split at the first and the last separator; a failure reads as empty.
  const std::wstring key = scratch.Path() + L"\\";
  EXPECT_EQ(ReadRegistryValueByPath(key + L"max", false) + L"|" + ReadRegistryValueByPath(key, false),
            L"4294967295|default value");
  for (const std::wstring& path : {key + L"qword", key + L"No such key\\Text", std::wstring(L"Software")})
    EXPECT_EQ(ReadRegistryValueByPath(path, false), L"") << path;
  // Around the 200-byte first buffer and far beyond it, even and odd, with and without a NUL.
  for (const DWORD bytes : {200u, 201u, 202u, 70001u}) {
    std::wstring content(bytes / 2 + 1, L'\0');
    for (size_t i = 0; i < content.size(); ++i) content[i] = static_cast<wchar_t>(L'A' + i % 26);
    scratch.SetRaw(L"long", REG_SZ, content.c_str(), bytes);
    EXPECT_EQ(Read(scratch, L"long"), content.substr(0, bytes / 2)) << bytes;
  }
}

std::string Summary(const OsDescription& os) {
  char text[80];
  std::snprintf(text, sizeof(text), "%u.%u.%u sp%u server%d 64bit%d", os.major, os.minor, os.build,
                os.servicePack, os.isServer, os.is64Bit);
  return text;
}
const std::string k64 = IsWindows64Bit() ? " 64bit1" : " 64bit0";  // read only with the version key

// HKEY_LOCAL_MACHINE is a scratch key of the current user for one test.
class FakeLocalMachine : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(RegOverridePredefKey(HKEY_LOCAL_MACHINE, root_.Key()), ERROR_SUCCESS); }
  void TearDown() override { RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr); }

  void Version(const wchar_t* name, const std::wstring& text) const { root_.SetText(name, text, REG_SZ, kKey); }
  void ProductType(const std::wstring& text) const { root_.SetText(L"ProductType", text, REG_SZ, kOptions); }

  static constexpr const wchar_t* kKey = L"Software\\Microsoft\\Windows NT\\CurrentVersion";
  static constexpr const wchar_t* kOptions = L"SYSTEM\\CurrentControlSet\\Control\\ProductOptions";
  ScratchKey root_;
};

TEST_F(FakeLocalMachine, Windows10NumbersComeFromTheDwordValuesOlderOnesFromTheText) {
  root_.SetNumber(L"CurrentMajorVersionNumber", 10, kKey);
  root_.SetNumber(L"CurrentMinorVersionNumber", 0, kKey);
  Version(L"CurrentVersion", L"6.3");
  Version(L"CurrentBuildNumber", L"17763");
  ProductType(L"ServerNT");
  EXPECT_EQ(Summary(ReadOsDescription()), "10.0.17763 sp0 server1" + k64);

  Version(L"CurrentMajorVersionNumber", L"10");  // wrong type: not read
  Version(L"CurrentVersion", L"5.2");
  Version(L"CSDVersion", L"Service Pack 2");
  ProductType(L"LanmanNT");  // a domain controller is a server too
  EXPECT_EQ(Summary(ReadOsDescription()), "5.2.17763 sp2 server1" + k64);

  Version(L"CurrentVersion", L"10.0");  // only a three-character text is read
  Version(L"CSDVersion", L"");
  ProductType(L"WinNT");
  EXPECT_EQ(Summary(ReadOsDescription()), "0.0.17763 sp0 server0" + k64);

  root_.RemoveSubkey(kKey);
  ProductType(L"ServerNT");
  EXPECT_EQ(Summary(ReadOsDescription()), "0.0.0 sp0 server0 64bit0");
}

TEST(ErrorText, GivesTheSystemMessageOrTheCodeInDecimalTheChainersOwnCodesAmongThem) {
  EXPECT_GT(ErrorText(ERROR_FILE_NOT_FOUND).size(), 3u);
  EXPECT_EQ(ErrorText(0x2000BEEF), L"536919791");
  EXPECT_EQ(ErrorText(0xE0000005), L"-536870907");
}

TEST(Processes, FailuresStoreTheErrorShellOpenTakesTheGivenFolderAndOnlyAnExitCodePlaceWaits) {
  ScratchFolder scratch;
  unsigned long code = 0;
  EXPECT_FALSE(RunProcess(scratch / L"missing.exe", L"", &code, 0));
  EXPECT_EQ(code, static_cast<unsigned long>(ERROR_FILE_NOT_FOUND));
  code = 0;
  EXPECT_FALSE(ShellOpen(scratch / L"missing.exe", L"", &code, true, L""));
  EXPECT_EQ(code, static_cast<unsigned long>(ERROR_FILE_NOT_FOUND));
  // A given folder; exit_with.exe writes its command line, then its current directory.
  const std::wstring report = scratch / L"report.txt";
  EXPECT_TRUE(ShellOpen(L"\\\\?\\" + BinPath(L"exit_with.exe"), L"3 --write \"" + report + L"\"", &code, false,
                        L"\\\\?\\" + scratch.Path()));
  EXPECT_EQ(code, 3u);
  EXPECT_NE(FileBytes(report).find("\r\n" + Narrow(scratch.Path()) + "\r\n"), std::string::npos);
  const std::wstring done = scratch / L"done.txt";
  ASSERT_TRUE(RunProcess(BinPath(L"exit_with.exe"), L"x 0 --sleep-ms 2000 --write \"" + done + L"\"", nullptr, 0));
  EXPECT_FALSE(PathExists(done));
  for (int i = 0; i < 100 && !PathExists(done); ++i) Sleep(50);  // done before the scratch folder goes
}

// The late threads wait for the slow first one and see its value.
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
TEST(AccessEntryList, GrantsByNameOrSidTextRevokesIntoADescriptorAndRefusesUnknownTrustees) {
  AccessEntryList list(NO_INHERITANCE, false);
  EXPECT_TRUE(list.AddAccessEntry(L"Everyone", false));
  EXPECT_TRUE(list.AddAccessEntry(L"S-1-5-18", true));
  DWORD error = 0;
  const std::unique_ptr<SecurityDescriptor> descriptor = list.BuildSecurityDescriptor(nullptr, error);
  ASSERT_NE(descriptor, nullptr) << error;
  const std::wstring granted = DaclText(descriptor->Get());
  EXPECT_TRUE(granted.find(L";GA;;;WD)") != std::wstring::npos && granted.find(L";GA;;;SY)") != std::wstring::npos)
      << Narrow(granted);
  // Revoking one of them, merged into that descriptor, keeps the other.
  AccessEntryList revoke(NO_INHERITANCE, true);
  EXPECT_TRUE(revoke.AddAccessEntry(L"Everyone", false));
  const std::unique_ptr<SecurityDescriptor> revoked = revoke.BuildSecurityDescriptor(descriptor->Get(), error);
  ASSERT_NE(revoked, nullptr) << error;
  const std::wstring left = DaclText(revoked->Get());
  EXPECT_TRUE(left.find(L";;;WD)") == std::wstring::npos && left.find(L";;;SY)") != std::wstring::npos) << Narrow(left);
  // Unknown trustees are refused; with nothing in the DACL no descriptor, not one that lets everyone in.
  AccessEntryList unknown(NO_INHERITANCE, false);
  EXPECT_FALSE(unknown.AddAccessEntry(L"No Such Account Anywhere", false));
  EXPECT_FALSE(unknown.AddAccessEntry(L"S-not-a-sid", true));
  EXPECT_EQ(unknown.BuildSecurityDescriptor(nullptr, error), nullptr);
}

// The scanning rules are held by the host test with fixed lookups; these are the real lookups.
TEST(ResolveProperties, ExpandsFoldersAndVariablesAndKeepsUnknownNames) {
  ScopedVariable defined(L"TESSARO_PROPERTY_TEST", L"C:\\From Env");
  ScopedVariable programW6432(L"ProgramW6432", L"D:\\Programs 64\\");  // no second backslash
  EXPECT_EQ(ResolveProperties(L"%TESSARO_PROPERTY_TEST%\\[TempFolder]x", false),
            L"C:\\From Env\\" + GetTempFolder() + L"x");
  EXPECT_EQ(ResolveProperties(L"[ProgramFiles64Folder]x", false), L"D:\\Programs 64\\x");
  EXPECT_EQ(ResolveProperties(L"[systemfolder]x[SetupExeDir]", false), L"[systemfolder]x[SetupExeDir]");
}

}  // namespace
}  // namespace tessaro
