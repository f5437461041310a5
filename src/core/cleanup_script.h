#pragma once
// The text of the batch scripts that delete what a running program cannot
// delete itself: its own executable and the folders that still hold it.
// Pure text work, so it builds in every tree.
#include <cstdint>
#include <string>

namespace tessaro {

// Retry rounds of a script: 0 retries without limit and without pause;
// otherwise each round first waits five seconds.
inline constexpr std::uint32_t kUnlimitedRetries = 0;

// The script for |target| (a file, or a folder when |isFolder|), both paths
// already in the ANSI code page. It clears the target's read-only attribute,
// deletes it ("rd" for a folder, which removes only an empty one) until it is
// gone or the rounds are used up, then clears its own attribute and deletes
// |scriptPath|, itself. No terminating zero.
[[nodiscard]] std::string CleanupScriptText(const std::string& target, bool isFolder, std::uint32_t retries,
                                            const std::string& scriptPath);

}  // namespace tessaro
