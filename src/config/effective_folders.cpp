#include "config/effective_folders.h"

#include "config/chainer_options.h"
#include "platform/paths.h"
#include "platform/properties.h"

namespace tessaro {

std::wstring EffectiveFolder(const std::wstring& configured, const std::wstring& defaultProdCode) {
  if (!configured.empty()) return WithTrailingBackslash(MakeFullPath(ResolveProperties(configured, false)));
  return WithTrailingBackslash(GetTempFolder() + defaultProdCode);
}

std::wstring LoadedExtractionFolder(const std::wstring& configured) {
  if (configured.empty()) return configured;
  // A text with property references is made a full path only once they are
  // expanded: "[TempFolder]x" must not become "<current folder>\[TempFolder]x".
  if (configured.find_first_of(L"[%!") != std::wstring::npos) return configured;
  return WithTrailingBackslash(MakeFullPath(configured));
}

const std::wstring& ChainerOptions::GetDownloadFolder() {
  if (!downloadFolderComputed_) {
    general.downloadFolder = EffectiveFolder(general.downloadFolder, general.defaultProdCode);
    downloadFolderComputed_ = true;
  }
  return general.downloadFolder;
}

const std::wstring& ChainerOptions::GetExtractionFolder() {
  if (!extractionFolderComputed_) {
    // The loader keeps the text as read; the full-path form that the loaded
    // option stands for is made here, where the file system is at hand.
    general.extractionFolder =
        EffectiveFolder(LoadedExtractionFolder(general.extractionFolder), general.defaultProdCode);
    extractionFolderComputed_ = true;
  }
  return general.extractionFolder;
}

}  // namespace tessaro
