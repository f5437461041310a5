// Arbitrary file bytes through decoding, parsing and every loader, the way
// start-up feeds them (without the property expansion, which needs Windows).
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "config/config_document.h"
#include "config/options_loader.h"
#include "platform/decimal_text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace tessaro;
  ConfigDocument document;
  document.Parse(DecodeUtf16Le(data, size));

  ChainerOptions options;
  (void)LoadGeneralOptions(document, options.general);
  LoadPrerequisites(document, options, nullptr);
  ChainerSection chainer;
  (void)LoadChainerSection(document, chainer);

  for (const Prerequisite& prerequisite : options.prerequisites) {
    (void)PrereqStateText(prerequisite.state);
    for (const PrereqSearch& search : prerequisite.searches) (void)ParseDecimalInt(search.searchString);
  }

  std::vector<std::wstring> names;
  document.GetSectionNames(names);
  for (const std::wstring& name : names) {
    std::wstring value;
    (void)document.GetValue(name, name, value);
  }
  return 0;
}
