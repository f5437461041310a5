// What URLs carry (escaped user names) and servers send (challenges) reaches
// these readers unchecked; any text must give an answer taken from that text.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "config/config_document.h"
#include "download/http_text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::wstring text = tessaro::DecodeUtf16Le(data, size);
  // Each escape shrinks three characters to one; nothing else changes.
  const std::wstring decoded = tessaro::PercentDecode(text);
  if (decoded.size() > text.size() || decoded.size() * 3 < text.size()) std::abort();
  if (text.find(L'%') == std::wstring::npos && decoded != text) std::abort();
  if (text.find(tessaro::RealmFromChallenge(text)) == std::wstring::npos) std::abort();
  return 0;
}
