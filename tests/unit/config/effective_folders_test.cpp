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

// Each test runs in a fresh current directory, removed afterwards.
class EffectiveFolderTest : public ::testing::Test {
 protected:
  test_support::ScratchFolder folder_;
  test_support::ScopedCurrentDirectory inFolder_{folder_.Path()};
  const std::wstring current_ = folder_.Path() + L"\\";
};

TEST_F(EffectiveFolderTest, ExpandedConfiguredFolderOrTemporaryFolderPlusProductCode) {
  EXPECT_EQ(EffectiveFolder(L"", L""), TempPath());
  EXPECT_EQ(EffectiveFolder(L"", L"{1234-ABCD}"), TempPath() + L"{1234-ABCD}\\");
  EXPECT_EQ(EffectiveFolder(L"", L"{1234-ABCD}\\"), TempPath() + L"{1234-ABCD}\\");
  // Configured folders become full paths with a backslash, after expansion.
  EXPECT_EQ(EffectiveFolder(L".\\dl", L"ignored"), current_ + L"dl\\");
  EXPECT_EQ(EffectiveFolder(L"dl\\", L""), current_ + L"dl\\");
  EXPECT_EQ(EffectiveFolder(L"[TempFolder]dl", L""), TempPath() + L"dl\\");
}

TEST_F(EffectiveFolderTest, LoadedExtractionFolderKeepsReferencesForLaterExpansion) {
  EXPECT_EQ(LoadedExtractionFolder(L""), L"");
  EXPECT_EQ(LoadedExtractionFolder(L"ex"), current_ + L"ex\\");
  EXPECT_EQ(LoadedExtractionFolder(L"D:\\ex\\"), L"D:\\ex\\");
  EXPECT_EQ(LoadedExtractionFolder(L"[TempFolder]x"), L"[TempFolder]x");
  EXPECT_EQ(EffectiveFolder(LoadedExtractionFolder(L"[TempFolder]x"), L""), TempPath() + L"x\\");
}

// Each options object computes its folders once and keeps them; another
// object computes its own.
TEST_F(EffectiveFolderTest, OptionsComputeTheFoldersOnceAndReplaceTheFields) {
  ChainerOptions options;
  options.general.downloadFolder = L".\\dl";
  options.general.extractionFolder = L"ex";
  options.general.defaultProdCode = L"{P}";
  EXPECT_EQ(options.GetDownloadFolder(), current_ + L"dl\\");
  EXPECT_EQ(options.general.downloadFolder, current_ + L"dl\\");
  EXPECT_EQ(options.GetExtractionFolder(), current_ + L"ex\\");
  EXPECT_EQ(options.general.extractionFolder, current_ + L"ex\\");

  // A later change of the current directory changes nothing for this object.
  SetCurrentDirectoryW(TempPath().c_str());
  EXPECT_EQ(options.GetDownloadFolder(), current_ + L"dl\\");
  EXPECT_EQ(options.GetExtractionFolder(), current_ + L"ex\\");

  ChainerOptions other;
  other.general.downloadFolder = L"elsewhere";
  EXPECT_EQ(other.GetDownloadFolder(), TempPath() + L"elsewhere\\");
  EXPECT_EQ(other.GetExtractionFolder(), TempPath());
}

}  // namespace
}  // namespace tessaro
