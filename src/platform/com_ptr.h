#pragma once
// Owns one reference to a COM interface and releases it at the end of scope.
#include <unknwn.h>

#include <utility>

namespace tessaro {

template <typename Interface>
class ComPtr {
 public:
  ComPtr() noexcept = default;
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;
  ComPtr(ComPtr&& other) noexcept : pointer_(std::exchange(other.pointer_, nullptr)) {}
  ~ComPtr() { Reset(); }

  [[nodiscard]] Interface* Get() const noexcept { return pointer_; }
  Interface* operator->() const noexcept { return pointer_; }
  explicit operator bool() const noexcept { return pointer_ != nullptr; }

  void Reset() noexcept {
    if (pointer_ != nullptr) std::exchange(pointer_, nullptr)->Release();
  }
  // For the calls that hand out an interface through an out-parameter.
  [[nodiscard]] Interface** Put() noexcept {
    Reset();
    return &pointer_;
  }
  [[nodiscard]] void** PutVoid() noexcept { return reinterpret_cast<void**>(Put()); }
  [[nodiscard]] IUnknown** PutUnknown() noexcept { return reinterpret_cast<IUnknown**>(Put()); }

 private:
  Interface* pointer_ = nullptr;
};

}  // namespace tessaro
