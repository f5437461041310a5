#include "download/part_file.h"

#include "platform/paths.h"

namespace tessaro {

unsigned long ReplaceTargetWithPart(const std::wstring& partPath, const std::wstring& targetPath, bool* copied) {
  (void)DeleteFileLong(targetPath);
  if (MoveFileW(ToLongForm(partPath).c_str(), ToLongForm(targetPath).c_str())) return 0;
  // A move across volumes or onto a file that would not go away: copy instead.
  if (!CopyFileW(ToLongForm(partPath).c_str(), ToLongForm(targetPath).c_str(), FALSE)) return GetLastError();
  (void)DeleteFileLong(partPath);
  if (copied != nullptr) *copied = true;
  return 0;
}

std::unique_ptr<SecurityDescriptor> SharedFileDescriptor(DWORD& error) {
  AccessEntryList entries(NO_INHERITANCE, false);
  if (!entries.AddAccessEntry(L"S-1-1-0", true) || !entries.AddAccessEntry(L"S-1-5-18", true)) {
    error = GetLastError();
    return nullptr;
  }
  return entries.BuildSecurityDescriptor(nullptr, error);
}

}  // namespace tessaro
