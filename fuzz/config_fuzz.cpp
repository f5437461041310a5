// Arbitrary file bytes through decoding, parsing and every loader, the way
// start-up feeds them (without the property expansion, which needs Windows),
// and through the author's checker, which watches the loaders and describes
// what they loaded.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "tools/check/config_check.h"
#include "tools/check/prerequisite_listing.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace tessaro;
  ConfigCheck check;
  check.Run(data, size);
  (void)DescribeConfiguration(check.Options());
  for (const Prerequisite& prerequisite : check.Options().prerequisites) (void)PrereqStateText(prerequisite.state);

  std::vector<std::wstring> names;
  check.Document().GetSectionNames(names);
  for (const std::wstring& name : names) {
    std::wstring value;
    (void)check.Document().GetValue(name, name, value);
  }
  return 0;
}
