#pragma once
// One owning wrapper for every kind of handle. Each traits type knows the
// handle's invalid value and how to close it; closing preserves the last
// error so that a caller may still read GetLastError after a scope ends.
#include <windows.h>
// After windows.h, which they need.
#include <objbase.h>
#include <shtypes.h>

#include <utility>

namespace tessaro {

template <typename Traits>
class UniqueAny {
 public:
  using Pointer = typename Traits::Pointer;

  UniqueAny() noexcept = default;
  explicit UniqueAny(Pointer value) noexcept : value_(value) {}
  UniqueAny(const UniqueAny&) = delete;
  UniqueAny& operator=(const UniqueAny&) = delete;
  UniqueAny(UniqueAny&& other) noexcept : value_(other.Release()) {}
  UniqueAny& operator=(UniqueAny&& other) noexcept {
    if (this != &other) Reset(other.Release());
    return *this;
  }
  ~UniqueAny() { Reset(); }

  [[nodiscard]] Pointer Get() const noexcept { return value_; }
  [[nodiscard]] bool IsValid() const noexcept { return value_ != Traits::Invalid(); }
  explicit operator bool() const noexcept { return IsValid(); }

  // Releases ownership without closing.
  [[nodiscard]] Pointer Release() noexcept { return std::exchange(value_, Traits::Invalid()); }

  void Reset(Pointer value = Traits::Invalid()) noexcept {
    if (IsValid()) {
      const DWORD lastError = GetLastError();
      Traits::Close(value_);
      SetLastError(lastError);
    }
    value_ = value;
  }

  // For APIs that fill a handle through an out-parameter.
  [[nodiscard]] Pointer* Put() noexcept {
    Reset();
    return &value_;
  }

 private:
  Pointer value_ = Traits::Invalid();
};

struct KernelHandleTraits {
  using Pointer = HANDLE;
  static Pointer Invalid() noexcept { return nullptr; }
  static void Close(Pointer h) noexcept { CloseHandle(h); }
};
struct FileHandleTraits {
  using Pointer = HANDLE;
  static Pointer Invalid() noexcept { return INVALID_HANDLE_VALUE; }
  static void Close(Pointer h) noexcept { CloseHandle(h); }
};
struct FindHandleTraits {
  using Pointer = HANDLE;
  static Pointer Invalid() noexcept { return INVALID_HANDLE_VALUE; }
  static void Close(Pointer h) noexcept { FindClose(h); }
};
struct RegistryKeyTraits {
  using Pointer = HKEY;
  static Pointer Invalid() noexcept { return nullptr; }
  static void Close(Pointer h) noexcept { RegCloseKey(h); }
};
struct ModuleTraits {
  using Pointer = HMODULE;
  static Pointer Invalid() noexcept { return nullptr; }
  static void Close(Pointer h) noexcept { FreeLibrary(h); }
};
struct LocalMemoryTraits {
  using Pointer = HLOCAL;
  static Pointer Invalid() noexcept { return nullptr; }
  static void Close(Pointer h) noexcept { LocalFree(h); }
};

struct SidTraits {
  using Pointer = PSID;
  static Pointer Invalid() noexcept { return nullptr; }
  static void Close(Pointer h) noexcept { FreeSid(h); }
};
struct ItemListTraits {
  using Pointer = PIDLIST_ABSOLUTE;
  static Pointer Invalid() noexcept { return nullptr; }
  // The shell allocates item lists with the COM task allocator.
  static void Close(Pointer h) noexcept { CoTaskMemFree(h); }
};

using UniqueHandle = UniqueAny<KernelHandleTraits>;      // processes, threads, events, mutexes
using UniqueFile = UniqueAny<FileHandleTraits>;          // CreateFileW
using UniqueFindHandle = UniqueAny<FindHandleTraits>;    // FindFirstFileW
using UniqueRegistryKey = UniqueAny<RegistryKeyTraits>;  // RegOpenKeyExW
using UniqueModule = UniqueAny<ModuleTraits>;            // LoadLibraryExW
using UniqueLocalMemory = UniqueAny<LocalMemoryTraits>;  // LocalAlloc, FormatMessageW, string SIDs, ACLs
using UniqueSid = UniqueAny<SidTraits>;                  // AllocateAndInitializeSid
using UniqueItemList = UniqueAny<ItemListTraits>;        // SHGetSpecialFolderLocation

}  // namespace tessaro
