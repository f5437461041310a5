#include "platform/process.h"

#include <gtest/gtest.h>

#include "platform/handles.h"
#include "platform/paths.h"
#include "test_support.h"

namespace tessaro {
namespace {

using test_support::BinFolder;
using test_support::ScratchFolder;

constexpr unsigned long kUntouched = 0xDEADBEEF;

std::wstring ExitWith() { return test_support::BinPath(L"exit_with.exe"); }

std::wstring Quoted(const std::wstring& text) { return L"\"" + text + L"\""; }

// The current directory exit_with.exe reports after the first line of its
// --write file, which holds its command line, or what was wrong.
std::string ReportedDirectory(const std::wstring& path) {
  const std::string text = test_support::FileBytes(path);
  const size_t end = text.find("\r\n");
  return end != std::string::npos && text.find("--write") < end ? text.substr(end + 2) : "<report: " + text + ">";
}

class ProcessTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (BinFolder().empty()) GTEST_SKIP() << "TESSARO_BIN is not set";
    ASSERT_TRUE(PathExists(ExitWith()));
  }
  ScratchFolder scratch_;
};

// Setups and check programs run through both calls in every end-to-end
// install and decision run, whole 32-bit exit codes and a setup's own folder
// included; the failures' codes, a given folder, the long form and calls
// without an exit-code place are not reached there.
TEST_F(ProcessTest, FailuresStoreTheErrorShellOpenTakesTheGivenFolderAndOnlyAnExitCodePlaceWaits) {
  unsigned long code = kUntouched;
  SetLastError(0);
  EXPECT_FALSE(RunProcess(scratch_ / L"missing.exe", L"", &code, 0));
  EXPECT_EQ(code, GetLastError());
  EXPECT_EQ(code, static_cast<unsigned long>(ERROR_FILE_NOT_FOUND));
  code = kUntouched;
  EXPECT_FALSE(RunProcess(L"", L"", &code, 0));
  EXPECT_EQ(code, static_cast<unsigned long>(ERROR_INVALID_PARAMETER));
  code = kUntouched;
  EXPECT_FALSE(ShellOpen(scratch_ / L"missing.exe", L"", &code, true, L""));
  EXPECT_EQ(code, static_cast<unsigned long>(ERROR_FILE_NOT_FOUND));

  const std::wstring report = scratch_ / L"report.txt";
  EXPECT_TRUE(ShellOpen(L"\\\\?\\" + ExitWith(), L"3 --write " + Quoted(report), &code, false,
                        L"\\\\?\\" + scratch_.Path()));
  EXPECT_EQ(code, 3u);
  EXPECT_EQ(ReportedDirectory(report), test_support::Narrow(scratch_.Path()) + "\r\n");

  // Without an exit-code place nothing waits, and a failure has nowhere to store its error.
  const std::wstring done = scratch_ / L"done.txt";
  ASSERT_TRUE(
      RunProcess(ExitWith(), Quoted(ExitWith()) + L" 0 --sleep-ms 3000 --write " + Quoted(done), nullptr, 0));
  EXPECT_FALSE(PathExists(done));
  EXPECT_FALSE(RunProcess(scratch_ / L"missing.exe", L"", nullptr, 0));
  EXPECT_FALSE(ShellOpen(L"", L"", nullptr, true, L""));
  EXPECT_TRUE(ShellOpen(ExitWith(), L"1", nullptr, true, scratch_.Path()));
  // The helper finishes before the scratch folder goes.
  for (int i = 0; i < 200 && !PathExists(done); ++i) Sleep(50);
  EXPECT_TRUE(PathExists(done));
  Sleep(200);
}

TEST(IsRunningAsLocalSystem, IsFalseForAnOrdinaryUser) { EXPECT_FALSE(IsRunningAsLocalSystem()); }

}  // namespace
}  // namespace tessaro
