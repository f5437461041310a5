#include "platform/version_resource.h"

#include "platform/process_once.h"
#include "platform/system_library.h"

namespace tessaro {
namespace {

struct VersionFunctions {
  using SizeFn = DWORD(WINAPI*)(LPCWSTR, LPDWORD);
  using InfoFn = BOOL(WINAPI*)(LPCWSTR, DWORD, DWORD, LPVOID);
  using QueryFn = BOOL(WINAPI*)(LPCVOID, LPCWSTR, LPVOID*, PUINT);
  SizeFn size = nullptr;
  InfoFn info = nullptr;
  QueryFn query = nullptr;
};

constinit ProcessOnce<VersionFunctions> Version;

const VersionFunctions& Functions() {
  return Version.Get([] {
    VersionFunctions loaded;
    const HMODULE library = LoadSystemLibrary(L"version.dll");
    loaded.size = GetProcedure<VersionFunctions::SizeFn>(library, "GetFileVersionInfoSizeW");
    loaded.info = GetProcedure<VersionFunctions::InfoFn>(library, "GetFileVersionInfoW");
    loaded.query = GetProcedure<VersionFunctions::QueryFn>(library, "VerQueryValueW");
    return loaded;
  });
}

}  // namespace

std::vector<unsigned char> ReadVersionBlock(const std::wstring& path) {
  const VersionFunctions& version = Functions();
  if (!version.size || !version.info) return {};
  DWORD ignored = 0;
  const DWORD size = version.size(path.c_str(), &ignored);
  if (size == 0) return {};
  std::vector<unsigned char> block(size);
  if (!version.info(path.c_str(), 0, size, block.data())) return {};
  return block;
}

bool QueryVersionValue(std::vector<unsigned char>& block, const wchar_t* subBlock, void*& value, UINT& length) {
  const VersionFunctions& version = Functions();
  if (!version.query || block.empty()) return false;
  void* found = nullptr;
  UINT foundLength = 0;
  if (!version.query(block.data(), subBlock, &found, &foundLength) || found == nullptr) return false;
  value = found;
  length = foundLength;
  return true;
}

}  // namespace tessaro
