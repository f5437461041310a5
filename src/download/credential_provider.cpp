#include "download/credential_provider.h"

namespace tessaro {
namespace {

constinit CredentialProvider ProcessProvider;

}  // namespace

void CredentialProvider::Arm() { armed_ = true; }

bool CredentialProvider::GetRemembered(std::wstring& user, std::wstring& password) {
  if (!armed_ || rememberedUser_.empty()) return false;
  user = rememberedUser_;
  password = rememberedPassword_;
  return true;
}

bool CredentialProvider::GetEntered(std::wstring& user, std::wstring& password) {
  if (enteredUser_.empty()) return false;
  user = enteredUser_;
  password = enteredPassword_;
  return true;
}

void CredentialProvider::Disarm() { armed_ = false; }
void CredentialProvider::SetRealm(const std::wstring& realm) { realm_ = realm; }
void CredentialProvider::SetProxyServer(const std::wstring& proxyServer) { proxyServer_ = proxyServer; }
void CredentialProvider::SetServer(const std::wstring& server) { server_ = server; }

CredentialProvider& ProcessCredentials() { return ProcessProvider; }

}  // namespace tessaro
