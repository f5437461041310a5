#pragma once
// Access lists for files and folders that other accounts must reach
// (the shared log folder, downloaded setup files).
#include <windows.h>
#include <aclapi.h>

#include <memory>
#include <string>
#include <vector>

namespace tessaro {

// An absolute security descriptor together with the memory its DACL lives in.
class SecurityDescriptor {
 public:
  SecurityDescriptor() = default;
  SecurityDescriptor(const SecurityDescriptor&) = delete;
  SecurityDescriptor& operator=(const SecurityDescriptor&) = delete;
  SecurityDescriptor(SecurityDescriptor&&) noexcept;
  SecurityDescriptor& operator=(SecurityDescriptor&&) noexcept;
  ~SecurityDescriptor();
  [[nodiscard]] PSECURITY_DESCRIPTOR Get() noexcept { return &descriptor_; }
  [[nodiscard]] PACL Dacl() const noexcept { return dacl_; }

 private:
  friend class AccessEntryList;
  SECURITY_DESCRIPTOR descriptor_{};
  PACL dacl_ = nullptr;  // LocalFree
};

class AccessEntryList {
 public:
  AccessEntryList(DWORD inheritance, bool revoke) : inheritance_(inheritance), revoke_(revoke) {}
  AccessEntryList(const AccessEntryList&) = delete;
  AccessEntryList& operator=(const AccessEntryList&) = delete;
  ~AccessEntryList();
  // trustee is an account name, or a SID text ("S-1-1-0") when isSidText.
  [[nodiscard]] bool AddAccessEntry(const std::wstring& trustee, bool isSidText);
  // Merges the entries into |existing|'s DACL when given. On failure returns
  // nullptr and |error| holds the Windows error code.
  // (<aclapi.h> turns this name into BuildSecurityDescriptorW; everyone sees
  // it through this header, so declaration and calls agree.)
  [[nodiscard]] std::unique_ptr<SecurityDescriptor> BuildSecurityDescriptor(
      PSECURITY_DESCRIPTOR existing, DWORD& error);

 private:
  DWORD inheritance_;
  bool revoke_;
  std::vector<EXPLICIT_ACCESSW> entries_;
  std::vector<PSID> sids_;  // owned; freed with LocalFree or by size
};

}  // namespace tessaro
