#include "platform/process.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "platform/paths.h"
#include "platform_scratch.h"

namespace tessaro {
namespace {

using testing::HelperFolder;
using testing::ScratchFolder;

constexpr unsigned long kUntouched = 0xDEADBEEF;

std::wstring ExitWith() { return HelperFolder() + L"\\exit_with.exe"; }

std::wstring Quoted(const std::wstring& text) { return L"\"" + text + L"\""; }

// The two lines exit_with.exe writes: its command line and its current directory.
std::vector<std::string> ReportLines(const std::wstring& path) {
  std::vector<std::string> lines;
  const HANDLE file =
      CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return lines;
  char buffer[4096];
  DWORD read = 0;
  const BOOL ok = ReadFile(file, buffer, sizeof(buffer), &read, nullptr);
  CloseHandle(file);
  if (!ok) return lines;
  std::istringstream text(std::string(buffer, read));
  for (std::string line; std::getline(text, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

class ProcessTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (HelperFolder().empty()) GTEST_SKIP() << "TESSARO_BIN is not set";
    ASSERT_TRUE(PathExists(ExitWith()));
  }
};

TEST_F(ProcessTest, RunProcessWaitsAndReportsTheExitCode) {
  unsigned long code = kUntouched;
  EXPECT_TRUE(RunProcess(ExitWith(), Quoted(ExitWith()) + L" 7", &code, CREATE_NO_WINDOW));
  EXPECT_EQ(code, 7u);
  // The application may be left to the command line, and the whole 32 bits come back.
  EXPECT_TRUE(RunProcess(L"", Quoted(ExitWith()) + L" 0xE0000005", &code, 0));
  EXPECT_EQ(code, 0xE0000005u);
  EXPECT_TRUE(RunProcess(ExitWith(), L"", &code, 0));
  EXPECT_EQ(code, 0u);
}

TEST_F(ProcessTest, RunProcessWithoutAnExitCodePlaceDoesNotWait) {
  ScratchFolder scratch;
  const std::wstring done = scratch / L"done.txt";
  ASSERT_TRUE(
      RunProcess(ExitWith(), Quoted(ExitWith()) + L" 0 --sleep-ms 3000 --write " + Quoted(done), nullptr, 0));
  EXPECT_FALSE(PathExists(done));
  // Let the helper finish before the scratch folder goes.
  for (int i = 0; i < 200 && !PathExists(done); ++i) Sleep(50);
  EXPECT_TRUE(PathExists(done));
  Sleep(200);
}

TEST_F(ProcessTest, RunProcessFailureStoresTheErrorInTheExitCodePlace) {
  ScratchFolder scratch;
  unsigned long code = kUntouched;
  SetLastError(0);
  EXPECT_FALSE(RunProcess(scratch / L"missing.exe", L"", &code, 0));
  EXPECT_EQ(code, GetLastError());
  EXPECT_EQ(code, static_cast<unsigned long>(ERROR_FILE_NOT_FOUND));
  code = kUntouched;
  EXPECT_FALSE(RunProcess(L"", L"", &code, 0));
  EXPECT_NE(code, kUntouched);
  EXPECT_NE(code, 0u);
  EXPECT_FALSE(RunProcess(scratch / L"missing.exe", L"", nullptr, 0));
}

TEST_F(ProcessTest, ShellOpenRunsHiddenInTheFilesFolderAndReportsTheExitCode) {
  ScratchFolder scratch;
  const std::wstring report = scratch / L"report.txt";
  unsigned long code = kUntouched;
  EXPECT_TRUE(ShellOpen(ExitWith(), L"5 --write " + Quoted(report), &code, true, L""));
  EXPECT_EQ(code, 5u);
  const std::vector<std::string> lines = ReportLines(report);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_NE(lines[0].find("--write"), std::string::npos);
  EXPECT_EQ(lines[1], Narrow(HelperFolder()));
}

TEST_F(ProcessTest, ShellOpenTakesTheLongFormOffFileAndDirectory) {
  ScratchFolder scratch;
  const std::wstring report = scratch / L"report.txt";
  unsigned long code = kUntouched;
  EXPECT_TRUE(ShellOpen(L"\\\\?\\" + ExitWith(), L"3 --write " + Quoted(report), &code, false,
                        L"\\\\?\\" + scratch.Path()));
  EXPECT_EQ(code, 3u);
  const std::vector<std::string> lines = ReportLines(report);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[1], Narrow(scratch.Path()));
}

TEST_F(ProcessTest, ShellOpenFailureStoresTheError) {
  ScratchFolder scratch;
  unsigned long code = kUntouched;
  EXPECT_FALSE(ShellOpen(scratch / L"missing.exe", L"", &code, true, L""));
  EXPECT_EQ(code, static_cast<unsigned long>(ERROR_FILE_NOT_FOUND));
  EXPECT_FALSE(ShellOpen(L"", L"", nullptr, true, L""));
  // Without an exit-code place it starts the program and returns.
  EXPECT_TRUE(ShellOpen(ExitWith(), L"1", nullptr, true, scratch.Path()));
}

TEST(IsRunningAsLocalSystem, IsFalseForAnOrdinaryUser) { EXPECT_FALSE(IsRunningAsLocalSystem()); }

}  // namespace
}  // namespace tessaro
