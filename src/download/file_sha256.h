#pragma once
// SHA-256 digests, for the check against the configured "SHA256". The system
// computes them (CNG): a digest meant to prove that nobody replaced a file is
// not one to carry our own code for.
#include <cstddef>
#include <cstdint>
#include <string>

namespace tessaro {

// One message fed in pieces, like Md5. Any failure of the system's hashing
// (bcrypt.dll or SHA-256 missing included) spoils the object: Finish is then
// false.
class Sha256 {
 public:
  Sha256();
  Sha256(const Sha256&) = delete;
  Sha256& operator=(const Sha256&) = delete;
  ~Sha256();

  void Update(const std::uint8_t* data, std::size_t size);
  // 64 lower-case hexadecimal characters in |hex| (untouched on failure).
  // Ends the message; the object is spent afterwards.
  [[nodiscard]] bool Finish(std::wstring& hex);

 private:
  void* algorithm_ = nullptr;
  void* hash_ = nullptr;
  bool ok_ = false;
};

// 64 lower-case hexadecimal characters in |hex|. False (|hex| untouched) when
// bcrypt.dll or SHA-256 is not available, or, as for FileMd5Hex, when the
// file cannot be opened, its size cannot be read or is 0. At most the size
// measured at the start is hashed; a failed read ends the hashing early.
[[nodiscard]] bool FileSha256Hex(const std::wstring& path, std::wstring& hex);

}  // namespace tessaro
