#pragma once
// The names by which OS lists in the configuration refer to systems.
#include <string>
#include <vector>

#include "platform/os_description.h"

namespace tessaro {

inline constexpr const wchar_t* kPlatformList32 =
    L"Windows 9x/ME/NT/2000/XP/Vista/Windows 7/Windows 8 x86/Windows 8.1 x86/Windows 10 x86";
inline constexpr const wchar_t* kPlatformList64 =
    L"Windows XP/Vista/Windows 7/Windows 8 x64/Windows 8.1 x64/Windows 10 x64";

// The items of an OS list ("WinNTVersions", "WinNT64Versions").
[[nodiscard]] std::vector<std::wstring> OsListItems(const std::wstring& list);

[[nodiscard]] std::wstring DetailedOsName(const OsDescription& os);
[[nodiscard]] std::wstring GenericOsName(const OsDescription& os);
// Every name the two above give for some system: an item of an OS list that
// is not among them matches no system.
[[nodiscard]] std::vector<std::wstring> AllOsNames();

// The running system's names, computed once (Windows builds only).
[[nodiscard]] const std::wstring& GetDetailedOsName();
[[nodiscard]] const std::wstring& GetGenericOsName();
// "%d-%s": the id and the system's display name of that language.
[[nodiscard]] std::wstring LocaleName(unsigned short languageId);

}  // namespace tessaro
