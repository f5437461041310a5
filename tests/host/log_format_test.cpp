#include "log/log_format.h"

#include <gtest/gtest.h>

#include <cstdint>

#include "platform/decimal_text.h"

namespace tessaro {
namespace {

TEST(LogFormat, TimeStampAndOsVersionLine) {
  // Every field padded, dashes in the time.
  EXPECT_EQ(FormatLogTimeStamp({2021, 3, 4, 9, 5, 7}), L"2021-03-04 09-05-07");
  EXPECT_EQ(FormatLogTimeStamp({987, 1, 1, 0, 0, 0}), L"0987-01-01 00-00-00");
  EXPECT_EQ(FormatOsVersionLine({.major = 6, .minor = 1, .build = 7601, .servicePack = 1, .is64Bit = true}),
            L"OS Version: 6.1.7601 SP1 (workstation) [x64]\r\n");
  // The build is unsigned all the way.
  EXPECT_EQ(FormatOsVersionLine({.major = 10, .build = 4294967295u, .isServer = true}),
            L"OS Version: 10.0.4294967295 SP0 (server) [x86]\r\n");
}

TEST(LogFormat, LogFileNamesReplaceTheExtensionOfTheFileNameOnly) {
  for (const wchar_t* path : {L"C:\\Package\\setup.exe", L"setup.exe", L"C:\\Package\\setup",
                              L"C:\\Package\\setup.", L"C:\\my.folder\\setup"}) {
    EXPECT_EQ(DefaultLogFileName(path), L"setup.LOG") << path;
  }
  EXPECT_EQ(DefaultLogFileName(L"C:\\Package\\my.setup.exe"), L"my.setup.LOG");
  EXPECT_EQ(ReplaceExtensionWithLog(L"C:\\my.folder\\setup"), L"C:\\my.folder\\setup.LOG");
  EXPECT_EQ(ReplaceExtensionWithLog(L"Z:/tmp/run.d/unit_log.exe"), L"Z:/tmp/run.d/unit_log.LOG");
}

CpuBrandRegisters RegistersFor(const std::string& text) {
  CpuBrandRegisters registers{};
  for (std::size_t i = 0; i < text.size() && i < 48; ++i) {
    registers[i / 4] |= static_cast<std::uint32_t>(static_cast<unsigned char>(text[i])) << (8 * (i % 4));
  }
  return registers;
}

TEST(LogFormat, CpuBrandIsReadFromTheExtendedLeaves) {
  const std::string brand = "    Intel(R) Xeon(R) CPU E5-2680 v4 @ 2.40GHz";
  // Leading blanks are kept; the text ends at its zero.
  EXPECT_EQ(DecodeCpuBrand(0x80000008, RegistersFor(brand)), brand);
  EXPECT_EQ(DecodeCpuBrand(0x80000004, RegistersFor("AMD EPYC")), "AMD EPYC");

  // All 48 bytes used: no terminator inside the registers.
  EXPECT_EQ(DecodeCpuBrand(0x80000004, RegistersFor(std::string(48, 'x'))), std::string(48, 'x'));

  EXPECT_EQ(DecodeCpuBrand(0x80000003, RegistersFor("AMD EPYC")), "UnkownCPU");
}

TEST(DecimalText, PrintsEveryIntegerTypeToItsExtremes) {
  EXPECT_EQ(DecimalText(0), L"0");
  EXPECT_EQ(DecimalText(-2147483647 - 1), L"-2147483648");
  EXPECT_EQ(DecimalText(4294967295u), L"4294967295");
  EXPECT_EQ(DecimalText(static_cast<std::int64_t>(INT64_MIN)), L"-9223372036854775808");
  EXPECT_EQ(DecimalText(UINT64_MAX), L"18446744073709551615");
  EXPECT_EQ(DecimalText(static_cast<unsigned short>(1033)), L"1033");
}

}  // namespace
}  // namespace tessaro
