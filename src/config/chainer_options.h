#pragma once
// The general options and the prerequisite records, as loaded from the
// configuration.
#include <cstdint>
#include <string>
#include <vector>

#include "config/prerequisite.h"
#include "config/option_letters.h"

namespace tessaro {

// Only what a run acts on. The other general keys are looked up for the
// checker's sake and stored nowhere (LoadGeneralOptions).
struct GeneralOptions {
  std::wstring options;
  std::wstring downloadFolder;
  std::wstring extractionFolder;
  std::int32_t keepFiles = 0;
  std::wstring defaultProdCode;
  // A run that ends with a restart pending starts again after it.
  bool resumeAfterReboot = false;
  // WinINet's texts: "host:port" or "http=host:port https=host:port", and
  // the hosts reached without it. An empty proxy keeps the system's settings.
  std::wstring proxy;
  std::wstring proxyBypass;
  std::wstring productName;  // the windows' titles, instead of the executable's own
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
