// The names an author writes in WinNTVersions: each row is a system whose
// name follows a rule of its own (release names, service packs, editions).
#include "prereq/os_names.h"

#include <gtest/gtest.h>

namespace tessaro {
namespace {

constexpr bool kServer = true, kWorkstation = false, kX64 = true, kX86 = false;

struct NameCase {
  std::uint32_t major, minor, build, servicePack;
  bool server, x64;
  const wchar_t* detailed;
  const wchar_t* generic = nullptr;  // none: as detailed
};

TEST(OsNames, DetailedAndGenericNames) {
  const NameCase cases[] = {
      // Listed Windows 10 builds are named by release; a 32-bit server edition like the workstation.
      {10, 0, 19041, 0, kServer, kX86, L"Windows 10 version 2004 x86", L"Windows 10 x86"},
      {10, 0, 17763, 0, kServer, kX64, L"Windows Server 2019 x64", L"Windows Server x64"},
      {10, 0, 10240, 0, kServer, kX64, L"Windows 10 version 1507 x64", L"Windows Server x64"},
      // Windows 8 and 8.1 have no service pack names; service packs beyond the last named are not named.
      {6, 3, 9600, 2, kServer, kX64, L"Windows Server 2012 R2 x64"},
      {6, 2, 9200, 0, kWorkstation, kX86, L"Windows 8 x86"},
      {6, 1, 7600, 0, kServer, kX64, L"Windows Server 2008 R2 RTM x64", L"Windows Server 2008 R2 x64"},
      {6, 1, 7601, 1, kServer, kX86, L"Windows 7 SP1 x86", L"Windows 7 x86"},
      {6, 0, 6002, 2, kWorkstation, kX64, L"Windows Vista SP2 x64", L"Windows Vista x64"},
      // Server 2008 shipped as Vista SP1: its service pack 1 is its first release.
      {6, 0, 6001, 1, kServer, kX86, L"Windows Server 2008 RTM x86", L"Windows Server 2008 x86"},
      {5, 2, 3790, 2, kServer, kX64, L"Windows Server 2003 SP2 x64", L"Windows Server 2003 x64"},
      {5, 2, 3790, 3, kServer, kX86, L"Windows Server 2003 x86"},
      // 5.2 workstations are XP x64 only, whatever the process reports; 5.1 is x86 only.
      {5, 2, 3790, 2, kWorkstation, kX86, L"Windows XP SP2 x64", L"Windows XP x64"},
      {5, 1, 2600, 3, kServer, kX64, L"Windows XP SP3 x86", L"Windows XP x86"},
      {6, 4, 9841, 0, kWorkstation, kX64, L"OsNotIdentified"},
      {0, 0, 0, 0, kWorkstation, kX86, L"OsNotIdentified"},  // the registry could not be read
  };
  for (const NameCase& c : cases) {
    OsDescription os{.major = c.major, .minor = c.minor, .build = c.build, .servicePack = c.servicePack};
    os.isServer = c.server;
    os.is64Bit = c.x64;
    EXPECT_EQ(DetailedOsName(os), c.detailed) << c.major << "." << c.minor << "." << c.build;
    EXPECT_EQ(GenericOsName(os), c.generic ? c.generic : c.detailed) << c.detailed;
  }
}

}  // namespace
}  // namespace tessaro
