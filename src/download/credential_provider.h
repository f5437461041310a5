#pragma once
// User names and passwords for servers and shares that ask for them. The
// process holds one provider. Nothing is remembered; in basic UI the dialog
// asks the user, fills in what was typed and answers the engine's question
// with ERROR_RETRY. Without anyone to ask (silent mode) a server that wants
// credentials ends the transfer.
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

  // The question as the engine last put it: the URL that was refused, the
  // realm (or the kind of server), the proxy host when a proxy asked.
  [[nodiscard]] const std::wstring& Server() const { return server_; }
  [[nodiscard]] const std::wstring& Realm() const { return realm_; }
  [[nodiscard]] const std::wstring& ProxyServer() const { return proxyServer_; }
  // The user's answer, handed to the engine by GetEntered.
  void SetEntered(const std::wstring& user, const std::wstring& password) {
    enteredUser_ = user;
    enteredPassword_ = password;
  }

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
