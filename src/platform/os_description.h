#pragma once
// The running Windows, described once per process. The structure is portable
// so that the names derived from it can be tested on any host.
#include <cstdint>
#include <string>

namespace tessaro {

// What the OS conditions and the log header read; the registry holds more.
struct OsDescription {
  std::uint32_t major = 0;
  std::uint32_t minor = 0;
  std::uint32_t build = 0;
  std::uint32_t servicePack = 0;  // the last character of CSDVersion as a digit
  bool isServer = false;          // any product type but a workstation's
  bool is64Bit = false;
};

// Read from the registry on first use, once per process (Windows builds only).
[[nodiscard]] const OsDescription& GetOsDescription();
// Reads the registry anew each time; GetOsDescription keeps the first answer.
[[nodiscard]] OsDescription ReadOsDescription();

}  // namespace tessaro
