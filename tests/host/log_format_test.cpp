// The time stamp, the OS line and the CPU line's form are read back from real
// logs; these are the cases no run under Wine reaches.
#include "log/log_format.h"

#include <gtest/gtest.h>

#include <cstdint>

#include "platform/decimal_text.h"

namespace tessaro {
namespace {

TEST(LogFormat, LogFileNamesReplaceTheExtensionOfTheFileNameOnly) {
  for (const wchar_t* path : {L"C:\\Package\\setup.exe", L"setup", L"C:\\Package\\setup.", L"C:\\my.folder\\setup"}) {
    EXPECT_EQ(DefaultLogFileName(path), L"setup.LOG") << path;
  }
  EXPECT_EQ(DefaultLogFileName(L"C:\\Package\\my.setup.exe"), L"my.setup.LOG");
  // Negating the smallest value is where number printers go wrong.
  EXPECT_EQ(DecimalText(-2147483647 - 1), L"-2147483648");
  EXPECT_EQ(DecimalText(static_cast<std::int64_t>(INT64_MIN)), L"-9223372036854775808");
}

TEST(LogFormat, CpuBrandFillsAllFortyEightBytesOrIsUnknownWithoutTheLeaves) {
  CpuBrandRegisters registers{};
  for (std::size_t i = 0; i < 48; ++i) registers[i / 4] |= static_cast<std::uint32_t>('x') << (8 * (i % 4));
  EXPECT_EQ(DecodeCpuBrand(0x80000008, registers), std::string(48, 'x'));
  EXPECT_EQ(DecodeCpuBrand(0x80000003, registers), "UnkownCPU");
}

}  // namespace
}  // namespace tessaro
