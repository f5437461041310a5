#include "prereq/os_names.h"

#include <gtest/gtest.h>

namespace tessaro {
namespace {

constexpr bool kServer = true, kWorkstation = false, kX64 = true, kX86 = false;

OsDescription Os(std::uint32_t major, std::uint32_t minor, std::uint32_t build, std::uint32_t sp, bool server,
                 bool x64) {
  OsDescription os{.major = major, .minor = minor, .build = build, .servicePack = sp};
  os.isServer = server;
  os.is64Bit = x64;
  return os;
}

struct NameCase {
  OsDescription os;
  std::wstring detailed, generic = L"";  // empty: as detailed
};

void ExpectNames(const std::vector<NameCase>& cases) {
  for (const NameCase& c : cases) {
    SCOPED_TRACE(testing::Message() << c.os.major << "." << c.os.minor << "." << c.os.build << " SP"
                                    << c.os.servicePack << (c.os.isServer ? " server" : " workstation")
                                    << (c.os.is64Bit ? " x64" : " x86"));
    EXPECT_EQ(DetailedOsName(c.os), c.detailed);
    EXPECT_EQ(GenericOsName(c.os), c.generic.empty() ? c.detailed : c.generic);
  }
}

// Listed builds (the first and last of the list here) are named by release,
// a 32-bit server edition like the workstation.
TEST(OsNames, Windows10AndWindows8) {
  ExpectNames({
      {Os(10, 0, 19041, 0, kServer, kX86), L"Windows 10 version 2004 x86", L"Windows 10 x86"},
      {Os(10, 0, 14393, 0, kServer, kX64), L"Windows Server 2016 x64", L"Windows Server x64"},
      {Os(10, 0, 17763, 0, kServer, kX64), L"Windows Server 2019 x64", L"Windows Server x64"},
      // Listed workstation builds keep their release name on a 64-bit server.
      {Os(10, 0, 10240, 0, kServer, kX64), L"Windows 10 version 1507 x64", L"Windows Server x64"},
      {Os(10, 0, 20348, 0, kServer, kX64), L"Windows Server x64"},
      {Os(10, 0, 19045, 0, kWorkstation, kX64), L"Windows 10 x64"},
      // Windows 8 and 8.1 have no service pack names.
      {Os(6, 3, 9600, 0, kWorkstation, kX64), L"Windows 8.1 x64"},
      {Os(6, 3, 9600, 0, kServer, kX64), L"Windows Server 2012 R2 x64"},
      {Os(6, 3, 9600, 0, kServer, kX86), L"Windows 8.1 x86"},
      {Os(6, 2, 9200, 0, kWorkstation, kX86), L"Windows 8 x86"},
      {Os(6, 2, 9200, 0, kServer, kX64), L"Windows Server 2012 x64"},
  });
}

TEST(OsNames, OlderSystemsByServicePack) {
  ExpectNames({
      {Os(6, 1, 7600, 0, kServer, kX64), L"Windows Server 2008 R2 RTM x64", L"Windows Server 2008 R2 x64"},
      {Os(6, 1, 7601, 1, kServer, kX64), L"Windows Server 2008 R2 SP1 x64", L"Windows Server 2008 R2 x64"},
      {Os(6, 1, 7601, 2, kServer, kX64), L"Windows Server 2008 R2 x64"},
      {Os(6, 1, 7600, 0, kWorkstation, kX86), L"Windows 7 RTM x86", L"Windows 7 x86"},
      {Os(6, 1, 7601, 3, kWorkstation, kX64), L"Windows 7 x64"},
      {Os(6, 1, 7601, 1, kServer, kX86), L"Windows 7 SP1 x86", L"Windows 7 x86"},
      {Os(6, 0, 6000, 0, kWorkstation, kX64), L"Windows Vista RTM x64", L"Windows Vista x64"},
      {Os(6, 0, 6002, 2, kWorkstation, kX64), L"Windows Vista SP2 x64", L"Windows Vista x64"},
      {Os(6, 0, 6002, 3, kWorkstation, kX86), L"Windows Vista x86"},
      // Server 2008 shipped as Vista SP1: its service pack 1 is its first release.
      {Os(6, 0, 6001, 0, kServer, kX64), L"Windows Server 2008 RTM x64", L"Windows Server 2008 x64"},
      {Os(6, 0, 6001, 1, kServer, kX86), L"Windows Server 2008 RTM x86", L"Windows Server 2008 x86"},
      {Os(6, 0, 6002, 2, kServer, kX64), L"Windows Server 2008 SP2 x64", L"Windows Server 2008 x64"},
      {Os(6, 0, 6003, 3, kServer, kX86), L"Windows Server 2008 x86"},
      {Os(5, 2, 3790, 0, kServer, kX86), L"Windows Server 2003 x86"},
      {Os(5, 2, 3790, 2, kServer, kX64), L"Windows Server 2003 SP2 x64", L"Windows Server 2003 x64"},
      // 5.2 workstations are XP x64 only, whatever the process reports.
      {Os(5, 2, 3790, 0, kWorkstation, kX64), L"Windows XP x64"},
      {Os(5, 2, 3790, 2, kWorkstation, kX86), L"Windows XP SP2 x64", L"Windows XP x64"},
      {Os(5, 2, 3790, 3, kWorkstation, kX64), L"Windows XP x64"},
      {Os(5, 1, 2600, 0, kWorkstation, kX86), L"Windows XP x86"},
      {Os(5, 1, 2600, 3, kServer, kX64), L"Windows XP SP3 x86", L"Windows XP x86"},
      {Os(5, 1, 2600, 4, kWorkstation, kX86), L"Windows XP x86"},
      {Os(6, 4, 9841, 0, kWorkstation, kX64), L"OsNotIdentified"},
      {Os(10, 1, 19041, 0, kWorkstation, kX64), L"OsNotIdentified"},
      // An unreadable registry leaves the initial description.
      {OsDescription{}, L"OsNotIdentified"},
  });
}

}  // namespace
}  // namespace tessaro
