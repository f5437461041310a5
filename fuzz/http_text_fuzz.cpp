// What servers send (challenges, content types) and what URLs carry (escaped
// user names) reaches these readers unchecked; any text must give an answer
// taken from that text, and any calendar fields a well-formed date.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "config/config_document.h"
#include "download/http_text.h"

namespace {

std::uint16_t Field(const std::uint8_t* data, std::size_t size, std::size_t index) {
  return index * 2 + 1 < size ? static_cast<std::uint16_t>(data[index * 2] | (data[index * 2 + 1] << 8)) : 0;
}

void Require(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::wstring text = tessaro::DecodeUtf16Le(data, size);

  // Each escape shrinks three characters to one; nothing else changes.
  const std::wstring decoded = tessaro::PercentDecode(text);
  Require(decoded.size() <= text.size() && decoded.size() * 3 >= text.size());
  if (text.find(L'%') == std::wstring::npos) Require(decoded == text);

  Require(text.find(tessaro::RealmFromChallenge(text)) != std::wstring::npos);

  std::wstring charset;
  if (tessaro::CharsetFromContentType(text, charset)) {
    Require(text.find(charset) != std::wstring::npos);
    Require(charset.empty() || (charset.front() != L' ' && charset.front() != L'\t' && charset.back() != L' ' &&
                                charset.back() != L'\t'));
  }

  tessaro::CalendarTime time;
  time.year = Field(data, size, 0);
  time.month = Field(data, size, 1);
  time.dayOfWeek = Field(data, size, 2);
  time.day = Field(data, size, 3) % 100;
  time.hour = Field(data, size, 4) % 100;
  time.minute = Field(data, size, 5) % 100;
  time.second = Field(data, size, 6) % 100;
  const std::wstring date = tessaro::HttpDate(time);
  Require(date.ends_with(L" GMT"));
  // "Sun, 06 Nov 1994 08:49:37 GMT" whenever the fields are a real date's.
  if (time.dayOfWeek < 7 && time.month >= 1 && time.month <= 12 && time.year <= 9999) Require(date.size() == 29);
  return 0;
}
