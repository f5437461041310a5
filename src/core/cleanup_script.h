#pragma once
// The text of the batch scripts that delete what a running program cannot
// delete itself: its own executable and the folders that still hold it.
// Pure text work, so it builds in every tree.
#include <string>

namespace tessaro {

// The script for |target| (a file, or a folder when |isFolder|), both paths
// already in the ANSI code page. It clears the target's read-only attribute,
// then every five seconds deletes it ("rd" for a folder, which removes only
// an empty one) until it is gone or 100 rounds are used up: long enough for
// the chainer to exit and for a folder to be emptied by the executable's own
// script. Last it clears its own attribute and deletes |scriptPath|, itself.
// No terminating zero.
[[nodiscard]] std::string CleanupScriptText(const std::string& target, bool isFolder,
                                            const std::string& scriptPath);

}  // namespace tessaro
