#include "download/file_md5.h"

#include "download/file_blocks.h"
#include "download/md5.h"

namespace tessaro {

bool FileMd5Hex(const std::wstring& path, std::wstring& hex) {
  Md5 md5;
  const bool read = ReadFileBlocks(path, [&md5](const std::uint8_t* data, std::size_t size) {
    md5.Update(data, size);
    return true;
  });
  if (!read) return false;
  hex = DigestHex(md5.Finish());
  return true;
}

}  // namespace tessaro
