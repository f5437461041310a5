#pragma once
// Filling ChainerOptions from a ConfigDocument. Nothing here logs or fails
// loudly: a broken prerequisite entry simply ends the list at that point.
#include <cstdint>
#include <string>
#include <vector>

#include "config/chainer_options.h"
#include "config/config_document.h"

namespace tessaro {

struct ChainerSection {
  std::wstring cleanupFiles;
  std::wstring cleanupFolders;
  std::wstring logFile;
};

// Expands properties in Url and OpenSite locations; none leaves them as read.
using LocationExpander = std::wstring (*)(const std::wstring& location);

bool LoadGeneralOptions(const ConfigDocument& document, GeneralOptions& options);
void LoadPrerequisites(const ConfigDocument& document, ChainerOptions& options, LocationExpander expand);
[[nodiscard]] bool LoadPrerequisite(const ConfigDocument& document, int index, Prerequisite& record);
[[nodiscard]] bool LoadSearches(const ConfigSection& section, std::vector<PrereqSearch>& searches);
[[nodiscard]] bool LoadChainerSection(const ConfigDocument& document, ChainerSection& chainer);

}  // namespace tessaro
