#pragma once
// The scanning half of property expansion, independent of Windows: the three
// kinds of reference are found here and handed to the lookups.
#include <string>

namespace tessaro {

class PropertyLookups {
 public:
  virtual ~PropertyLookups() = default;
  // False leaves the bracketed name in the text as written.
  virtual bool FolderProperty(const std::wstring& name, std::wstring& value) const = 0;
  // Undefined variables and unreadable values expand to nothing.
  virtual std::wstring EnvironmentVariable(const std::wstring& name) const = 0;
  virtual std::wstring RegistryValue(const std::wstring& path) const = 0;
};

[[nodiscard]] std::wstring ExpandPropertyReferences(const std::wstring& text, const PropertyLookups& lookups);

}  // namespace tessaro
