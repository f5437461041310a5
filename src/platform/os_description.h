#pragma once
// The running Windows, described once per process. The structure is portable
// so that the names derived from it can be tested on any host.
#include <cstdint>
#include <string>

namespace tessaro {

struct OsDescription {
  std::uint32_t major = 0;
  std::uint32_t minor = 0;
  std::uint32_t build = 0;
  std::uint32_t servicePack = 0;
  std::wstring csdVersion;
  std::uint16_t productType = 1;  // 1 workstation, 2 domain controller, 3 server
  std::uint16_t suiteMask = 0;
  bool isServer = false;
  bool is64Bit = false;
  std::uint32_t releaseId = 1507;
};

// Read from the registry on first use, once per process (Windows builds only).
[[nodiscard]] const OsDescription& GetOsDescription();
// Reads the registry anew each time; GetOsDescription keeps the first answer.
[[nodiscard]] OsDescription ReadOsDescription();

}  // namespace tessaro
