#include "prereq/version.h"
#include "platform/decimal_text.h"

#include <cstddef>
#include <cstdint>

namespace tessaro {
namespace {

constexpr int kComponentCount = 4;
// More digit groups than components: the count says so, the groups are dropped.
constexpr int kCountWithExtraGroups = 5;
// A value above this cannot take another digit without leaving 32 bits.
// Values that have already wrapped read as negative and pass the test: the
// parse is deliberately that forgiving, so that huge groups stay comparable.
constexpr std::int32_t kLastSafeValue = 214748364;
constexpr std::uint32_t kDecimalBase = 10;
constexpr std::int32_t kInsignificant = 65535;
constexpr wchar_t kZeroText[] = L"0.0.0.0";

bool IsDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

std::size_t FindDigit(const std::wstring& text, std::size_t from) {
  for (std::size_t i = from; i < text.size(); ++i) {
    if (IsDigit(text[i])) return i;
  }
  return std::wstring::npos;
}

// Negative, zero or positive as |a| is below, equal to or above |b|, by
// signed components from major to revision.
int CompareVersions(const VersionValue& a, const VersionValue& b) {
  for (int k = 0; k < kComponentCount; ++k) {
    if (a.parts[k] != b.parts[k]) return a.parts[k] < b.parts[k] ? -1 : 1;
  }
  return 0;
}

bool AllComponentsAre(const VersionValue& v, std::int32_t component) {
  for (int k = 0; k < kComponentCount; ++k) {
    if (v.parts[k] != component) return false;
  }
  return true;
}

// A file search bound of all 65535 is as good as none.
bool IsAbsentBound(const VersionValue& bound) {
  return AllComponentsAre(bound, 0) || AllComponentsAre(bound, kInsignificant);
}

VersionValue ParseOrZero(const std::wstring& text) {
  VersionValue value;
  // A failed parse leaves the zero version, which means "no bound".
  (void)ParseVersion(text, value);
  return value;
}

}  // namespace

bool ParseVersion(const std::wstring& text, VersionValue& value) {
  value = VersionValue();
  std::size_t position = FindDigit(text, 0);
  if (position == std::wstring::npos) return false;

  VersionValue parsed;
  for (int k = 0; k < kComponentCount; ++k) {
    // Unsigned arithmetic: wrapping past 2^31 is intended, and well defined here.
    std::uint32_t component = 0;
    for (; position < text.size() && IsDigit(text[position]); ++position) {
      if (static_cast<std::int32_t>(component) > kLastSafeValue) return false;
      component = component * kDecimalBase + static_cast<std::uint32_t>(text[position] - L'0');
    }
    parsed.parts[k] = static_cast<std::int32_t>(component);
    parsed.count = k + 1;
    position = FindDigit(text, position);
    if (position == std::wstring::npos) break;
  }
  if (position != std::wstring::npos) parsed.count = kCountWithExtraGroups;
  value = parsed;
  return true;
}

std::wstring VersionToText(const VersionValue& value) {
  int last = -1;
  for (int k = 0; k < kComponentCount; ++k) {
    if (value.parts[k] != 0 && value.parts[k] != kInsignificant) last = k;
  }
  if (last < 0) return kZeroText;
  if (last < 1) last = 1;

  std::wstring text;
  for (int k = 0; k <= last; ++k) {
    if (k > 0) text += L'.';
    text += DecimalText(value.parts[k]);
  }
  return text;
}

bool InFoundRange(const std::vector<std::wstring>& foundTexts, const std::wstring& verMin,
                  const std::wstring& verMax) {
  if (foundTexts.empty()) return false;
  const VersionValue min = ParseOrZero(verMin);
  const VersionValue max = ParseOrZero(verMax);
  // Without bounds, having found anything at all is the answer.
  if (min.IsZero() && max.IsZero()) return true;

  for (const std::wstring& text : foundTexts) {
    const VersionValue v = ParseOrZero(text);
    if (v.IsZero()) continue;
    if (!min.IsZero() && CompareVersions(v, min) < 0) continue;
    if (max.IsZero() || CompareVersions(v, max) <= 0) return true;
  }
  return false;
}

bool InRange(const VersionValue& min, const VersionValue& max, const VersionValue& value) {
  const bool hasMin = !IsAbsentBound(min);
  const bool hasMax = !IsAbsentBound(max);
  if (hasMin && CompareVersions(value, min) < 0) return false;
  return !hasMax || CompareVersions(value, max) <= 0;
}

}  // namespace tessaro
