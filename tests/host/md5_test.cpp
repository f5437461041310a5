#include "download/md5.h"
#include "download/digest_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tessaro {
namespace {

std::wstring Hex(const std::string& message, std::size_t piece) {
  Md5 md5;
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(message.data());
  for (std::size_t at = 0; at < message.size(); at += piece) {
    md5.Update(bytes + at, message.size() - at < piece ? message.size() - at : piece);
  }
  return DigestHex(md5.Finish());
}

// RFC 1321 vectors of one and two blocks, whole and in pieces that cross the
// block boundary, plus lengths around the padding's turning point (55/56/64).
TEST(Md5, RfcVectorsWholeAndInPieces) {
  const struct {
    std::string message;
    const wchar_t* digest;
  } cases[] = {
      {"", L"d41d8cd98f00b204e9800998ecf8427e"},
      {"abc", L"900150983cd24fb0d6963f7d28e17f72"},
      {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
       L"57edf4a22be3c955ac49da2e2107b67a"},
      {std::string(55, 'x'), L"04364420e25c512fd958a70738aa8f72"},
      {std::string(56, 'x'), L"668a72d5ba17f08e62dabcafad6db14b"},
      {std::string(64, 'x'), L"c1bb4f81d892b2d57947682aeb252456"},
  };
  for (const auto& c : cases) {
    for (std::size_t piece : {std::size_t{1000}, std::size_t{1}, std::size_t{7}, std::size_t{63}}) {
      EXPECT_EQ(Hex(c.message, piece), c.digest) << c.message.size() << " bytes in pieces of " << piece;
    }
  }
}

TEST(DigestText, MD5MatchesOnItsFirst32CharactersInEitherCaseSHA256OnlyWhole) {
  const std::wstring digest = L"900150983cd24fb0d6963f7d28e17f72";
  EXPECT_TRUE(DigestMatches(digest, L"900150983CD24FB0D6963F7D28E17F72"));
  EXPECT_TRUE(DigestMatches(digest, digest + L"trailing text"));
  EXPECT_FALSE(DigestMatches(digest, digest.substr(0, 31)));
  EXPECT_FALSE(DigestMatches(digest, L"800150983cd24fb0d6963f7d28e17f72"));
  // Only A-F fold: other capitals are not hexadecimal digits.
  EXPECT_FALSE(DigestMatches(L"g00150983cd24fb0d6963f7d28e17f72", L"G00150983cd24fb0d6963f7d28e17f72"));
  EXPECT_TRUE(IsMd5Text(digest + L"trailing text"));
  EXPECT_FALSE(IsMd5Text(L"G00150983cd24fb0d6963f7d28e17f72"));

  const std::wstring sha = std::wstring(32, L'a') + std::wstring(32, L'0');
  EXPECT_TRUE(IsSha256Text(L"AB" + sha.substr(2)) && Sha256TextMatches(sha, L"AA" + sha.substr(2)));
  EXPECT_FALSE(IsSha256Text(sha + L"0") || IsSha256Text(sha.substr(1)) || IsSha256Text(L"g" + sha.substr(1)));
}

}  // namespace
}  // namespace tessaro
