// Arbitrary file bytes through decoding, parsing and every loader, the way
// start-up feeds them (without the property expansion, which needs Windows),
// and through the author's checker, which reads every version bound, digest
// and OS list with the product's own readers and describes what was loaded.
#include <cstddef>
#include <cstdint>

#include "tools/check/config_check.h"
#include "tools/check/prerequisite_listing.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  tessaro::ConfigCheck check;
  check.Run(data, size);
  (void)tessaro::DescribeConfiguration(check.Options(), check.Chainer());
  return 0;
}
