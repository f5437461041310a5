// The parser trims with its own table of blanks so that every build trims
// alike; here it is held against the Windows runtime it copies.
#include <gtest/gtest.h>

#include <cwctype>

#include "config/config_document.h"

namespace tessaro {
namespace {

TEST(ConfigParseWide, TrimsExactlyTheRuntimesBlanks) {
  for (unsigned code = 0; code <= 0xFFFF; ++code) {
    const auto c = static_cast<wchar_t>(code);
    EXPECT_EQ(IsWindowsBlank(c), std::iswspace(static_cast<wint_t>(c)) != 0) << std::hex << code;
  }
}

}  // namespace
}  // namespace tessaro
