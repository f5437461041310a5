#include "config/effective_folders.h"

#include "config/chainer_options.h"
#include "platform/paths.h"
#include "platform/properties.h"

namespace tessaro {
namespace {

constexpr wchar_t kBackslash = L'\\';

std::wstring WithBackslash(std::wstring path) {
  if (path.empty() || path.back() != kBackslash) path += kBackslash;
  return path;
}

// Filled on first use and kept for the whole process, so every step of a run
// works with the same folder even if the environment changes underneath.
struct FolderCache {
  bool computed = false;
  std::wstring folder;
};

enum class LoadForm { AsRead, FullPath };

const std::wstring& Effective(FolderCache& cache, LoadForm form, std::wstring& field,
                              const std::wstring& defaultProdCode) {
  if (!cache.computed) {
    const std::wstring configured = form == LoadForm::FullPath ? LoadedExtractionFolder(field) : field;
    cache.folder = EffectiveFolder(configured, defaultProdCode);
    cache.computed = true;
  }
  field = cache.folder;
  return field;
}

}  // namespace

std::wstring EffectiveFolder(const std::wstring& configured, const std::wstring& defaultProdCode) {
  if (!configured.empty()) return WithBackslash(MakeFullPath(ResolveProperties(configured, false)));
  return WithBackslash(GetTempFolder() + defaultProdCode);
}

std::wstring LoadedExtractionFolder(const std::wstring& configured) {
  if (configured.empty()) return configured;
  // A text with property references is made a full path only once they are
  // expanded: "[TempFolder]x" must not become "<current folder>\[TempFolder]x".
  if (configured.find_first_of(L"[%!") != std::wstring::npos) return configured;
  return WithBackslash(MakeFullPath(configured));
}

const std::wstring& ChainerOptions::GetDownloadFolder() {
  static FolderCache cache;
  return Effective(cache, LoadForm::AsRead, general.downloadFolder, general.defaultProdCode);
}

const std::wstring& ChainerOptions::GetExtractionFolder() {
  static FolderCache cache;
  // The loader keeps the text as read; the full-path form that the loaded
  // option stands for is made here, where the file system is at hand.
  return Effective(cache, LoadForm::FullPath, general.extractionFolder, general.defaultProdCode);
}

}  // namespace tessaro
