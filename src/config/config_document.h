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
};

struct ConfigSection {
  std::wstring name;
  std::vector<ConfigEntry> entries;
};

class ConfigDocument {
 public:
  virtual ~ConfigDocument() = default;
  // Always reports success and a count of 0; kept for its place in the interface.
  virtual bool QueryStatus(unsigned& count) const;
  virtual bool GetValue(const std::wstring& section, const std::wstring& key, std::wstring& value) const;
  virtual void GetSectionNames(std::vector<std::wstring>& names) const;
  virtual void SetValue(const std::wstring& section, const std::wstring& key, const std::wstring& value);
  virtual void Reserved() {}

  void Parse(const std::wstring& text);
  [[nodiscard]] const ConfigSection* FindSection(const std::wstring& name) const;
  [[nodiscard]] static const ConfigEntry* FindEntry(const ConfigSection& section, const std::wstring& key);
  [[nodiscard]] const std::vector<ConfigSection>& Sections() const { return sections_; }

 private:
  std::vector<ConfigSection> sections_;
};

// The configuration file's bytes after its first two (the byte-order mark),
// as UTF-16LE code units; an odd last byte is ignored.
[[nodiscard]] std::wstring DecodeUtf16Le(const unsigned char* bytes, std::size_t count);

}  // namespace tessaro
