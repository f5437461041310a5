#include "prereq/msi_functions.h"

#include <vector>

#include "platform/system_library.h"

namespace tessaro {
namespace {

constexpr int kInstallStateUnknown = -1;
constexpr wchar_t kVersionStringProperty[] = L"VersionString";

constinit LazySystemLibrary MsiLibrary(L"msi.dll");

struct MsiFunctions {
  using GetProductInfoFn = UINT(WINAPI*)(LPCWSTR product, LPCWSTR attribute, LPWSTR buffer, DWORD* chars);
  using EnumRelatedProductsFn = UINT(WINAPI*)(LPCWSTR upgradeCode, DWORD reserved, DWORD index, LPWSTR product);
  using LocateComponentFn = int(WINAPI*)(LPCWSTR component, LPWSTR buffer, DWORD* chars);
  GetProductInfoFn getProductInfo = nullptr;
  EnumRelatedProductsFn enumRelatedProducts = nullptr;
  LocateComponentFn locateComponent = nullptr;
};

MsiFunctions LoadMsiFunctions() {
  MsiFunctions functions;
  const HMODULE msi = MsiLibrary.Get();
  functions.getProductInfo = GetProcedure<MsiFunctions::GetProductInfoFn>(msi, "MsiGetProductInfoW");
  functions.enumRelatedProducts = GetProcedure<MsiFunctions::EnumRelatedProductsFn>(msi, "MsiEnumRelatedProductsW");
  functions.locateComponent = GetProcedure<MsiFunctions::LocateComponentFn>(msi, "MsiLocateComponentW");
  return functions;
}

}  // namespace

bool QueryProductVersion(const std::wstring& productCode, std::wstring& version) {
  const auto getProductInfo = LoadMsiFunctions().getProductInfo;
  if (!getProductInfo) return false;
  // A first call with no room learns the length, a second reads the text.
  wchar_t empty[1] = {L'\0'};
  DWORD chars = 0;
  UINT status = getProductInfo(productCode.c_str(), kVersionStringProperty, empty, &chars);
  if (status == ERROR_SUCCESS) {
    version.clear();
    return true;
  }
  if (status != ERROR_MORE_DATA) return false;
  std::vector<wchar_t> buffer(static_cast<size_t>(chars) + 1, L'\0');
  chars = static_cast<DWORD>(buffer.size());
  status = getProductInfo(productCode.c_str(), kVersionStringProperty, buffer.data(), &chars);
  if (status != ERROR_SUCCESS) return false;
  version.assign(buffer.data(), wcsnlen(buffer.data(), buffer.size()));
  return true;
}

bool EnumRelatedProduct(const std::wstring& upgradeCode, DWORD index, std::wstring& productCode) {
  const auto enumRelatedProducts = LoadMsiFunctions().enumRelatedProducts;
  if (!enumRelatedProducts) return false;
  wchar_t buffer[kProductCodeChars] = {};
  if (enumRelatedProducts(upgradeCode.c_str(), 0, index, buffer) != ERROR_SUCCESS) return false;
  productCode.assign(buffer, wcsnlen(buffer, kProductCodeChars));
  return true;
}

int LocateComponentState(const std::wstring& componentCode) {
  const auto locateComponent = LoadMsiFunctions().locateComponent;
  if (!locateComponent) return kInstallStateUnknown;
  wchar_t empty[1] = {L'\0'};
  DWORD chars = 0;
  int state = locateComponent(componentCode.c_str(), empty, &chars);
  if (state == kInstallStateMoreData) {
    std::vector<wchar_t> buffer(static_cast<size_t>(chars) + 1, L'\0');
    chars = static_cast<DWORD>(buffer.size());
    state = locateComponent(componentCode.c_str(), buffer.data(), &chars);
  }
  return state;
}

}  // namespace tessaro
