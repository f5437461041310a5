#pragma once
// MD5 digests (RFC 1321), our own code: the product carries no crypto
// library. Portable, so the host tree tests it against the RFC's vectors.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace tessaro {

class Md5 {
 public:
  using Digest = std::array<std::uint8_t, 16>;

  void Update(const std::uint8_t* data, std::size_t size);
  // Ends the message; the object is spent afterwards.
  [[nodiscard]] Digest Finish();

 private:
  void Transform(const std::uint8_t* block);

  std::uint32_t state_[4] = {0x67452301, 0xefcdab89, 0x98badcfe, 0x10325476};
  std::uint64_t length_ = 0;  // bytes so far
  std::uint8_t buffer_[64] = {};
};

// 32 lower-case hexadecimal characters.
[[nodiscard]] std::wstring DigestHex(const Md5::Digest& digest);
// Two lower-case hexadecimal characters per byte, for any digest.
[[nodiscard]] std::wstring BytesHex(const std::uint8_t* bytes, std::size_t count);


}  // namespace tessaro
