#include "download/md5.h"
#include "download/digest_text.h"

#include <gtest/gtest.h>

#include <string>

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

// Downloads prove the usual matches and refusals, the checker the lengths it
// warns about; what neither shows: a digest cut short never matches, and
// only A-F fold to hexadecimal digits.
TEST(DigestText, ACutDigestNeverMatchesAndOnlyAToFFold) {
  const std::wstring digest = L"900150983cd24fb0d6963f7d28e17f72";
  EXPECT_TRUE(DigestMatches(digest, L"900150983CD24FB0D6963F7D28E17F72trailing text"));
  EXPECT_FALSE(DigestMatches(digest, digest.substr(0, 31)));
  EXPECT_FALSE(DigestMatches(L"g00150983cd24fb0d6963f7d28e17f72", L"G00150983cd24fb0d6963f7d28e17f72"));
  EXPECT_FALSE(IsMd5Text(L"G00150983cd24fb0d6963f7d28e17f72") || IsSha256Text(L"G" + std::wstring(63, L'0')));
  EXPECT_TRUE(Sha256TextMatches(std::wstring(64, L'a'), std::wstring(64, L'A')));
}

}  // namespace
}  // namespace tessaro
