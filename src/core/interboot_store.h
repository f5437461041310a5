#pragma once
// Named text values under one key of HKEY_CURRENT_USER that outlive a
// restart: the return codes of the setups a run launched. ANSI registry
// calls, REG_SZ data without a terminating zero; the key is opened anew for
// each operation. Registry failures are quiet: a value that cannot be
// written is simply missing.
#include <windows.h>

#include <cstdint>
#include <string>
#include <utility>

namespace tessaro {

class InterbootStore {
 public:
  // Steps through the key's values by index; two iterators are equal when
  // their indices are.
  class Iterator {
   public:
    Iterator(const InterbootStore& store, DWORD index) : store_(&store), index_(index) {}
    [[nodiscard]] bool operator==(const Iterator& other) const { return index_ == other.index_; }
    Iterator& operator++() {
      ++index_;
      return *this;
    }
    // (name, text) of the value at this index; empty texts when it cannot be read.
    [[nodiscard]] std::pair<std::string, std::string> operator*() const;

   private:
    const InterbootStore* store_;
    DWORD index_;
  };

  explicit InterbootStore(std::string keyName) : keyName_(std::move(keyName)) {}

  // The operations in the order the store's users are written against.
  [[nodiscard]] virtual bool SetNumber(const std::string& name, std::int32_t value);
  [[nodiscard]] virtual bool SetText(const std::string& name, const std::string& text);
  [[nodiscard]] virtual bool GetNumber(const std::string& name, std::int32_t& value) const;
  [[nodiscard]] virtual bool GetText(const std::string& name, std::string& text) const;
  [[nodiscard]] virtual bool Delete(const std::string& name);
  [[nodiscard]] virtual Iterator Begin() const;
  [[nodiscard]] virtual Iterator End() const;
  virtual ~InterbootStore() = default;

  [[nodiscard]] const std::string& KeyName() const { return keyName_; }
  // Removes the key with its values; a key that was never created is no error.
  void DeleteKey();

 private:
  std::string keyName_;
};

}  // namespace tessaro
