#include "log/logger.h"

#include <gtest/gtest.h>
#include <shlobj.h>
#include <windows.h>

#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "log/log_format.h"
#include "platform/handles.h"
#include "platform/properties.h"
#include "test_support.h"

namespace tessaro {
namespace {

using namespace test_support;

// The log as text, its byte-order mark (U+FEFF) included.
std::wstring ReadLogText(const std::wstring& path) {
  const std::string bytes = FileBytes(path);
  return std::wstring(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / 2);
}

std::size_t CountOf(const std::wstring& text, const std::wstring& part) {
  std::size_t count = 0;
  for (std::size_t at = text.find(part); at != std::wstring::npos; at = text.find(part, at + 1)) ++count;
  return count;
}

const std::wstring kStamp = L"\\d{4}-\\d{2}-\\d{2} \\d{2}-\\d{2}-\\d{2}-";

// Where a new logger named |name| puts |line|, its first; empty when nowhere.
std::wstring WhereLogged(const std::wstring& name, const std::wstring& line, const std::wstring& path = {}) {
  Logger logger(name);
  if (!path.empty()) logger.SetLogFile(path);
  logger.WriteLine(line);
  return logger.Path();
}

class LoggerTest : public ::testing::Test {
 protected:
  void TearDown() override {
    for (const std::wstring& file : cleanupFiles_) DeleteFileW(file.c_str());
    for (auto it = cleanupFolders_.rbegin(); it != cleanupFolders_.rend(); ++it)
      RemoveDirectoryW(it->c_str());
  }
  // A folder in the way of a fallback file makes that place fail to open.
  void Block(const std::wstring& path) {
    ASSERT_TRUE(DeleteFileW(path.c_str()) && CreateDirectoryW(path.c_str(), nullptr));
    cleanupFolders_.push_back(path);
  }

  ScratchFolder scratch_;
  std::vector<std::wstring> cleanupFiles_;
  std::vector<std::wstring> cleanupFolders_;
};

// Threads released together reach a new logger first: its lock is there already.
TEST_F(LoggerTest, ThreadsShareOneHeaderAndEveryLineIsWrittenWholeWithOneStamp) {
  const std::wstring path = scratch_ / L"run.log";
  Logger logger;
  const UniqueHandle start(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&] {
      WaitForSingleObject(start.Get(), INFINITE);
      logger.SetLogFile(path);
      for (int i = 0; i < 25; ++i) logger.WriteLine(L"thread line");
    });
  }
  SetEvent(start.Get());
  for (std::thread& thread : threads) thread.join();
  logger.WriteLine(L"first\r\nsecond");
  EXPECT_EQ(logger.Path(), path);
  EXPECT_EQ(ReadLogText(path).substr(0, 1), L"\xFEFF") << "on disk while the file is still open";
  LoggingEnabled = true;
  logger.WriteEndLine();
  LoggingEnabled = false;
  const std::wstring text = ReadLogText(path);
  EXPECT_EQ(CountOf(text, kLogBanner), 1u) << "the header is written once per opening";
  EXPECT_TRUE(std::regex_match(
      text, std::wregex(L"\xFEFF[\\s\\S]*?\r\n\r\n(" + kStamp + L"thread line\r\n){100}" + kStamp +
                        L"first\r\nsecond\r\n" + kStamp + L"=+End of Log=+\r\n\r\n")))
      << Narrow(text);
}

TEST_F(LoggerTest, FallsBackToTheCommonFolderThenBesideTheExecutableThenToANewTempFolder) {
  std::wstring common;
  ASSERT_TRUE(GetShellFolder(CSIDL_COMMON_APPDATA, common));
  common += kLogFolderName;
  const bool folderExisted = PathExists(common);
  const std::wstring name = UniqueName(L"logger-test") + L".LOG";
  const std::wstring inCommon = common + L"\\" + name;
  cleanupFiles_.push_back(inCommon);
  if (!folderExisted) cleanupFolders_.push_back(common);
  EXPECT_EQ(WhereLogged(name, L"moved", scratch_ / L"missing\\run.log"), inCommon);
  // Only a folder the logger creates gets its access list: everyone may write.
  EXPECT_TRUE(folderExisted || StoredDaclText(common).find(L";;;WD)") != std::wstring::npos);
  Block(inCommon);

  const std::wstring besideExe = ReplaceExtensionWithLog(RunningExecutablePath());
  ASSERT_FALSE(PathExists(besideExe)) << "stale file in the way";
  cleanupFiles_.push_back(besideExe);
  EXPECT_EQ(WhereLogged(name, L"beside"), besideExe);
  Block(besideExe);

  const std::wstring tempLogs = GetTempFolder() + kLogFolderName;
  if (!IsEmptyFolder(tempLogs)) GTEST_SKIP() << "the temporary log folder is in use";
  RemoveDirectoryW(tempLogs.c_str());
  const std::wstring inTemp = tempLogs + L"\\" + name;
  cleanupFolders_.insert(cleanupFolders_.begin(), tempLogs);
  cleanupFiles_.push_back(inTemp);
  EXPECT_EQ(WhereLogged(name, L"in temp"), inTemp);

  // The temporary folder counts only when this run creates it: now the line is lost.
  EXPECT_EQ(WhereLogged(name, L"lost"), L"");
  EXPECT_EQ(CountOf(ReadLogText(inTemp), L"lost"), 0u);
}

}  // namespace
}  // namespace tessaro
