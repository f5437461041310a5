#pragma once
// The configuration file in memory: ordered sections of ordered key/value
// pairs. Names are compared exactly; the first match wins, later duplicates
// are kept but never found.
#include <cstddef>
#include <string>
#include <vector>

namespace tessaro {

struct ConfigEntry {
  std::wstring key;
  std::wstring value;
  int line = 0;  // 1-based line of the file; 0 for entries set in code
};

struct ConfigSection {
  std::wstring name;
  std::vector<ConfigEntry> entries;
  int line = 0;
};

class LoadObserver;

class ConfigDocument {
 public:
  virtual ~ConfigDocument() = default;
  virtual bool GetValue(const std::wstring& section, const std::wstring& key, std::wstring& value) const;
  virtual void GetSectionNames(std::vector<std::wstring>& names) const;
  virtual void SetValue(const std::wstring& section, const std::wstring& key, const std::wstring& value);

  // |observer|, when given, hears of every line the parser drops.
  void Parse(const std::wstring& text, LoadObserver* observer = nullptr);
  [[nodiscard]] const ConfigSection* FindSection(const std::wstring& name) const;
  [[nodiscard]] static const ConfigEntry* FindEntry(const ConfigSection& section, const std::wstring& key);
  [[nodiscard]] const std::vector<ConfigSection>& Sections() const { return sections_; }

 private:
  std::vector<ConfigSection> sections_;
};

// The blanks that keys and values lose at both ends: those of the Windows C
// runtime's iswspace, spelled out so that every build trims alike (other C
// runtimes do not count U+00A0, U+2000 or U+3000 as blanks).
[[nodiscard]] bool IsWindowsBlank(wchar_t c);

// The configuration file's bytes after its first two (the byte-order mark),
// as UTF-16LE code units; an odd last byte is ignored.
[[nodiscard]] std::wstring DecodeUtf16Le(const unsigned char* bytes, std::size_t count);

}  // namespace tessaro
