#pragma once
// Where the configuration file lies (beside the executable, with the same
// name and ".ini" in place of the last extension; pure text work that builds
// in every tree) and how it is read (Windows builds).
#include <string>

#include "config/config_document.h"

namespace tessaro {

enum class ConfigFileRead {
  Absent,      // nothing at that path: the run ends at once
  Unreadable,  // present but not opened or not read: defaults for everything
  Read,        // read and parsed (an empty file parses to an empty document)
};

// Reads the configuration file into |document|. The first two bytes are
// skipped whatever they hold (normally the byte-order mark); the rest is
// UTF-16LE, an odd last byte ignored.
[[nodiscard]] ConfigFileRead ReadConfigFile(const std::wstring& path, ConfigDocument& document);

// C:\Pkg\setup.exe gives C:\Pkg\setup.ini, a.b.exe gives a.b.ini and an
// executable without any "." in its file name gets ".ini" appended.
[[nodiscard]] std::wstring ConfigPathFor(const std::wstring& executablePath);

}  // namespace tessaro
