// The parser where wchar_t is 16 bits: file bytes as start-up reads them
// (byte-order mark skipped), surrogate halves and high code units intact.
#include <gtest/gtest.h>

#include <cwctype>
#include <string>

#include "config/config_document.h"
#include "config/options_loader.h"

namespace tessaro {
namespace {

// wchar_t is UTF-16LE here, so its bytes are the file's.
std::string Utf16LeBytes(const std::wstring& text) {
  return std::string(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
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
  EXPECT_TRUE(ParsedFileBytes(Utf16LeBytes(L"[S]\r\nk=v\r\n")).Sections().empty());
}

TEST(ConfigParseWide, TrimsExactlyTheRuntimesBlanks) {
  for (unsigned code = 0; code <= 0xFFFF; ++code) {
    const auto c = static_cast<wchar_t>(code);
    EXPECT_EQ(IsWindowsBlank(c), std::iswspace(static_cast<wint_t>(c)) != 0) << std::hex << code;
  }
}

}  // namespace
}  // namespace tessaro
