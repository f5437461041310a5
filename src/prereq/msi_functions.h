#pragma once
// The three Windows Installer queries the searches need. msi.dll is loaded on
// first use, from the system folder only, and its entries are looked up by
// name: a system without it (or without one of them) simply finds nothing.
// Once loaded it stays; a load that failed is tried again by the next query.
#include <windows.h>

#include <string>

namespace tessaro {

// Installer states that MsiLocateComponentW answers with.
inline constexpr int kInstallStateMoreData = -3;
inline constexpr int kInstallStateLocal = 3;
inline constexpr int kInstallStateSource = 4;
// A product code in braces plus the terminating NUL.
inline constexpr DWORD kProductCodeChars = 39;

// The "VersionString" of an installed product; false (and |version| untouched)
// when the product is unknown or msi.dll is missing.
[[nodiscard]] bool QueryProductVersion(const std::wstring& productCode, std::wstring& version);
// The product code at |index| among the products related to |upgradeCode|;
// false once the enumeration has ended or failed.
[[nodiscard]] bool EnumRelatedProduct(const std::wstring& upgradeCode, DWORD index, std::wstring& productCode);
// The installer state of a component (INSTALLSTATE_UNKNOWN when msi.dll is missing).
[[nodiscard]] int LocateComponentState(const std::wstring& componentCode);

}  // namespace tessaro
