#include "download/md5.h"

#include <cstring>

namespace tessaro {
namespace {

constexpr std::size_t kBlockBytes = 64;
constexpr std::size_t kLengthOffset = 56;  // where the bit count goes in the last block

// Per-round shift amounts and the sine-derived constants of the RFC.
constexpr int kShift[64] = {7, 12, 17, 22, 7, 12, 17, 22, 7, 12, 17, 22, 7, 12, 17, 22,
                            5, 9,  14, 20, 5, 9,  14, 20, 5, 9,  14, 20, 5, 9,  14, 20,
                            4, 11, 16, 23, 4, 11, 16, 23, 4, 11, 16, 23, 4, 11, 16, 23,
                            6, 10, 15, 21, 6, 10, 15, 21, 6, 10, 15, 21, 6, 10, 15, 21};
constexpr std::uint32_t kSine[64] = {
    0xd76aa478, 0xe8c7b756, 0x242070db, 0xc1bdceee, 0xf57c0faf, 0x4787c62a, 0xa8304613, 0xfd469501,
    0x698098d8, 0x8b44f7af, 0xffff5bb1, 0x895cd7be, 0x6b901122, 0xfd987193, 0xa679438e, 0x49b40821,
    0xf61e2562, 0xc040b340, 0x265e5a51, 0xe9b6c7aa, 0xd62f105d, 0x02441453, 0xd8a1e681, 0xe7d3fbc8,
    0x21e1cde6, 0xc33707d6, 0xf4d50d87, 0x455a14ed, 0xa9e3e905, 0xfcefa3f8, 0x676f02d9, 0x8d2a4c8a,
    0xfffa3942, 0x8771f681, 0x6d9d6122, 0xfde5380c, 0xa4beea44, 0x4bdecfa9, 0xf6bb4b60, 0xbebfbc70,
    0x289b7ec6, 0xeaa127fa, 0xd4ef3085, 0x04881d05, 0xd9d4d039, 0xe6db99e5, 0x1fa27cf8, 0xc4ac5665,
    0xf4292244, 0x432aff97, 0xab9423a7, 0xfc93a039, 0x655b59c3, 0x8f0ccc92, 0xffeff47d, 0x85845dd1,
    0x6fa87e4f, 0xfe2ce6e0, 0xa3014314, 0x4e0811a1, 0xf7537e82, 0xbd3af235, 0x2ad7d2bb, 0xeb86d391};

constexpr std::uint32_t RotateLeft(std::uint32_t x, int n) { return (x << n) | (x >> (32 - n)); }


}  // namespace

// One step of a round; the round's function is F, G, H or I of the RFC. The
// sum that does not need |b| comes first: |b| is the value the step before
// has just made, and the step can only wait for it at its very end.
template <typename Round>
inline void Step(Round round, std::uint32_t& a, std::uint32_t b, std::uint32_t c, std::uint32_t d,
                 std::uint32_t word, int i) {
  a = b + RotateLeft((a + word + kSine[i]) + round(b, c, d), kShift[i]);
}

void Md5::Transform(const std::uint8_t* block) {
  std::uint32_t m[16];
  for (int i = 0; i < 16; ++i) {
    m[i] = static_cast<std::uint32_t>(block[i * 4]) | static_cast<std::uint32_t>(block[i * 4 + 1]) << 8 |
           static_cast<std::uint32_t>(block[i * 4 + 2]) << 16 | static_cast<std::uint32_t>(block[i * 4 + 3]) << 24;
  }
  const auto f = [](std::uint32_t x, std::uint32_t y, std::uint32_t z) { return z ^ (x & (y ^ z)); };
  // The two halves of G share no bit, so they may be added: the half
  // without |x| is ready before |x| is.
  const auto g = [](std::uint32_t x, std::uint32_t y, std::uint32_t z) { return (~z & y) + (z & x); };
  const auto h = [](std::uint32_t x, std::uint32_t y, std::uint32_t z) { return x ^ y ^ z; };
  const auto k = [](std::uint32_t x, std::uint32_t y, std::uint32_t z) { return y ^ (x | ~z); };
  std::uint32_t a = state_[0], b = state_[1], c = state_[2], d = state_[3];
  // Written out step by step (the registers rotate by name), which lets the
  // compiler keep all four in registers: the loop form runs at half the speed.
  // Each loop is unrolled whole, so that shifts and constants are immediates.
#pragma GCC unroll 4
  for (int i = 0; i < 16; i += 4) {
    Step(f, a, b, c, d, m[i], i);
    Step(f, d, a, b, c, m[i + 1], i + 1);
    Step(f, c, d, a, b, m[i + 2], i + 2);
    Step(f, b, c, d, a, m[i + 3], i + 3);
  }
#pragma GCC unroll 4
  for (int i = 16; i < 32; i += 4) {
    Step(g, a, b, c, d, m[(5 * i + 1) % 16], i);
    Step(g, d, a, b, c, m[(5 * i + 6) % 16], i + 1);
    Step(g, c, d, a, b, m[(5 * i + 11) % 16], i + 2);
    Step(g, b, c, d, a, m[(5 * i + 16) % 16], i + 3);
  }
#pragma GCC unroll 4
  for (int i = 32; i < 48; i += 4) {
    Step(h, a, b, c, d, m[(3 * i + 5) % 16], i);
    Step(h, d, a, b, c, m[(3 * i + 8) % 16], i + 1);
    Step(h, c, d, a, b, m[(3 * i + 11) % 16], i + 2);
    Step(h, b, c, d, a, m[(3 * i + 14) % 16], i + 3);
  }
#pragma GCC unroll 4
  for (int i = 48; i < 64; i += 4) {
    Step(k, a, b, c, d, m[(7 * i) % 16], i);
    Step(k, d, a, b, c, m[(7 * i + 7) % 16], i + 1);
    Step(k, c, d, a, b, m[(7 * i + 14) % 16], i + 2);
    Step(k, b, c, d, a, m[(7 * i + 21) % 16], i + 3);
  }
  state_[0] += a;
  state_[1] += b;
  state_[2] += c;
  state_[3] += d;
}

void Md5::Update(const std::uint8_t* data, std::size_t size) {
  std::size_t used = static_cast<std::size_t>(length_ % kBlockBytes);
  length_ += size;
  if (used != 0) {
    const std::size_t take = size < kBlockBytes - used ? size : kBlockBytes - used;
    std::memcpy(buffer_ + used, data, take);
    data += take;
    size -= take;
    used += take;
    if (used < kBlockBytes) return;
    Transform(buffer_);
  }
  for (; size >= kBlockBytes; data += kBlockBytes, size -= kBlockBytes) Transform(data);
  if (size != 0) std::memcpy(buffer_, data, size);
}

Md5::Digest Md5::Finish() {
  const std::uint64_t bits = length_ * 8;
  const std::size_t used = static_cast<std::size_t>(length_ % kBlockBytes);
  std::uint8_t padding[kBlockBytes * 2] = {0x80};
  const std::size_t padBytes = (used < kLengthOffset ? kLengthOffset : kLengthOffset + kBlockBytes) - used;
  for (int i = 0; i < 8; ++i) padding[padBytes + i] = static_cast<std::uint8_t>(bits >> (8 * i));
  Update(padding, padBytes + 8);
  Digest digest;
  for (int i = 0; i < 16; ++i) digest[i] = static_cast<std::uint8_t>(state_[i / 4] >> (8 * (i % 4)));
  return digest;
}

std::wstring DigestHex(const Md5::Digest& digest) { return BytesHex(digest.data(), digest.size()); }

std::wstring BytesHex(const std::uint8_t* bytes, std::size_t count) {
  static constexpr wchar_t kDigits[] = L"0123456789abcdef";
  std::wstring text;
  text.reserve(count * 2);
  for (std::size_t i = 0; i < count; ++i) {
    text += kDigits[bytes[i] >> 4];
    text += kDigits[bytes[i] & 0x0F];
  }
  return text;
}

}  // namespace tessaro
