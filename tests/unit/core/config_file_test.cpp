#include <gtest/gtest.h>

#include <string>

#include "core/config_path.h"
#include "platform/handles.h"
#include "test_support.h"

namespace tessaro {
namespace {

class ConfigFileTest : public ::testing::Test {
 protected:
  void WriteUtf16(const std::wstring& text) const {
    const std::wstring units = L"\xFEFF" + text;  // wchar_t is UTF-16LE here
    test_support::MakeFile(path_, FILE_ATTRIBUTE_NORMAL,
                           std::string(reinterpret_cast<const char*>(units.data()), units.size() * 2));
  }

  test_support::ScratchFolder folder_;
  const std::wstring path_ = folder_ / L"setup.ini";
};

// Surrogate halves and code units above U+00FF come through the reader intact.
TEST_F(ConfigFileTest, ReadsUtf16AfterTheMarkAndReportsAbsence) {
  ConfigDocument document;
  EXPECT_EQ(ReadConfigFile(path_, document), ConfigFileRead::Absent);
  EXPECT_TRUE(document.Sections().empty());

  const std::wstring folder = L"C:\\D\xE9j\xE0\\\xD83D\xDE00\\\x4E2D\x6587";
  WriteUtf16(L"[\x4E2D\x6587]\r\nDownloadFolder=" + folder + L"\r\n");
  EXPECT_EQ(ReadConfigFile(path_, document), ConfigFileRead::Read);
  std::wstring value;
  EXPECT_TRUE(document.GetValue(L"\x4E2D\x6587", L"DownloadFolder", value));
  EXPECT_EQ(value, folder);
}

TEST_F(ConfigFileTest, FileThatCannotBeOpenedIsUnreadable) {
  WriteUtf16(L"[First]\r\nA=1\r\n");
  {
    // Someone holds it open without sharing reads.
    const UniqueFile locked(
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
