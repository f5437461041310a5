#include "download/file_md5.h"

#include <windows.h>

#include <vector>

#include "download/md5.h"
#include "platform/handles.h"
#include "platform/paths.h"

namespace tessaro {
namespace {

constexpr DWORD kReadBlockBytes = 65536;

}  // namespace

bool FileMd5Hex(const std::wstring& path, std::wstring& hex) {
  const UniqueFile file(CreateFileW(ToLongForm(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!file) return false;
  LARGE_INTEGER size;
  if (!GetFileSizeEx(file.Get(), &size) || size.QuadPart <= 0) return false;

  std::vector<std::uint8_t> block(kReadBlockBytes);
  Md5 md5;
  auto remaining = static_cast<std::uint64_t>(size.QuadPart);
  while (remaining != 0) {
    DWORD read = 0;
    if (!ReadFile(file.Get(), block.data(), kReadBlockBytes, &read, nullptr) || read == 0) break;
    // The file may have grown since its size was read: only that much counts.
    const std::uint64_t counted = read < remaining ? read : remaining;
    md5.Update(block.data(), static_cast<std::size_t>(counted));
    remaining -= counted;
  }
  hex = DigestHex(md5.Finish());
  return true;
}

}  // namespace tessaro
