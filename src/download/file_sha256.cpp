#include "download/file_sha256.h"

#include <windows.h>
#include <bcrypt.h>

#include <vector>

#include "download/md5.h"
#include "platform/handles.h"
#include "platform/paths.h"
#include "platform/process_once.h"
#include "platform/system_library.h"

namespace tessaro {
namespace {

constexpr DWORD kReadBlockBytes = 65536;
constexpr ULONG kDigestBytes = 32;

// bcrypt.dll is not a known DLL on every system: like WinINet it is loaded
// on first use from the system folder only.
struct BCryptApi {
  decltype(&BCryptOpenAlgorithmProvider) openAlgorithm = nullptr;
  decltype(&BCryptCloseAlgorithmProvider) closeAlgorithm = nullptr;
  decltype(&BCryptCreateHash) createHash = nullptr;
  decltype(&BCryptHashData) hashData = nullptr;
  decltype(&BCryptFinishHash) finishHash = nullptr;
  decltype(&BCryptDestroyHash) destroyHash = nullptr;
};

constinit ProcessOnce<BCryptApi> BCryptOnce;

const BCryptApi& BCrypt() {
  return BCryptOnce.Get([] {
    BCryptApi api;
    const HMODULE module = LoadSystemLibrary(L"bcrypt.dll");
    api.openAlgorithm = GetProcedure<decltype(api.openAlgorithm)>(module, "BCryptOpenAlgorithmProvider");
    api.closeAlgorithm = GetProcedure<decltype(api.closeAlgorithm)>(module, "BCryptCloseAlgorithmProvider");
    api.createHash = GetProcedure<decltype(api.createHash)>(module, "BCryptCreateHash");
    api.hashData = GetProcedure<decltype(api.hashData)>(module, "BCryptHashData");
    api.finishHash = GetProcedure<decltype(api.finishHash)>(module, "BCryptFinishHash");
    api.destroyHash = GetProcedure<decltype(api.destroyHash)>(module, "BCryptDestroyHash");
    return api;
  });
}

// Hashes what is left of |file| after its first |remaining| bytes were
// measured; false when the system cannot make the digest.
bool HashFile(const BCryptApi& api, HANDLE file, std::uint64_t remaining, UCHAR (&digest)[kDigestBytes]) {
  BCRYPT_ALG_HANDLE algorithm = nullptr;
  if (!BCRYPT_SUCCESS(api.openAlgorithm(&algorithm, BCRYPT_SHA256_ALGORITHM, nullptr, 0))) return false;
  BCRYPT_HASH_HANDLE hash = nullptr;
  bool ok = BCRYPT_SUCCESS(api.createHash(algorithm, &hash, nullptr, 0, nullptr, 0, 0));
  if (ok) {
    std::vector<UCHAR> block(kReadBlockBytes);
    while (ok && remaining != 0) {
      DWORD read = 0;
      if (!ReadFile(file, block.data(), kReadBlockBytes, &read, nullptr) || read == 0) break;
      // The file may have grown since its size was read: only that much counts.
      const std::uint64_t counted = read < remaining ? read : remaining;
      ok = BCRYPT_SUCCESS(api.hashData(hash, block.data(), static_cast<ULONG>(counted), 0));
      remaining -= counted;
    }
    ok = ok && BCRYPT_SUCCESS(api.finishHash(hash, digest, kDigestBytes, 0));
    api.destroyHash(hash);
  }
  api.closeAlgorithm(algorithm, 0);
  return ok;
}

}  // namespace

bool FileSha256Hex(const std::wstring& path, std::wstring& hex) {
  const BCryptApi& api = BCrypt();
  if (!api.openAlgorithm || !api.closeAlgorithm || !api.createHash || !api.hashData || !api.finishHash ||
      !api.destroyHash) {
    return false;
  }
  const UniqueFile file(CreateFileW(ToLongForm(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!file) return false;
  LARGE_INTEGER size;
  if (!GetFileSizeEx(file.Get(), &size) || size.QuadPart <= 0) return false;
  UCHAR digest[kDigestBytes];
  if (!HashFile(api, file.Get(), static_cast<std::uint64_t>(size.QuadPart), digest)) return false;
  hex = BytesHex(digest, kDigestBytes);
  return true;
}

}  // namespace tessaro
