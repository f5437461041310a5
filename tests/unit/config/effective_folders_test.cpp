#include "config/effective_folders.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "config/chainer_options.h"
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
  EXPECT_EQ(EffectiveFolder(L"", L"{1234-ABCD}"), TempPath() + L"{1234-ABCD}\\");
  EXPECT_EQ(EffectiveFolder(L"", L"{1234-ABCD}\\"), TempPath() + L"{1234-ABCD}\\");
  EXPECT_EQ(EffectiveFolder(L"dl\\", L"ignored"), current + L"dl\\");
  // References are expanded before the text becomes a full path, never after.
  EXPECT_EQ(LoadedExtractionFolder(L"[TempFolder]x"), L"[TempFolder]x");
  EXPECT_EQ(EffectiveFolder(LoadedExtractionFolder(L"[TempFolder]x"), L""), TempPath() + L"x\\");

  ChainerOptions options;
  options.general.downloadFolder = L".\\dl";
  options.general.extractionFolder = L"ex";
  EXPECT_EQ(options.GetDownloadFolder(), current + L"dl\\");
  EXPECT_EQ(options.GetExtractionFolder(), current + L"ex\\");
  // A later change of the current directory changes nothing for this object,
  // while another object computes its own.
  SetCurrentDirectoryW(TempPath().c_str());
  EXPECT_EQ(options.GetDownloadFolder(), current + L"dl\\");
  EXPECT_EQ(options.GetExtractionFolder(), current + L"ex\\");
  ChainerOptions other;
  other.general.downloadFolder = L"elsewhere";
  EXPECT_EQ(other.GetDownloadFolder(), TempPath() + L"elsewhere\\");
  EXPECT_EQ(other.GetExtractionFolder(), TempPath());
}

}  // namespace
}  // namespace tessaro
