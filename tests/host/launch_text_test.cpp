#include <gtest/gtest.h>

#include "core/launch_command.h"
#include "core/logon_text.h"

namespace tessaro {
namespace {

// The reboot letters are proven by whole runs and the restart seam's test.
TEST(LaunchCommand, UiLevelPicksTheCommandLine) {
  Prerequisite record;
  record.commandLine = L"full";
  record.basicUiCommandLine = L"basic";
  record.noUiCommandLine = L"silent";
  const struct {
    const wchar_t* options;
    const wchar_t* commandLine;
  } levels[] = {{L"q", L"silent"}, {L"b", L"basic"}, {L"qb", L"basic"}, {L"", L"full"}, {L"xmQB", L"full"}};
  for (const auto& c : levels) EXPECT_EQ(CommandLineOf(record, CommandLineLevelFor(c.options)), c.commandLine) << c.options;
}

TEST(LaunchCommand, ProcessCommandLinesForPackagesAndPrograms) {
  // A package named in capitals is installed end to end.
  EXPECT_FALSE(IsInstallerPackage(L"C:\\a.msi\\x.exe"));
  EXPECT_FALSE(IsInstallerPackage(L"x.msix"));
  EXPECT_FALSE(IsInstallerPackage(L"msi"));

  // An empty command line: the quoted path only, and one trailing blank for a program. A
  // command line gets one leading blank unless it has its own.
  EXPECT_EQ(InstallerCommandLine(L"C:\\p\\x.MSI", WithLeadingBlank(L"")), L" /i \"C:\\p\\x.MSI\"");
  EXPECT_EQ(InstallerCommandLine(L"C:\\p\\x.msi", WithLeadingBlank(L"  /qn")), L" /i \"C:\\p\\x.msi\"  /qn");
  EXPECT_EQ(ProgramCommandLine(L"C:\\p q\\s.exe", WithLeadingBlank(L"")), L"\"C:\\p q\\s.exe\" ");
  EXPECT_EQ(ProgramCommandLine(L"C:\\s.exe", WithLeadingBlank(L"/quiet")), L"\"C:\\s.exe\"  /quiet");

  for (std::uint32_t code : {3010u, 0xC0000005u, 0xE0000024u, 0xFFFFFFFFu}) EXPECT_TRUE(CallsForPause(code)) << code;
  for (std::uint32_t code : {0u, 1641u, 0x80000000u, 0x40000000u, 0xA0000000u})
    EXPECT_FALSE(CallsForPause(code)) << code;
}

// The names and texts of the logon task and of the "Run" value that stands
// in for it.
TEST(LogonText, TaskNameRunValueNameAndData) {
  EXPECT_EQ(ScheduledTaskName(L"C:\\P F\\a/b:c*d?e\"f<g>h|i.exe"), L"C__P F_a_b_c_d_e_f_g_h_i.exe.job");
  EXPECT_EQ(QuotedProgram(L"C:\\P F\\app.exe"), L"\"C:\\P F\\app.exe\"");
  EXPECT_EQ(QuotedProgram(L"\"C:\\app.exe\""), L"\"C:\\app.exe\"");
  const std::wstring longCommand = L"C:\\" + std::wstring(100, L'x') + L"\\app.exe";
  EXPECT_EQ(RunValueName(longCommand), longCommand.substr(longCommand.size() - 79));
  EXPECT_EQ(ResumeValueName(L"C:\\" + std::wstring(300, L'x')), L"Tessaro." + std::wstring(200, L'x'));
  EXPECT_EQ(RunValueData(L"C:\\P F\\app.exe", L""), L"\"C:\\P F\\app.exe\"");
  EXPECT_EQ(RunValueData(L"C:\\app.exe", L"/start"), L"C:\\app.exe /start");
  EXPECT_EQ(RunValueData(L"\"C:\\P F\\app.exe\"", L" /start"), L"\"C:\\P F\\app.exe\" /start");
}

}  // namespace
}  // namespace tessaro
