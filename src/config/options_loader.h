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

// Each loader tells |observer|, when one is given, what it read and what it
// dropped (see LoadObserver); the product passes none.
bool LoadGeneralOptions(const ConfigDocument& document, GeneralOptions& options, LoadObserver* observer = nullptr);
void LoadPrerequisites(const ConfigDocument& document, ChainerOptions& options, LocationExpander expand,
                       LoadObserver* observer = nullptr);
[[nodiscard]] bool LoadPrerequisite(const ConfigDocument& document, int index, Prerequisite& record,
                                    LoadObserver* observer = nullptr);
[[nodiscard]] bool LoadSearches(const ConfigSection& section, std::vector<PrereqSearch>& searches,
                                LoadObserver* observer = nullptr);
[[nodiscard]] bool LoadChainerSection(const ConfigDocument& document, ChainerSection& chainer,
                                      LoadObserver* observer = nullptr);

}  // namespace tessaro
