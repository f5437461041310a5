#pragma once
// The chainer's own result codes. Never renumber: packages and logs rely on them.
#include <cstdint>

namespace tessaro {

inline constexpr int kExitSuccess = 0;
inline constexpr int kExitMandatoryMissing = 1;
inline constexpr int kExitRebootPending = -1;

inline constexpr std::uint32_t kErrorInstallUserExit = 1602;  // ERROR_INSTALL_USEREXIT
inline constexpr std::uint32_t kErrorInstallFailure = 1603;   // ERROR_INSTALL_FAILURE

// Reported to the progress listener by the install step.
inline constexpr std::uint32_t kErrorMandatoryNotInstalled = 0xE0000024;
inline constexpr std::uint32_t kErrorRebootStarted = 0xE0000025;

}  // namespace tessaro
