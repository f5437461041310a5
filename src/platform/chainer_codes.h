#pragma once
// The chainer's own result codes. Never renumber: packages and logs rely on them.
#include <cstdint>

namespace tessaro {

inline constexpr int kExitSuccess = 0;
inline constexpr int kExitMandatoryMissing = 1;
inline constexpr int kExitRebootPending = -1;

inline constexpr std::uint32_t kErrorInstallUserExit = 1602;  // ERROR_INSTALL_USEREXIT
inline constexpr std::uint32_t kErrorInstallFailure = 1603;   // ERROR_INSTALL_FAILURE

// The transfer engine's own codes; Windows and WinINet codes pass through.
inline constexpr std::uint32_t kErrorTargetNotAbsolute = 0xE0000005;
inline constexpr std::uint32_t kErrorCancelled = 0xE0000008;         // never reported
inline constexpr std::uint32_t kErrorDataEndedEarly = 0xE000000F;
inline constexpr std::uint32_t kErrorPartAlreadyComplete = 0xE0000010;
inline constexpr std::uint32_t kErrorCredentialsNeeded = 0xE0000012;
inline constexpr std::uint32_t kErrorNotModified = 0xE0000013;       // never reported
inline constexpr std::uint32_t kErrorForbidden = 0xE0000016;         // HTTP 403
inline constexpr std::uint32_t kErrorNotFound = 0xE0000018;          // HTTP 404 and 410
inline constexpr std::uint32_t kErrorSizeMismatch = 0xE0000023;
inline constexpr std::uint32_t kErrorFormPostFailed = 0xE000002B;

// Reported to the progress listener by the download step.
inline constexpr std::uint32_t kErrorDownloadRejected = 0xE0000022;
// Reported to the progress listener by the download and install steps.
inline constexpr std::uint32_t kErrorMandatoryNotInstalled = 0xE0000024;
inline constexpr std::uint32_t kErrorRebootStarted = 0xE0000025;

}  // namespace tessaro
