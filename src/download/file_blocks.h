#pragma once
// The one reading loop behind the file digests (MD5 and SHA-256).
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/handles.h"
#include "platform/paths.h"

namespace tessaro {

// Hands |consume| (bool (const std::uint8_t*, std::size_t)) the file's bytes
// in order. False when the file cannot be opened, its size cannot be read or
// is 0, or |consume| refuses a block. The file may grow while it is read:
// at most the size measured at the start counts. A failed read ends early.
template <typename Consume>
[[nodiscard]] bool ReadFileBlocks(const std::wstring& path, Consume&& consume) {
  constexpr DWORD kBlockBytes = 65536;
  const UniqueFile file(CreateFileW(ToLongForm(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  LARGE_INTEGER size;
  if (!file || !GetFileSizeEx(file.Get(), &size) || size.QuadPart <= 0) return false;
  std::vector<std::uint8_t> block(kBlockBytes);
  for (auto remaining = static_cast<std::uint64_t>(size.QuadPart); remaining != 0;) {
    DWORD read = 0;
    if (!ReadFile(file.Get(), block.data(), kBlockBytes, &read, nullptr) || read == 0) break;
    const std::uint64_t counted = read < remaining ? read : remaining;
    if (!consume(block.data(), static_cast<std::size_t>(counted))) return false;
    remaining -= counted;
  }
  return true;
}

}  // namespace tessaro
