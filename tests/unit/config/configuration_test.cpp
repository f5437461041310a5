// What the configuration becomes on Windows: the folders it names, and the
// blanks its keys and values lose.
#include <gtest/gtest.h>
#include <windows.h>

#include <cwctype>
#include <string>

#include "config/chainer_options.h"
#include "config/config_document.h"
#include "config/effective_folders.h"
#include "test_support.h"

namespace tessaro {
namespace {

std::wstring TempPath() {
  wchar_t temp[MAX_PATH + 1] = {};
  EXPECT_GT(GetTempPathW(MAX_PATH + 1, temp), 0u);
  return temp;
}

TEST(EffectiveFolder, ConfiguredOrTemporaryPlusProductCodeComputedOncePerOptions) {
  test_support::ScratchFolder folder;
  test_support::ScopedCurrentDirectory inFolder{folder.Path()};
  const std::wstring current = folder.Path() + L"\\";
  for (const wchar_t* code : {L"{1234-ABCD}", L"{1234-ABCD}\\"}) {
    EXPECT_EQ(EffectiveFolder(L"", code), TempPath() + L"{1234-ABCD}\\");
    EXPECT_EQ(EffectiveFolder(L"dl\\", code), current + L"dl\\");
  }
  // References are expanded before the text becomes a full path, never after.
  EXPECT_EQ(LoadedExtractionFolder(L"[TempFolder]x"), L"[TempFolder]x");
  EXPECT_EQ(EffectiveFolder(LoadedExtractionFolder(L"[TempFolder]x"), L""), TempPath() + L"x\\");

  ChainerOptions options;
  options.general.downloadFolder = L".\\dl";
  options.general.extractionFolder = L"ex";
  EXPECT_EQ(options.GetDownloadFolder(), current + L"dl\\");
  EXPECT_EQ(options.GetExtractionFolder(), current + L"ex\\");
  // A later change of the current directory changes nothing for this object, while another computes its own.
  SetCurrentDirectoryW(TempPath().c_str());
  EXPECT_EQ(options.GetDownloadFolder() + options.GetExtractionFolder(), current + L"dl\\" + current + L"ex\\");
  ChainerOptions other;
  EXPECT_EQ(other.GetExtractionFolder(), TempPath());
}

// The parser trims with its own table of blanks so that every build trims
// alike; here it is held against the Windows runtime it copies.
TEST(ConfigParseWide, TrimsExactlyTheRuntimesBlanks) {
  for (unsigned code = 0; code <= 0xFFFF; ++code) {
    const auto c = static_cast<wchar_t>(code);
    EXPECT_EQ(IsWindowsBlank(c), std::iswspace(static_cast<wint_t>(c)) != 0) << std::hex << code;
  }
}

}  // namespace
}  // namespace tessaro
