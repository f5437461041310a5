// Version texts come from registries, version resources and the package's
// own configuration: the parser and the comparisons must take any text.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "config/config_document.h"
#include "prereq/version.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // One text per line, two bytes per code unit so that texts beyond ASCII are reached.
  std::vector<std::wstring> texts(1);
  for (wchar_t c : tessaro::DecodeUtf16Le(data, size)) {
    if (c == L'\n') {
      texts.emplace_back();
    } else {
      texts.back() += c;
    }
  }
  for (const std::wstring& text : texts) {
    tessaro::VersionValue v;
    const bool ok = tessaro::ParseVersion(text, v);
    if (ok ? (v.count < 1 || v.count > 5) : (v.count != 0 || !v.IsZero())) std::abort();
    // The text form parses back to the same components, except where a
    // negative component's sign is read as a separator.
    tessaro::VersionValue again;
    if (!tessaro::ParseVersion(tessaro::VersionToText(v), again)) std::abort();
    bool negative = false;
    for (std::int32_t part : v.parts) negative = negative || part < 0;
    for (int k = 0; k < 4 && !negative; ++k) {
      const bool insignificant = v.parts[k] == 65535 || v.parts[k] == 0;
      if (again.parts[k] != v.parts[k] && !(insignificant && again.parts[k] == 0)) std::abort();
    }
    if (!tessaro::InRange(v, v, v)) std::abort();
  }
  (void)tessaro::InFoundRange(texts, texts.size() > 1 ? texts[1] : L"", texts.size() > 2 ? texts[2] : L"");
  return 0;
}
