#include "platform/version_resource.h"

#include "platform/system_library.h"

namespace tessaro {
namespace {

constinit LazySystemLibrary VersionLibrary(L"version.dll");

using SizeFn = DWORD(WINAPI*)(LPCWSTR, LPDWORD);
using InfoFn = BOOL(WINAPI*)(LPCWSTR, DWORD, DWORD, LPVOID);
using QueryFn = BOOL(WINAPI*)(LPCVOID, LPCWSTR, LPVOID*, PUINT);

}  // namespace

bool LoadVersionLibrary() noexcept { return VersionLibrary.Get() != nullptr; }

std::vector<unsigned char> ReadVersionBlock(const std::wstring& path) {
  const HMODULE library = VersionLibrary.Get();
  const auto size = GetProcedure<SizeFn>(library, "GetFileVersionInfoSizeW");
  const auto info = GetProcedure<InfoFn>(library, "GetFileVersionInfoW");
  if (!size || !info) return {};
  DWORD ignored = 0;
  const DWORD bytes = size(path.c_str(), &ignored);
  if (bytes == 0) return {};
  std::vector<unsigned char> block(bytes);
  if (!info(path.c_str(), 0, bytes, block.data())) return {};
  return block;
}

bool QueryVersionValue(std::vector<unsigned char>& block, const wchar_t* subBlock, void*& value, UINT& length) {
  const auto query = GetProcedure<QueryFn>(VersionLibrary.Get(), "VerQueryValueW");
  if (!query || block.empty()) return false;
  void* found = nullptr;
  UINT foundLength = 0;
  if (!query(block.data(), subBlock, &found, &foundLength) || found == nullptr) return false;
  value = found;
  length = foundLength;
  return true;
}

}  // namespace tessaro
