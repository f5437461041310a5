#include "core/config_path.h"

#include <windows.h>

#include <vector>

#include "platform/handles.h"

namespace tessaro {
namespace {

// Whatever the first two bytes hold, they are taken for the byte-order mark.
constexpr DWORD kSkippedLeadBytes = 2;

}  // namespace

ConfigFileRead ReadConfigFile(const std::wstring& path, ConfigDocument& document) {
  WIN32_FIND_DATAW found{};
  {
    UniqueFindHandle find(FindFirstFileW(path.c_str(), &found));
    if (!find) return ConfigFileRead::Absent;
  }
  // Only the low 32 bits of the size count; nobody writes a 4 GB configuration.
  const DWORD size = found.nFileSizeLow;

  UniqueFile file(
      CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return ConfigFileRead::Unreadable;
  if (SetFilePointer(file.Get(), kSkippedLeadBytes, nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER) {
    return ConfigFileRead::Unreadable;
  }
  // A file of fewer than two bytes has nothing after its mark.
  if (size <= kSkippedLeadBytes) return ConfigFileRead::Read;

  std::vector<unsigned char> bytes(size - kSkippedLeadBytes);
  DWORD read = 0;
  if (!ReadFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr)) {
    return ConfigFileRead::Unreadable;
  }
  // The file may have shrunk since it was found: parse what was delivered.
  if (read > 0) document.Parse(DecodeUtf16Le(bytes.data(), read));
  return ConfigFileRead::Read;
}

}  // namespace tessaro
