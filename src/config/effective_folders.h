#pragma once
// How the configured download and extraction folders become the folders that
// are really used. ChainerOptions keeps the results; these functions compute
// them afresh.
#include <string>

namespace tessaro {

// A configured folder: references expanded, made a full path, ending with
// "\". None configured: the temporary folder, then |defaultProdCode| and "\".
[[nodiscard]] std::wstring EffectiveFolder(const std::wstring& configured, const std::wstring& defaultProdCode);
// The extraction folder as the options hold it once loaded: a full path
// ending with "\" (empty stays empty); a text with property references
// stays as read until they are expanded.
[[nodiscard]] std::wstring LoadedExtractionFolder(const std::wstring& configured);

}  // namespace tessaro
