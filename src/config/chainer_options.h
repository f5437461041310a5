#pragma once
// The general options and the prerequisite records, as loaded from the
// configuration.
#include <cstdint>
#include <string>
#include <vector>

#include "config/prerequisite.h"
#include "config/option_letters.h"

namespace tessaro {

struct GeneralOptions {
  std::wstring mainAppCmdLine;
  std::wstring options;
  std::wstring updatesUrl;
  std::wstring productVersion;
  std::wstring minWiVer;
  std::wstring downloadFolder;
  std::wstring mainAppUrl;
  std::wstring uwpAppxUrl;
  std::wstring languageList;
  std::wstring extractionFolder;
  std::int32_t keepFiles = 0;
  bool packJars = false;
  bool allPlatforms = false;
  bool is64PlatformTransf = false;
  std::wstring langs;
  std::wstring packageCode;
  std::wstring defaultProdCode;
  std::wstring productCode;
  std::wstring upgradeCode;
  bool extUiStub = false;
  std::wstring saveExtUiStub;
  std::wstring fileExtractFirst;
  std::wstring msiCertData;
  std::wstring appxVersion;
  std::wstring appxPkId;
};

inline constexpr std::int32_t kKeepFilesMinimum = 1;
inline constexpr std::int32_t kKeepFilesComplete = 2;
inline constexpr std::int32_t kKeepFilesPrereqs = 5;

class ChainerOptions {
 public:
  GeneralOptions general;
  std::vector<Prerequisite> prerequisites;

  [[nodiscard]] bool IsSilent() const { return general.options.find(kOptionSilent) != std::wstring::npos; }
  [[nodiscard]] bool IsBasicUi() const { return general.options.find(kOptionBasicUi) != std::wstring::npos; }
  // The effective folders, computed on first use and then kept in the
  // option fields, so that every step of a run works with the same folder
  // even if the environment changes underneath (Windows builds only). Each
  // ends with "\".
  [[nodiscard]] const std::wstring& GetDownloadFolder();
  [[nodiscard]] const std::wstring& GetExtractionFolder();

 private:
  bool downloadFolderComputed_ = false;
  bool extractionFolderComputed_ = false;
};

}  // namespace tessaro
