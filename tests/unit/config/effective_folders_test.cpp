#include "config/effective_folders.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "config/chainer_options.h"
#include "platform/paths.h"

namespace tessaro {
namespace {

std::wstring TempPath() {
  wchar_t temp[MAX_PATH + 1] = {};
  EXPECT_GT(GetTempPathW(MAX_PATH + 1, temp), 0u);
  return temp;
}

// A fresh folder made the current directory for one test, then removed.
class CurrentDirectory {
 public:
  CurrentDirectory() {
    wchar_t old[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, old);
    old_ = old;
    folder_ = TempPath() + L"tessaro_effective_" + std::to_wstring(GetCurrentProcessId()) + L"\\";
    EXPECT_TRUE(CreateDirectoryW(folder_.c_str(), nullptr));
    EXPECT_TRUE(SetCurrentDirectoryW(folder_.c_str()));
  }
  ~CurrentDirectory() {
    SetCurrentDirectoryW(old_.c_str());
    RemoveDirectoryW(folder_.c_str());
  }
  [[nodiscard]] const std::wstring& Folder() const { return folder_; }

 private:
  std::wstring old_;
  std::wstring folder_;
};

TEST(EffectiveFolder, WithoutAFolderItIsTheTemporaryFolderPlusTheProductCode) {
  EXPECT_EQ(EffectiveFolder(L"", L""), TempPath());
  EXPECT_EQ(EffectiveFolder(L"", L"{1234-ABCD}"), TempPath() + L"{1234-ABCD}\\");
  EXPECT_EQ(EffectiveFolder(L"", L"{1234-ABCD}\\"), TempPath() + L"{1234-ABCD}\\");
}

TEST(EffectiveFolder, ConfiguredFoldersBecomeFullPathsWithABackslash) {
  CurrentDirectory current;
  EXPECT_EQ(EffectiveFolder(L".\\dl", L"ignored"), current.Folder() + L"dl\\");
  EXPECT_EQ(EffectiveFolder(L"dl\\", L""), current.Folder() + L"dl\\");
  EXPECT_EQ(EffectiveFolder(L"C:\\a\\..\\b", L""), L"C:\\b\\");
}

TEST(EffectiveFolder, PropertiesAreExpandedBeforeTheFullPathIsMade) {
  EXPECT_EQ(EffectiveFolder(L"[TempFolder]dl", L""), TempPath() + L"dl\\");
  ASSERT_TRUE(SetEnvironmentVariableW(L"TESSARO_EFFECTIVE_TEST", L"C:\\from env"));
  EXPECT_EQ(EffectiveFolder(L"%TESSARO_EFFECTIVE_TEST%\\dl", L""), L"C:\\from env\\dl\\");
  SetEnvironmentVariableW(L"TESSARO_EFFECTIVE_TEST", nullptr);
}

TEST(LoadedExtractionFolder, RelativeTextBecomesAFullPath) {
  CurrentDirectory current;
  EXPECT_EQ(LoadedExtractionFolder(L""), L"");
  EXPECT_EQ(LoadedExtractionFolder(L"ex"), current.Folder() + L"ex\\");
  EXPECT_EQ(LoadedExtractionFolder(L"D:\\ex\\"), L"D:\\ex\\");
  // References must survive until expansion; the effective folder then is whole.
  EXPECT_EQ(LoadedExtractionFolder(L"[TempFolder]x"), L"[TempFolder]x");
  EXPECT_EQ(EffectiveFolder(LoadedExtractionFolder(L"[TempFolder]x"), L""), TempPath() + L"x\\");
}

// The only test in this program that asks the options: the answers are kept
// for the whole process.
TEST(ChainerOptions, EffectiveFoldersAreComputedOnceAndReplaceTheFields) {
  CurrentDirectory current;
  ChainerOptions options;
  options.general.downloadFolder = L".\\dl";
  options.general.extractionFolder = L"ex";
  options.general.defaultProdCode = L"{P}";
  EXPECT_EQ(options.GetDownloadFolder(), current.Folder() + L"dl\\");
  EXPECT_EQ(options.general.downloadFolder, current.Folder() + L"dl\\");
  EXPECT_EQ(options.GetExtractionFolder(), current.Folder() + L"ex\\");
  EXPECT_EQ(options.general.extractionFolder, current.Folder() + L"ex\\");

  // A later change of the configured text or the current directory changes nothing.
  ChainerOptions other;
  other.general.downloadFolder = L"elsewhere";
  SetCurrentDirectoryW(TempPath().c_str());
  EXPECT_EQ(other.GetDownloadFolder(), current.Folder() + L"dl\\");
  EXPECT_EQ(other.general.downloadFolder, current.Folder() + L"dl\\");
  EXPECT_EQ(other.GetExtractionFolder(), current.Folder() + L"ex\\");
}

}  // namespace
}  // namespace tessaro
