#include "log/logger.h"

#include <aclapi.h>
#include <sddl.h>
#include <shlobj.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <regex>
#include <string>

#include "log/log_format.h"
#include "platform/os_description.h"

namespace tessaro {
namespace {

std::wstring UniqueName(const wchar_t* prefix) {
  static int counter = 0;
  return prefix + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++counter);
}

std::wstring TempPath() {
  wchar_t buffer[MAX_PATH] = {};
  const DWORD length = GetTempPathW(MAX_PATH, buffer);
  return std::wstring(buffer, length);
}

std::wstring CommonLogFolder() {
  wchar_t buffer[MAX_PATH] = {};
  if (FAILED(SHGetFolderPathW(nullptr, CSIDL_COMMON_APPDATA, nullptr, 0, buffer))) return {};
  std::wstring folder = buffer;
  if (folder.back() != L'\\') folder += L'\\';
  return folder + kLogFolderName;
}

std::wstring ExecutableLogPath() {
  wchar_t buffer[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, buffer, MAX_PATH);
  return ReplaceExtensionWithLog(buffer);
}

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool IsEmptyFolder(const std::wstring& folder) {
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return true;
  bool empty = true;
  do {
    const std::wstring name = data.cFileName;
    if (name != L"." && name != L"..") empty = false;
  } while (empty && FindNextFileW(find, &data));
  FindClose(find);
  return empty;
}

std::string ReadBytes(const std::wstring& path) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return {};
  std::string bytes;
  char chunk[4096];
  DWORD read = 0;
  while (ReadFile(file, chunk, sizeof(chunk), &read, nullptr) && read > 0) bytes.append(chunk, read);
  CloseHandle(file);
  return bytes;
}

// The text of a log file after its byte-order mark.
std::wstring ReadLogText(const std::wstring& path) {
  const std::string bytes = ReadBytes(path);
  std::wstring text;
  for (std::size_t i = 2; i + 1 < bytes.size(); i += 2) {
    text += static_cast<wchar_t>(static_cast<unsigned char>(bytes[i]) |
                                 (static_cast<unsigned char>(bytes[i + 1]) << 8));
  }
  return text;
}

std::size_t CountOf(const std::wstring& text, const std::wstring& part) {
  std::size_t count = 0;
  for (std::size_t at = text.find(part); at != std::wstring::npos; at = text.find(part, at + 1)) ++count;
  return count;
}

std::wstring ExpectedHeaderStart() { return kLogBanner + FormatOsVersionLine(GetOsDescription()) + L"CPU: "; }

// A stamped line: "2021-03-04 09-05-07-" + text + "\r\n".
std::wregex StampedLine(const std::wstring& escapedText) {
  return std::wregex(L"\\d{4}-\\d{2}-\\d{2} \\d{2}-\\d{2}-\\d{2}-" + escapedText + L"\r\n");
}

class ScopedLoggingEnabled {
 public:
  explicit ScopedLoggingEnabled(bool value) : old_(LoggingEnabled) { LoggingEnabled = value; }
  ~ScopedLoggingEnabled() { LoggingEnabled = old_; }

 private:
  bool old_;
};

