#pragma once
// Four-component versions as found in registries, version resources and
// configuration bounds. All-zero means no version or no bound.
#include <cstdint>
#include <string>
#include <vector>

namespace tessaro {

struct VersionValue {
  std::int32_t parts[4] = {0, 0, 0, 0};
  int count = 0;  // digit groups read (1..5), 0 after a failed parse; informational
  [[nodiscard]] bool IsZero() const { return !parts[0] && !parts[1] && !parts[2] && !parts[3]; }
};

// On failure |value| is the zero version.
[[nodiscard]] bool ParseVersion(const std::wstring& text, VersionValue& value);
[[nodiscard]] std::wstring VersionToText(const VersionValue& value);
[[nodiscard]] bool InFoundRange(const std::vector<std::wstring>& foundTexts, const std::wstring& verMin,
                                const std::wstring& verMax);
[[nodiscard]] bool InRange(const VersionValue& min, const VersionValue& max, const VersionValue& value);

}  // namespace tessaro
