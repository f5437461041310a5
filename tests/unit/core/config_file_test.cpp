#include <gtest/gtest.h>

#include <string>

#include "core/config_path.h"
#include "platform/handles.h"

namespace tessaro {
namespace {

// A temporary folder of its own, removed with everything in it afterwards.
class ConfigFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    wchar_t temp[MAX_PATH];
    ASSERT_GT(GetTempPathW(MAX_PATH, temp), 0u);
    static int counter = 0;
    folder_ = std::wstring(temp) + L"tessaro_config_" + std::to_wstring(GetCurrentProcessId()) + L"_" +
              std::to_wstring(++counter);
    ASSERT_TRUE(CreateDirectoryW(folder_.c_str(), nullptr));
    path_ = folder_ + L"\\setup.ini";
  }
  void TearDown() override {
    DeleteFileW(path_.c_str());
    RemoveDirectoryW(path_.c_str());
    RemoveDirectoryW(folder_.c_str());
  }

  // Writes the byte-order mark and |text| as UTF-16LE.
  void WriteUtf16(const std::wstring& text) const {
    UniqueFile file(
        CreateFileW(path_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(file);
    const std::wstring bytes = L"\xFEFF" + text;  // wchar_t is UTF-16LE here
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size() * 2), &written, nullptr));
  }

  std::wstring folder_;
  std::wstring path_;
};

TEST_F(ConfigFileTest, ReadsUtf16AfterTheMarkAndReportsAbsence) {
  ConfigDocument document;
  EXPECT_EQ(ReadConfigFile(path_, document), ConfigFileRead::Absent);
  EXPECT_TRUE(document.Sections().empty());

  WriteUtf16(L"[PREREQ_CHAINER]\r\nLogFile=C:\\\u00e9t\u00e9.log\r\n");
  EXPECT_EQ(ReadConfigFile(path_, document), ConfigFileRead::Read);
  std::wstring value;
  EXPECT_TRUE(document.GetValue(L"PREREQ_CHAINER", L"LogFile", value));
  EXPECT_EQ(value, L"C:\\\u00e9t\u00e9.log");
}

TEST_F(ConfigFileTest, FileThatCannotBeOpenedIsUnreadable) {
  WriteUtf16(L"[First]\r\nA=1\r\n");
  {
    // Someone holds it open without sharing reads.
    UniqueFile locked(
        CreateFileW(path_.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(locked);
    ConfigDocument document;
    EXPECT_EQ(ReadConfigFile(path_, document), ConfigFileRead::Unreadable);
    EXPECT_TRUE(document.Sections().empty());
  }
  // A folder under the configuration's name is found but cannot be read.
  ASSERT_TRUE(DeleteFileW(path_.c_str()));
  ASSERT_TRUE(CreateDirectoryW(path_.c_str(), nullptr));
  ConfigDocument document;
  EXPECT_EQ(ReadConfigFile(path_, document), ConfigFileRead::Unreadable);
}

}  // namespace
}  // namespace tessaro
