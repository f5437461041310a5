#include "config/prerequisite.h"

namespace tessaro {

const wchar_t* PrereqStateText(PrereqState state) {
  switch (state) {
    case PrereqState::Found:
      return L"An acceptable version was found.";
    case PrereqState::InstallFromPackage:
      return L"No acceptable version found. It must be installed from package.";
    case PrereqState::MustDownload:
      return L"No acceptable version found. It must be downloaded.";
    case PrereqState::OpenSiteManually:
      return L"No acceptable version found. It must be downloaded manually from a site.";
    case PrereqState::OsNotSupported:
      return L"No acceptable version found. Operating System not supported.";
    case PrereqState::AlreadyDownloaded:
      return L"No acceptable version found. It is already downloaded and it will be installed.";
    case PrereqState::NotFound:
      return L"No acceptable version found.";
    case PrereqState::NotSelected:
      return L"Not selected for install.";
    case PrereqState::Undefined:
      break;
  }
  return L"Undefined";
}

}  // namespace tessaro
