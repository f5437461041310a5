#include "download/http_text.h"

#include <gtest/gtest.h>

namespace tessaro {
namespace {

TEST(HttpText, PercentDecodingTakesBytesAsUnitsAndLeavesBrokenEscapes) {
  const struct {
    const wchar_t* text;
    std::wstring decoded;
  } cases[] = {
      {L"us%65r%3aname", L"user:name"},
      {L"%C3%A9", std::wstring{static_cast<wchar_t>(0xC3), static_cast<wchar_t>(0xA9)}},  // not UTF-8
      {L"%zz%4", L"%zz%4"},
      {L"%%41", L"%A"},
      {L"%00x", std::wstring(1, L'\0') + L"x"},
  };
  for (const auto& c : cases) EXPECT_EQ(PercentDecode(c.text), c.decoded) << c.text;
}

TEST(HttpText, TheProxyHostOfAScheme) {
  EXPECT_EQ(ProxyHostFor(L"proxy:3128", L"https"), L"proxy");
  EXPECT_EQ(ProxyHostFor(L"http=a:1 HTTPS=b:2;ftp=c", L"https"), L"b");  // its own entry, in any case
  EXPECT_EQ(ProxyHostFor(L"ftp=c:21 http://d:80/ https=e", L"https"), L"e");
  EXPECT_EQ(ProxyHostFor(L"ftp=c:21;http://d:80/", L"https"), L"d");  // else the first without a scheme
  EXPECT_EQ(ProxyHostFor(L"ftp=c:21", L"https"), L"");
}

TEST(HttpText, RealmAndCharsetParameters) {
  const struct {
    const wchar_t* challenge;
    const wchar_t* realm;
  } challenges[] = {
      {L"Basic realm=\"Files\"", L"Files"},
      {L"Digest nonce=\"x\",REALM=\"a,b\"", L"a"},  // pieces split at every ","
      {L"Digest nonce=\"x\", realm=\"y\"", L""},  // names are not trimmed
      {L"Basic realm=plain", L"plain"},
      {L"Basic nonce=1", L""},
  };
  for (const auto& c : challenges) EXPECT_EQ(RealmFromChallenge(c.challenge), c.realm) << c.challenge;

  std::wstring charset = L"untouched";
  EXPECT_TRUE(CharsetFromContentType(L"text/plain; CharSet = utf-8 ", charset));
  EXPECT_EQ(charset, L"utf-8");
  EXPECT_TRUE(CharsetFromContentType(L"text/plain;format=x;charset=ISO-8859-1", charset));
  EXPECT_EQ(charset, L"ISO-8859-1");
  charset = L"untouched";
  EXPECT_FALSE(CharsetFromContentType(L"text/plain", charset));
  EXPECT_FALSE(CharsetFromContentType(L"text/plain; charsets=x", charset));
  EXPECT_EQ(charset, L"untouched");
}

TEST(HttpText, DateInTheRfc1123Form) {
  EXPECT_EQ(HttpDate({1994, 11, 0, 6, 8, 49, 37}), L"Sun, 06 Nov 1994 08:49:37 GMT");
  EXPECT_EQ(HttpDate({99, 1, 1, 1, 0, 0, 0}), L"Mon, 01 Jan 0099 00:00:00 GMT");
  EXPECT_EQ(HttpDate({2026, 13, 7, 1, 0, 0, 0}), L", 01  2026 00:00:00 GMT");
}

TEST(HttpText, CompleteLengthOfAnUnsatisfiableRange) {
  std::uint32_t length = 0;
  EXPECT_TRUE(CompleteLengthFromContentRange(L"bytes */4294967295", length));
  EXPECT_EQ(length, 4294967295u);
  for (const wchar_t* text : {L"bytes */", L"bytes */4294967296", L"bytes */12x", L"bytes 0-9/10", L"bytes */-1", L""}) {
    EXPECT_FALSE(CompleteLengthFromContentRange(text, length)) << text;
  }
  EXPECT_EQ(length, 4294967295u);
}

}  // namespace
}  // namespace tessaro
