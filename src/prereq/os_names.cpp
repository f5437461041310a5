#include "prereq/os_names.h"
#include "platform/decimal_text.h"

namespace tessaro {
namespace {

constexpr const wchar_t* kOsNotIdentified = L"OsNotIdentified";
constexpr wchar_t kOsListSeparator[] = L", ";

struct Windows10Release {
  std::uint32_t build;
  const wchar_t* version;
};

// Releases named by version; a build missing here is plain "Windows 10".
constexpr Windows10Release kWindows10Releases[] = {
    {10240, L"1507"}, {10586, L"1511"}, {14393, L"1607"}, {15063, L"1703"},
    {16299, L"1709"}, {17134, L"1803"}, {17763, L"1809"}, {18362, L"1903"},
    {18363, L"1909"}, {19041, L"2004"},
};
constexpr std::uint32_t kServer2016Build = 14393;
constexpr std::uint32_t kServer2019Build = 17763;

bool Is(const OsDescription& os, std::uint32_t major, std::uint32_t minor) {
  return os.major == major && os.minor == minor;
}

// Only 64-bit servers get server names of their own from 6.1 on: the 32-bit
// editions of those systems share the workstation names.
bool IsServer64(const OsDescription& os) { return os.isServer && os.is64Bit; }

// The x64 / x86 form of a name that exists for both.
std::wstring ForArch(const OsDescription& os, const std::wstring& base) {
  return base + (os.is64Bit ? L" x64" : L" x86");
}

// "base RTM" for service pack 0 when |namesRtm|, "base SPn" up to
// |highestNamed|, the plain base for any other service pack.
std::wstring WithServicePack(const std::wstring& base, std::uint32_t servicePack, bool namesRtm,
                             std::uint32_t highestNamed) {
  if (servicePack == 0) return namesRtm ? base + L" RTM" : base;
  if (servicePack <= highestNamed) return base + L" SP" + DecimalText(servicePack);
  return base;
}

std::wstring DetailedWindows10Name(const OsDescription& os) {
  if (IsServer64(os) && os.build == kServer2016Build) return L"Windows Server 2016 x64";
  if (IsServer64(os) && os.build == kServer2019Build) return L"Windows Server 2019 x64";
  for (const Windows10Release& release : kWindows10Releases) {
    if (release.build == os.build) return ForArch(os, std::wstring(L"Windows 10 version ") + release.version);
  }
  return GenericOsName(os);
}

}  // namespace

std::vector<std::wstring> OsListItems(const std::wstring& list) {
  std::vector<std::wstring> items;
  const std::size_t separatorLength = std::char_traits<wchar_t>::length(kOsListSeparator);
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = list.find(kOsListSeparator, start);
    items.push_back(list.substr(start, end == std::wstring::npos ? std::wstring::npos : end - start));
    if (end == std::wstring::npos) return items;
    start = end + separatorLength;
  }
}

std::vector<std::wstring> AllOsNames() {
  // Every version the names know, each with every service pack they name,
  // both kinds and both widths, and every Windows 10 build named by release.
  static constexpr std::uint32_t kVersions[][2] = {{5, 1}, {5, 2}, {6, 0}, {6, 1}, {6, 2}, {6, 3}, {10, 0}};
  std::vector<std::uint32_t> builds = {0};
  for (const Windows10Release& release : kWindows10Releases) builds.push_back(release.build);
  std::vector<std::wstring> names;
  const auto add = [&names](const std::wstring& name) {
    for (const std::wstring& known : names) {
      if (known == name) return;
    }
    names.push_back(name);
  };
  for (const auto& version : kVersions) {
    for (std::uint32_t servicePack = 0; servicePack <= 4; ++servicePack) {
      for (int kind = 0; kind < 4; ++kind) {
        for (std::uint32_t build : builds) {
          OsDescription os;
          os.major = version[0];
          os.minor = version[1];
          os.servicePack = servicePack;
          os.isServer = (kind & 1) != 0;
          os.is64Bit = (kind & 2) != 0;
          os.build = build;
          add(DetailedOsName(os));
          add(GenericOsName(os));
        }
      }
    }
  }
  return names;
}

std::wstring GenericOsName(const OsDescription& os) {
  if (Is(os, 10, 0)) return IsServer64(os) ? L"Windows Server x64" : ForArch(os, L"Windows 10");
  if (Is(os, 6, 3)) return IsServer64(os) ? L"Windows Server 2012 R2 x64" : ForArch(os, L"Windows 8.1");
  if (Is(os, 6, 2)) return IsServer64(os) ? L"Windows Server 2012 x64" : ForArch(os, L"Windows 8");
  if (Is(os, 6, 1)) return IsServer64(os) ? L"Windows Server 2008 R2 x64" : ForArch(os, L"Windows 7");
  if (Is(os, 6, 0)) return ForArch(os, os.isServer ? L"Windows Server 2008" : L"Windows Vista");
  if (Is(os, 5, 2)) return os.isServer ? ForArch(os, L"Windows Server 2003") : L"Windows XP x64";
  if (Is(os, 5, 1)) return L"Windows XP x86";
  return kOsNotIdentified;
}

std::wstring DetailedOsName(const OsDescription& os) {
  const std::uint32_t sp = os.servicePack;
  if (Is(os, 10, 0)) return DetailedWindows10Name(os);
  // Windows 8 and 8.1 had no service packs: the generic names are the detailed ones.
  if (Is(os, 6, 3) || Is(os, 6, 2)) return GenericOsName(os);
  if (Is(os, 6, 1)) {
    if (IsServer64(os)) return WithServicePack(L"Windows Server 2008 R2", sp, true, 1) + L" x64";
    return ForArch(os, WithServicePack(L"Windows 7", sp, true, 1));
  }
  if (Is(os, 6, 0)) {
    // Server 2008 shipped with the code of Vista SP1, so its first release counts as RTM.
    if (os.isServer) return ForArch(os, WithServicePack(L"Windows Server 2008", sp == 1 ? 0 : sp, true, 2));
    return ForArch(os, WithServicePack(L"Windows Vista", sp, true, 2));
  }
  if (Is(os, 5, 2)) {
    if (os.isServer) return ForArch(os, WithServicePack(L"Windows Server 2003", sp, false, 2));
    return WithServicePack(L"Windows XP", sp, false, 2) + L" x64";
  }
  if (Is(os, 5, 1)) return WithServicePack(L"Windows XP", sp, false, 3) + L" x86";
  return kOsNotIdentified;
}

}  // namespace tessaro
