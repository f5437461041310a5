#include "download/file_sha256.h"

#include <windows.h>
#include <bcrypt.h>

#include <utility>

#include "download/file_blocks.h"
#include "download/md5.h"
#include "platform/process_once.h"
#include "platform/system_library.h"

namespace tessaro {
namespace {

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

}  // namespace

Sha256::Sha256() {
  const BCryptApi& api = BCrypt();
  if (!api.openAlgorithm || !api.closeAlgorithm || !api.createHash || !api.hashData || !api.finishHash ||
      !api.destroyHash) {
    return;
  }
  BCRYPT_ALG_HANDLE algorithm = nullptr;
  if (!BCRYPT_SUCCESS(api.openAlgorithm(&algorithm, BCRYPT_SHA256_ALGORITHM, nullptr, 0))) return;
  algorithm_ = algorithm;
  BCRYPT_HASH_HANDLE hash = nullptr;
  ok_ = BCRYPT_SUCCESS(api.createHash(algorithm, &hash, nullptr, 0, nullptr, 0, 0));
  hash_ = hash;
}

Sha256::~Sha256() {
  const BCryptApi& api = BCrypt();
  if (hash_ != nullptr) api.destroyHash(hash_);
  if (algorithm_ != nullptr) api.closeAlgorithm(algorithm_, 0);
}

void Sha256::Update(const std::uint8_t* data, std::size_t size) {
  ok_ = ok_ && BCRYPT_SUCCESS(BCrypt().hashData(hash_, const_cast<PUCHAR>(data), static_cast<ULONG>(size), 0));
}

bool Sha256::Finish(std::wstring& hex) {
  UCHAR digest[kDigestBytes];
  ok_ = ok_ && BCRYPT_SUCCESS(BCrypt().finishHash(hash_, digest, kDigestBytes, 0));
  if (ok_) hex = BytesHex(digest, kDigestBytes);
  return std::exchange(ok_, false);
}

bool FileSha256Hex(const std::wstring& path, std::wstring& hex) {
  Sha256 sha256;
  return ReadFileBlocks(path,
                        [&sha256](const std::uint8_t* data, std::size_t size) {
                          sha256.Update(data, size);
                          return true;
                        }) &&
         sha256.Finish(hex);
}

}  // namespace tessaro
