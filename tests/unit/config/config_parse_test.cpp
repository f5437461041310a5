// The parser where wchar_t is 16 bits: file bytes as start-up reads them
// (byte-order mark skipped), surrogate halves and high code units intact.
#include <gtest/gtest.h>

#include <string>

#include "config/config_document.h"
#include "config/options_loader.h"

namespace tessaro {
namespace {

std::string Utf16LeBytes(const std::wstring& text) {
  std::string bytes;
  for (wchar_t unit : text) {
    bytes.push_back(static_cast<char>(unit & 0xFF));
    bytes.push_back(static_cast<char>((unit >> 8) & 0xFF));
  }
  return bytes;
}

ConfigDocument ParsedFileBytes(const std::string& file) {
  constexpr std::size_t kSkippedBytes = 2;
  ConfigDocument document;
  document.Parse(DecodeUtf16Le(reinterpret_cast<const unsigned char*>(file.data()) + kSkippedBytes,
                               file.size() - kSkippedBytes));
  return document;
}

TEST(ConfigParseWide, FileBytesToOptions) {
  const std::wstring text =
      L"\xFEFF[GeneralOptions]\r\nOptions=b\r\nDownloadFolder=C:\\D\xE9j\xE0\\\xD83D\xDE00\r\n"
      L"[PREREQUISITES]\r\nApp1=\x4E2D\x6587\r\n[\x4E2D\x6587]\r\nUrl=http://127.0.0.1/x\r\n";
  ConfigDocument document = ParsedFileBytes(Utf16LeBytes(text) + "\x01");  // odd last byte

  ChainerOptions options;
  EXPECT_TRUE(LoadGeneralOptions(document, options.general));
  EXPECT_TRUE(options.IsBasicUi());
  EXPECT_EQ(options.general.downloadFolder, L"C:\\D\xE9j\xE0\\\xD83D\xDE00");

  LoadPrerequisites(document, options, nullptr);
  ASSERT_EQ(options.prerequisites.size(), 1u);
  EXPECT_EQ(options.prerequisites[0].name, L"\x4E2D\x6587");
  EXPECT_EQ(options.prerequisites[0].sourceKind, SourceKind::Download);
}

TEST(ConfigParseWide, FirstCharacterLostWithoutByteOrderMark) {
  // Start-up skips two bytes whatever they are, so "[" goes and no header is left.
  ConfigDocument document = ParsedFileBytes(Utf16LeBytes(L"[S]\r\nk=v\r\n"));
  std::wstring value = L"unchanged";
  EXPECT_FALSE(document.GetValue(L"S", L"k", value));
  EXPECT_EQ(value, L"unchanged");
  EXPECT_TRUE(document.Sections().empty());
}

}  // namespace
}  // namespace tessaro