class LoggerTest : public testing::Test {
 protected:
  void SetUp() override {
    folder_ = TempPath() + UniqueName(L"tessaro-log-");
    ASSERT_TRUE(CreateDirectoryW(folder_.c_str(), nullptr));
  }
  void TearDown() override {
    for (const std::wstring& file : cleanupFiles_) DeleteFileW(file.c_str());
    for (auto it = cleanupFolders_.rbegin(); it != cleanupFolders_.rend(); ++it) RemoveDirectoryW(it->c_str());
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((folder_ + L"\\*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
      do {
        DeleteFileW((folder_ + L"\\" + data.cFileName).c_str());
      } while (FindNextFileW(find, &data));
      FindClose(find);
    }
    RemoveDirectoryW(folder_.c_str());
  }
  std::wstring InFolder(const std::wstring& name) const { return folder_ + L"\\" + name; }
  // A folder in the way of a fallback file makes that place fail to open.
  void Block(const std::wstring& path) {
    ASSERT_TRUE(CreateDirectoryW(path.c_str(), nullptr));
    cleanupFolders_.push_back(path);
  }

  std::wstring folder_;
  std::vector<std::wstring> cleanupFiles_;
  std::vector<std::wstring> cleanupFolders_;
};

TEST_F(LoggerTest, NewFileHoldsBomHeaderAndStampedLines) {
  const std::wstring path = InFolder(L"run.log");
  {
    Logger logger;
    logger.SetLogFile(path);
    EXPECT_FALSE(Exists(path)) << "the file is opened by the first line only";
    logger.WriteLine(L"Searching for prerequisites");
    logger.WriteLine(L"first\r\nsecond");
    EXPECT_EQ(logger.Path(), path);
    // Everything is on disk while the file is still open.
    const std::string bytes = ReadBytes(path);
    ASSERT_GE(bytes.size(), 2u);
    EXPECT_EQ(bytes.substr(0, 2), std::string("\xFF\xFE"));
  }
  const std::wstring text = ReadLogText(path);
  ASSERT_EQ(text.rfind(ExpectedHeaderStart(), 0), 0u) << "header must open the file";
  const std::size_t cpuEnd = text.find(L"\r\n", ExpectedHeaderStart().size());
  ASSERT_NE(cpuEnd, std::wstring::npos);
  EXPECT_GT(cpuEnd, ExpectedHeaderStart().size()) << "processor name missing";
  const std::wstring lines = text.substr(cpuEnd + 2);
  const std::wstring stamp = L"\\d{4}-\\d{2}-\\d{2} \\d{2}-\\d{2}-\\d{2}-";
  EXPECT_TRUE(std::regex_match(lines, std::wregex(L"\r\n" + stamp + L"Searching for prerequisites\r\n" + stamp +
                                                  L"first\r\nsecond\r\n")))
      << "header ends with an empty line, then the stamped lines";
}

TEST_F(LoggerTest, ReopeningAppendsWithoutBomAfterTheEndLine) {
  const std::wstring path = InFolder(L"shared.log");
  {
    Logger first;
    first.SetLogFile(path);
    first.WriteLine(L"run one");
    ScopedLoggingEnabled on(true);
    first.WriteEndLine();
  }
  {
    Logger second;
    second.SetLogFile(path);
    second.WriteLine(L"run two");
  }
  const std::string bytes = ReadBytes(path);
  EXPECT_EQ(bytes.find("\xFF\xFE"), 0u);
  EXPECT_EQ(bytes.find("\xFF\xFE", 2), std::string::npos) << "a reused file gets no second byte-order mark";
  const std::wstring text = ReadLogText(path);
  EXPECT_EQ(CountOf(text, kLogBanner), 2u);
  EXPECT_EQ(CountOf(text, std::wstring(kLogEndLine) + kLogLineBreak + kLogBanner), 1u)
      << "the second run starts right after the first run's end line";
  EXPECT_TRUE(std::regex_search(text, StampedLine(L"=+End of Log=+\r\n")));
  EXPECT_TRUE(std::regex_search(text, StampedLine(L"run two")));
}

TEST_F(LoggerTest, EndLineOnlyWhileLoggingIsEnabled) {
  const std::wstring path = InFolder(L"quiet.log");
  Logger logger;
  logger.SetLogFile(path);
  {
    ScopedLoggingEnabled off(false);
    logger.WriteEndLine();
  }
  EXPECT_FALSE(Exists(path));
  {
    ScopedLoggingEnabled on(true);
    logger.WriteEndLine();
  }
  const std::wstring text = ReadLogText(path);
  EXPECT_EQ(text.size() - text.rfind(L"=\r\n\r\n"), 5u) << "the log ends with an empty line";
}

TEST_F(LoggerTest, SetLogFileIsIgnoredWhileAFileIsOpen) {
  const std::wstring first = InFolder(L"first.log");
  const std::wstring second = InFolder(L"second.log");
  Logger logger;
  logger.SetLogFile(first);
  logger.SetLogFile(second);  // no file yet: the later path wins
  logger.WriteLine(L"one");
  EXPECT_EQ(logger.Path(), second);
  logger.SetLogFile(first);
  logger.WriteLine(L"two");
  EXPECT_EQ(logger.Path(), second);
  EXPECT_FALSE(Exists(first));
  EXPECT_EQ(CountOf(ReadLogText(second), kLogBanner), 1u) << "the header is written once per opening";
}

TEST_F(LoggerTest, UnopenablePathFallsBackToTheCommonLogFolder) {
  const std::wstring common = CommonLogFolder();
  ASSERT_FALSE(common.empty());
  const bool folderExisted = Exists(common);
  const std::wstring name = UniqueName(L"logger-test-") + L".LOG";
  const std::wstring expected = common + L"\\" + name;
  cleanupFiles_.push_back(expected);
  if (!folderExisted) cleanupFolders_.push_back(common);

  Logger logger(name);
  logger.SetLogFile(InFolder(L"missing\\run.log"));
  logger.WriteLine(L"moved");
  EXPECT_EQ(logger.Path(), expected);
  EXPECT_EQ(ReadLogText(expected).rfind(ExpectedHeaderStart(), 0), 0u);

  if (folderExisted) return;
  // A folder the logger created lets every account write.
  PACL dacl = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  ASSERT_EQ(GetNamedSecurityInfoW(common.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr,
                                  &dacl, nullptr, &descriptor),
            static_cast<DWORD>(ERROR_SUCCESS));
  PSID everyone = nullptr;
  ASSERT_TRUE(ConvertStringSidToSidW(L"S-1-1-0", &everyone));
  bool everyoneAllowed = false;
  for (DWORD i = 0; dacl != nullptr && i < dacl->AceCount; ++i) {
    ACCESS_ALLOWED_ACE* ace = nullptr;
    if (GetAce(dacl, i, reinterpret_cast<void**>(&ace)) && ace->Header.AceType == ACCESS_ALLOWED_ACE_TYPE &&
        EqualSid(reinterpret_cast<PSID>(&ace->SidStart), everyone)) {
      everyoneAllowed = true;
    }
  }
  LocalFree(everyone);
  LocalFree(descriptor);
  EXPECT_TRUE(everyoneAllowed);
}

TEST_F(LoggerTest, LaterFallbacksBesideTheExecutableThenInANewTempFolder) {
  const std::wstring common = CommonLogFolder();
  ASSERT_FALSE(common.empty());
  if (!Exists(common)) {
    ASSERT_TRUE(CreateDirectoryW(common.c_str(), nullptr));
    cleanupFolders_.push_back(common);
  }
  const std::wstring name = UniqueName(L"logger-test-") + L".LOG";
  Block(common + L"\\" + name);

  const std::wstring besideExe = ExecutableLogPath();
  ASSERT_FALSE(Exists(besideExe)) << "stale file in the way";
  cleanupFiles_.push_back(besideExe);
  {
    Logger logger(name);
    logger.WriteLine(L"beside");
    EXPECT_EQ(logger.Path(), besideExe);
  }
  EXPECT_EQ(CountOf(ReadLogText(besideExe), L"-beside\r\n"), 1u);
  ASSERT_TRUE(DeleteFileW(besideExe.c_str()));
  Block(besideExe);

  const std::wstring tempLogs = TempPath() + kLogFolderName;
  if (Exists(tempLogs) && !IsEmptyFolder(tempLogs)) GTEST_SKIP() << "the temporary log folder is in use";
  RemoveDirectoryW(tempLogs.c_str());
  const std::wstring inTemp = tempLogs + L"\\" + name;
  cleanupFolders_.insert(cleanupFolders_.begin(), tempLogs);
  cleanupFiles_.push_back(inTemp);
  {
    Logger logger(name);
    logger.WriteLine(L"in temp");
    EXPECT_EQ(logger.Path(), inTemp);
  }
  EXPECT_EQ(CountOf(ReadLogText(inTemp), L"-in temp\r\n"), 1u);

  // The temporary folder counts only when this run creates it: now the line is lost.
  Logger late(name);
  late.WriteLine(L"lost");
  EXPECT_TRUE(late.Path().empty());
  EXPECT_EQ(CountOf(ReadLogText(inTemp), L"lost"), 0u);
}

}  // namespace
}  // namespace tessaro
