#pragma once
// User names and passwords for servers and shares that ask for them. The
// process holds one provider; nothing in the product fills it, so it offers
// no remembered credentials and nothing the user entered, and a server that
// asks for credentials ends the transfer. A dialog that asks the user may
// fill it and answer the engine's question with ERROR_RETRY.
#include <string>

namespace tessaro {

class CredentialProvider {
 public:
  virtual ~CredentialProvider() = default;
  // Allows one use of the remembered credentials (each attempt starts here).
  virtual void Arm();
  // Remembered credentials, only while armed and when a user name is remembered.
  [[nodiscard]] virtual bool GetRemembered(std::wstring& user, std::wstring& password);
  // What the user has just entered; false when nothing.
  [[nodiscard]] virtual bool GetEntered(std::wstring& user, std::wstring& password);
  // The remembered credentials were used: not again in this attempt.
  virtual void Disarm();
  // The texts of the question the user will see.
  virtual void SetRealm(const std::wstring& realm);
  virtual void SetProxyServer(const std::wstring& proxyServer);
  virtual void SetServer(const std::wstring& server);

 protected:
  bool armed_ = false;
  std::wstring rememberedUser_;
  std::wstring rememberedPassword_;
  std::wstring enteredUser_;
  std::wstring enteredPassword_;
  std::wstring realm_;
  std::wstring proxyServer_;
  std::wstring server_;
};

// The process's provider, created empty.
[[nodiscard]] CredentialProvider& ProcessCredentials();

}  // namespace tessaro
