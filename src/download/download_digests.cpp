#include "download/download_digests.h"

namespace tessaro {

bool DownloadDigests::Describe(HANDLE opened) const {
  BY_HANDLE_FILE_INFORMATION now;
  return GetFileInformationByHandle(opened, &now) && now.dwVolumeSerialNumber == file.dwVolumeSerialNumber &&
         now.nFileIndexHigh == file.nFileIndexHigh && now.nFileIndexLow == file.nFileIndexLow &&
         now.nFileSizeHigh == file.nFileSizeHigh && now.nFileSizeLow == file.nFileSizeLow &&
         CompareFileTime(&now.ftLastWriteTime, &file.ftLastWriteTime) == 0;
}

}  // namespace tessaro
