#include "platform/security.h"

#include <sddl.h>

#include <utility>

#include "platform/process_once.h"
#include "platform/system_library.h"

namespace tessaro {
namespace {

using ConvertStringSidToSidFn = BOOL(WINAPI*)(LPCWSTR, PSID*);

constinit ProcessOnce<ConvertStringSidToSidFn> ConvertStringSid;

// Looked up at run time: old systems lack the function.
ConvertStringSidToSidFn ConvertStringSidFunction() {
  return ConvertStringSid.Get([] {
    return GetProcedure<ConvertStringSidToSidFn>(LoadSystemLibrary(L"Advapi32.dll"), "ConvertStringSidToSidW");
  });
}

// The SID of an account name, in LocalAlloc memory like the ones that
// ConvertStringSidToSidW returns, so that every SID is freed the same way.
UniqueLocalMemory LookUpAccountSid(const std::wstring& account) {
  DWORD sidSize = 0;
  DWORD domainLength = 0;
  SID_NAME_USE use;
  if (LookupAccountNameW(nullptr, account.c_str(), nullptr, &sidSize, nullptr, &domainLength, &use) ||
      GetLastError() != ERROR_INSUFFICIENT_BUFFER || sidSize == 0) {
    return UniqueLocalMemory();
  }
  UniqueLocalMemory sid(LocalAlloc(LMEM_FIXED, sidSize));
  if (!sid) return sid;
  std::wstring domain(domainLength, L'\0');
  if (!LookupAccountNameW(nullptr, account.c_str(), sid.Get(), &sidSize, domain.data(), &domainLength, &use)) {
    sid.Reset();  // keeps the last error
  }
  return sid;
}

}  // namespace

bool AccessEntryList::AddAccessEntry(const std::wstring& trustee, bool isSidText) {
  // An empty text names nobody, though some systems map it to a SID anyway.
  if (trustee.empty()) {
    SetLastError(isSidText ? ERROR_INVALID_SID : ERROR_NONE_MAPPED);
    return false;
  }
  UniqueLocalMemory sid;
  if (isSidText) {
    const ConvertStringSidToSidFn convert = ConvertStringSidFunction();
    if (convert == nullptr) {
      SetLastError(ERROR_PROC_NOT_FOUND);
      return false;
    }
    if (!convert(trustee.c_str(), reinterpret_cast<PSID*>(sid.Put()))) return false;
  } else {
    sid = LookUpAccountSid(trustee);
    if (!sid) return false;
  }
  const PSID trusteeSid = sid.Get();
  sids_.push_back(std::move(sid));

  EXPLICIT_ACCESSW entry{};
  entry.grfAccessPermissions = GENERIC_ALL;
  entry.grfAccessMode = revoke_ ? REVOKE_ACCESS : SET_ACCESS;
  entry.grfInheritance = inheritance_;
  entry.Trustee.TrusteeForm = TRUSTEE_IS_SID;
  entry.Trustee.TrusteeType = TRUSTEE_IS_UNKNOWN;
  entry.Trustee.ptstrName = static_cast<LPWSTR>(trusteeSid);
  entries_.push_back(entry);
  return true;
}

std::unique_ptr<SecurityDescriptor> AccessEntryList::BuildSecurityDescriptor(PSECURITY_DESCRIPTOR existing,
                                                                             DWORD& error) {
  PACL existingDacl = nullptr;
  if (existing != nullptr) {
    BOOL present = FALSE;
    BOOL defaulted = FALSE;
    if (!GetSecurityDescriptorDacl(existing, &present, &existingDacl, &defaulted)) {
      error = GetLastError();
      return nullptr;
    }
    if (!present) existingDacl = nullptr;
  }
  PACL merged = nullptr;
  const DWORD status =
      SetEntriesInAclW(static_cast<ULONG>(entries_.size()), entries_.data(), existingDacl, &merged);
  if (status != ERROR_SUCCESS) {
    error = status;
    return nullptr;
  }
  auto result = std::make_unique<SecurityDescriptor>();
  result->dacl_.Reset(merged);
  // A descriptor whose DACL is missing grants everything to everyone: never
  // hand one out because there was nothing to merge.
  if (merged == nullptr) {
    error = ERROR_INVALID_ACL;
    return nullptr;
  }
  if (!InitializeSecurityDescriptor(&result->descriptor_, SECURITY_DESCRIPTOR_REVISION) ||
      !SetSecurityDescriptorDacl(&result->descriptor_, TRUE, merged, FALSE)) {
    error = GetLastError();
    return nullptr;
  }
  return result;
}

}  // namespace tessaro
