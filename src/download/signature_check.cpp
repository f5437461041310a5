#include "download/signature_check.h"

#include <windows.h>
// After windows.h, which they need.
#include <softpub.h>
#include <wincrypt.h>
#include <wintrust.h>

#include <vector>

#include "platform/paths.h"
#include "platform/system_library.h"

namespace tessaro {
namespace {

// Neither is a known DLL: like WinINet they come from the system folder only.
constinit LazySystemLibrary Wintrust(L"wintrust.dll");
constinit LazySystemLibrary Crypt32(L"crypt32.dll");

// The signer's subject common name, when the provider built a chain for the
// first signer that ends in a trusted root without any error. The provider's
// own verdict is not enough: some trust providers (Wine's) accept a
// signature whose root is not trusted, while the chain they built says so.
bool SignerName(HANDLE state, std::wstring& name) {
  const HMODULE wintrust = Wintrust.Get();
  const auto providerData =
      GetProcedure<decltype(&WTHelperProvDataFromStateData)>(wintrust, "WTHelperProvDataFromStateData");
  const auto signerOf =
      GetProcedure<decltype(&WTHelperGetProvSignerFromChain)>(wintrust, "WTHelperGetProvSignerFromChain");
  const auto certificateOf =
      GetProcedure<decltype(&WTHelperGetProvCertFromChain)>(wintrust, "WTHelperGetProvCertFromChain");
  const auto nameOf = GetProcedure<decltype(&CertGetNameStringW)>(Crypt32.Get(), "CertGetNameStringW");
  if (!providerData || !signerOf || !certificateOf || !nameOf) return false;
  CRYPT_PROVIDER_DATA* data = providerData(state);
  CRYPT_PROVIDER_SGNR* signer = data != nullptr ? signerOf(data, 0, FALSE, 0) : nullptr;
  if (signer == nullptr || signer->pChainContext == nullptr ||
      signer->pChainContext->TrustStatus.dwErrorStatus != CERT_TRUST_NO_ERROR) {
    return false;
  }
  CRYPT_PROVIDER_CERT* certificate = certificateOf(signer, 0);
  if (certificate == nullptr || certificate->pCert == nullptr) return false;
  char oid[] = szOID_COMMON_NAME;
  const DWORD size = nameOf(certificate->pCert, CERT_NAME_ATTR_TYPE, 0, oid, nullptr, 0);
  std::vector<wchar_t> text(size);
  if (size <= 1 || nameOf(certificate->pCert, CERT_NAME_ATTR_TYPE, 0, oid, text.data(), size) != size) {
    return false;
  }
  name.assign(text.data(), size - 1);
  return true;
}

}  // namespace

bool IsSignedBy(const std::wstring& path, HANDLE file, const std::wstring& signer) {
  const auto verify = GetProcedure<decltype(&WinVerifyTrust)>(Wintrust.Get(), "WinVerifyTrust");
  if (!verify) return false;
  const std::wstring longPath = ToLongForm(path);
  WINTRUST_FILE_INFO fileInfo = {};
  fileInfo.cbStruct = sizeof(fileInfo);
  fileInfo.pcwszFilePath = longPath.c_str();
  fileInfo.hFile = file;
  WINTRUST_DATA trust = {};
  trust.cbStruct = sizeof(trust);
  trust.dwUIChoice = WTD_UI_NONE;
  // A setup is often installed where no revocation server can be reached;
  // a check that cannot be made would reject every good signature there.
  trust.fdwRevocationChecks = WTD_REVOKE_NONE;
  trust.dwProvFlags = WTD_REVOCATION_CHECK_NONE;
  trust.dwUnionChoice = WTD_CHOICE_FILE;
  trust.pFile = &fileInfo;
  trust.dwStateAction = WTD_STATEACTION_VERIFY;
  GUID action = WINTRUST_ACTION_GENERIC_VERIFY_V2;
  const LONG verdict = verify(static_cast<HWND>(INVALID_HANDLE_VALUE), &action, &trust);
  std::wstring name;
  const bool accepted = verdict == ERROR_SUCCESS && SignerName(trust.hWVTStateData, name) && name == signer;
  trust.dwStateAction = WTD_STATEACTION_CLOSE;
  (void)verify(static_cast<HWND>(INVALID_HANDLE_VALUE), &action, &trust);
  return accepted;
}

}  // namespace tessaro
