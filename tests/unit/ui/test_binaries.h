#pragma once
// The programs built beside the unit tests, as Windows paths, and a way to
// read their resources without running them.
#include <windows.h>

#include <cstdlib>
#include <string>

#include "platform/handles.h"

namespace tessaro::testbin {

// TESSARO_BIN is the Linux path of the win64 bin folder; Wine sees / as Z:\.
inline std::wstring BinaryPath(const std::wstring& fileName) {
  const char* bin = std::getenv("TESSARO_BIN");
  std::wstring path = L"Z:";
  for (const char* c = bin ? bin : ""; *c != '\0'; ++c) path += *c == '/' ? L'\\' : static_cast<wchar_t>(*c);
  return path + L"\\" + fileName;
}

inline UniqueModule LoadAsData(const std::wstring& fileName) {
  return UniqueModule(LoadLibraryExW(BinaryPath(fileName).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
}

}  // namespace tessaro::testbin
