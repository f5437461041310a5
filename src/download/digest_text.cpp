#include "download/digest_text.h"

#include <cstddef>

namespace tessaro {
namespace {

constexpr std::size_t kMd5HexDigits = 32;
constexpr std::size_t kSha256HexDigits = 64;
constexpr wchar_t kHexDigits[] = L"0123456789abcdefABCDEF";

// Setting bit 5 lowers A to F and leaves digits alone.
wchar_t LowerHex(wchar_t c) { return c >= L'A' && c <= L'F' ? static_cast<wchar_t>(c | 0x20) : c; }

// The first |digits| characters of |configured| name the digest |digestHex|.
bool NamesDigest(const std::wstring& digestHex, const std::wstring& configured, std::size_t digits) {
  if (digestHex.size() != digits || configured.size() < digits) return false;
  for (std::size_t i = 0; i < digits; ++i) {
    if (LowerHex(configured[i]) != digestHex[i]) return false;
  }
  return true;
}

bool StartsWithHex(const std::wstring& text, std::size_t digits) {
  return text.size() >= digits && text.find_first_not_of(kHexDigits) >= digits;
}

}  // namespace

bool DigestMatches(const std::wstring& digestHex, const std::wstring& configured) {
  return NamesDigest(digestHex, configured, kMd5HexDigits);
}

bool IsMd5Text(const std::wstring& configured) { return StartsWithHex(configured, kMd5HexDigits); }

bool IsSha256Text(const std::wstring& configured) {
  return configured.size() == kSha256HexDigits && StartsWithHex(configured, kSha256HexDigits);
}

bool Sha256TextMatches(const std::wstring& digestHex, const std::wstring& configured) {
  return NamesDigest(digestHex, configured, kSha256HexDigits);
}

}  // namespace tessaro
