#pragma once
// The version of a file as its version resource states it: four 16-bit
// numbers, most significant first.
#include <string>

#include "prereq/version.h"

namespace tessaro {

// Reads file versions for one file search. It is made before the search turns
// file-system redirection off and does there everything that could load a
// library (version.dll, the shell's folder lookup), so that reading under
// the search's redirection touches only files.
class FileVersionReader {
 public:
  FileVersionReader();

  // The zero version when the file has no version resource. On Windows 10
  // and later a file below the Windows folder is read through a copy in the
  // temporary folder (the file itself when the copy fails); the copy is made
  // under the caller's redirection, so it is of the very file found.
  [[nodiscard]] VersionValue Read(const std::wstring& path) const;

 private:
  // The Windows folder with its "\" when files below it are read through a
  // copy; empty otherwise.
  std::wstring copiedBelow_;
};

}  // namespace tessaro
