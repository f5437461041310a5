#pragma once
// Access lists for files and folders that other accounts must reach
// (the shared log folder, downloaded setup files).
#include <windows.h>
#include <aclapi.h>

#include "platform/handles.h"

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
  [[nodiscard]] PSECURITY_DESCRIPTOR Get() noexcept { return &descriptor_; }
  [[nodiscard]] PACL Dacl() const noexcept { return static_cast<PACL>(dacl_.Get()); }

 private:
  friend class AccessEntryList;
  // Points into dacl_, so the descriptor is neither copied nor moved.
  SECURITY_DESCRIPTOR descriptor_{};
  UniqueLocalMemory dacl_;
};

class AccessEntryList {
 public:
  AccessEntryList(DWORD inheritance, bool revoke) : inheritance_(inheritance), revoke_(revoke) {}
  AccessEntryList(const AccessEntryList&) = delete;
  AccessEntryList& operator=(const AccessEntryList&) = delete;
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
  std::vector<UniqueLocalMemory> sids_;  // the trustees of entries_
};

}  // namespace tessaro
