#include "config/config_document.h"
#include "config/load_observer.h"

#include <cstdint>

namespace tessaro {
namespace {

constexpr wchar_t kByteOrderMark = 0xFEFF;
constexpr std::uint32_t kLastBlankCode = 0x20;  // space and every control character
constexpr wchar_t kHeaderOpen = L'[';
constexpr wchar_t kHeaderClose = L']';
constexpr wchar_t kKeyValueSeparator = L'=';

// wchar_t is signed on some hosts; code units compare as unsigned values.
bool IsBlankOrControl(wchar_t c) { return static_cast<std::uint32_t>(c) <= kLastBlankCode; }

std::wstring Trim(const std::wstring& text, std::size_t begin, std::size_t end) {
  while (begin < end && IsWindowsBlank(text[begin])) ++begin;
  while (end > begin && IsWindowsBlank(text[end - 1])) --end;
  return text.substr(begin, end - begin);
}

// A header is a line whose first non-blank is "[" and whose last non-blank is
// "]"; the name is everything between them, blanks inside included.
bool ParseHeader(const std::wstring& line, std::wstring& name) {
  std::size_t first = 0;
  while (first < line.size() && IsBlankOrControl(line[first])) ++first;
  if (first == line.size() || line[first] != kHeaderOpen) return false;
  std::size_t last = line.size();
  while (last > first && IsBlankOrControl(line[last - 1])) --last;
  if (line[last - 1] != kHeaderClose) return false;
  name = line.substr(first + 1, last - 1 - (first + 1));
  return true;
}

}  // namespace

bool IsWindowsBlank(wchar_t c) {
  const auto code = static_cast<std::uint32_t>(c);
  return (code >= 0x09 && code <= 0x0D) || code == 0x20 || code == 0xA0 || code == 0x1680 ||
         (code >= 0x2000 && code <= 0x200A) || code == 0x2028 || code == 0x2029 || code == 0x202F ||
         code == 0x205F || code == 0x3000;
}

bool ConfigDocument::GetValue(const std::wstring& section, const std::wstring& key,
                              std::wstring& value) const {
  const ConfigSection* found = FindSection(section);
  if (found == nullptr) return false;
  const ConfigEntry* entry = FindEntry(*found, key);
  if (entry == nullptr) return false;
  value = entry->value;
  return true;
}

void ConfigDocument::GetSectionNames(std::vector<std::wstring>& names) const {
  names.clear();
  for (const ConfigSection& section : sections_) names.push_back(section.name);
}

void ConfigDocument::SetValue(const std::wstring& section, const std::wstring& key,
                              const std::wstring& value) {
  ConfigSection* target = nullptr;
  for (ConfigSection& candidate : sections_) {
    if (candidate.name == section) {
      target = &candidate;
      break;
    }
  }
  if (target == nullptr) {
    sections_.push_back(ConfigSection{section, {}});
    target = &sections_.back();
  }
  target->entries.push_back(ConfigEntry{key, value, 0});
}

void ConfigDocument::Parse(const std::wstring& text, LoadObserver* observer) {
  sections_.clear();
  ConfigSection* current = nullptr;
  int lineNumber = 0;
  std::size_t lineStart = 0;
  const auto note = [observer, &lineNumber](LoadEvent event, const std::wstring& line) {
    if (observer != nullptr) observer->Noted(event, lineNumber, line);
  };
  while (lineStart < text.size()) {
    // Only the pair CR LF ends a line; a lone CR or LF is ordinary text.
    std::size_t lineEnd = text.find(L"\r\n", lineStart);
    const std::size_t next = lineEnd == std::wstring::npos ? text.size() : lineEnd + 2;
    if (lineEnd == std::wstring::npos) lineEnd = text.size();
    std::wstring line = text.substr(lineStart, lineEnd - lineStart);
    lineStart = next;

    if (++lineNumber == 1 && !line.empty() && line.front() == kByteOrderMark) line.erase(0, 1);
    if (line.empty()) continue;
    if (line.find_first_of(L"\r\n") != std::wstring::npos) note(LoadEvent::LoneLineBreak, line);

    std::wstring name;
    if (ParseHeader(line, name)) {
      sections_.push_back(ConfigSection{std::move(name), {}, lineNumber});
      current = &sections_.back();
      continue;
    }
    const std::size_t separator = line.find(kKeyValueSeparator);
    if (current == nullptr || separator == std::wstring::npos) {
      // Blank lines and lines of blanks are how authors space a file out.
      if (Trim(line, 0, line.size()).empty()) continue;
      note(current == nullptr ? LoadEvent::IgnoredOutsideSection : LoadEvent::IgnoredWithoutSeparator, line);
      continue;
    }
    current->entries.push_back(
        ConfigEntry{Trim(line, 0, separator), Trim(line, separator + 1, line.size()), lineNumber});
  }
}

const ConfigSection* ConfigDocument::FindSection(const std::wstring& name) const {
  for (const ConfigSection& section : sections_) {
    if (section.name == name) return &section;
  }
  return nullptr;
}

const ConfigEntry* ConfigDocument::FindEntry(const ConfigSection& section, const std::wstring& key) {
  for (const ConfigEntry& entry : section.entries) {
    if (entry.key == key) return &entry;
  }
  return nullptr;
}

std::wstring DecodeUtf16Le(const unsigned char* bytes, std::size_t count) {
  std::wstring text;
  if (bytes == nullptr) return text;
  text.reserve(count / 2);
  for (std::size_t i = 0; i + 1 < count; i += 2) {
    const unsigned unit = static_cast<unsigned>(bytes[i]) | (static_cast<unsigned>(bytes[i + 1]) << 8);
    text.push_back(static_cast<wchar_t>(unit));
  }
  return text;
}

}  // namespace tessaro
