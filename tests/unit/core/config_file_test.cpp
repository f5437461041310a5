#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/chainer_app.h"
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

  void WriteBytes(const std::vector<unsigned char>& bytes) const {
    UniqueFile file(CreateFileW(path_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(file);
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr));
  }
  // The byte-order mark and the UTF-16LE bytes of |text|. (Files that are
  // short, odd-sized or carry other lead bytes are run end to end.)
  static std::vector<unsigned char> Utf16(const std::wstring& text) {
    std::vector<unsigned char> lead = {0xFF, 0xFE};
    for (wchar_t c : text) {
      lead.push_back(static_cast<unsigned char>(c & 0xFF));
      lead.push_back(static_cast<unsigned char>((c >> 8) & 0xFF));
    }
    return lead;
  }
  static std::wstring Value(const ConfigDocument& document, const wchar_t* section, const wchar_t* key) {
    std::wstring value = L"<none>";
    (void)document.GetValue(section, key, value);
    return value;
  }

  std::wstring folder_;
  std::wstring path_;
};

TEST_F(ConfigFileTest, AbsentFileIsReportedAndLeavesTheDocumentAlone) {
  ConfigDocument document;
  EXPECT_EQ(ReadConfigFile(path_, document), ConfigFileRead::Absent);
  EXPECT_TRUE(document.Sections().empty());
}

TEST_F(ConfigFileTest, ReadsUtf16AfterTheMark) {
  WriteBytes(Utf16(L"[GeneralOptions]\r\nOptions=qb\r\n[PREREQ_CHAINER]\r\nLogFile=C:\\\u00e9t\u00e9.log\r\n"));
  ConfigDocument document;
  EXPECT_EQ(ReadConfigFile(path_, document), ConfigFileRead::Read);
  EXPECT_EQ(Value(document, L"GeneralOptions", L"Options"), L"qb");
  EXPECT_EQ(Value(document, L"PREREQ_CHAINER", L"LogFile"), L"C:\\\u00e9t\u00e9.log");
}

TEST_F(ConfigFileTest, FileThatCannotBeOpenedIsUnreadable) {
  WriteBytes(Utf16(L"[First]\r\nA=1\r\n"));
  {
    // Someone holds it open without sharing reads.
    UniqueFile locked(CreateFileW(path_.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
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
