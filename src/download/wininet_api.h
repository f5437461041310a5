#pragma once
// WinINet and mpr are not known system DLLs: they are loaded on first use
// from the system folder only, and their entries are looked up by name. A
// system without one of them (or an entry) gets null pointers, which the
// engine answers with ERROR_PROC_NOT_FOUND instead of crashing.
#include <windows.h>
#include <wininet.h>
#include <winnetwk.h>

namespace tessaro {

struct WinInetApi {
  decltype(&InternetOpenW) open = nullptr;
  decltype(&InternetConnectW) connect = nullptr;
  decltype(&InternetCloseHandle) closeHandle = nullptr;
  decltype(&InternetSetStatusCallbackW) setStatusCallback = nullptr;
  decltype(&InternetSetOptionW) setOption = nullptr;
  decltype(&InternetQueryOptionW) queryOption = nullptr;
  decltype(&InternetCrackUrlW) crackUrl = nullptr;
  decltype(&InternetGetLastResponseInfoW) getLastResponseInfo = nullptr;
  decltype(&InternetQueryDataAvailable) queryDataAvailable = nullptr;
  // The Ex form: a read that goes on delivers its count into the caller's
  // structure, where InternetReadFile's may be zeroed after the fact.
  decltype(&InternetReadFileExA) readFileEx = nullptr;
  decltype(&HttpOpenRequestW) httpOpenRequest = nullptr;
  decltype(&HttpSendRequestW) httpSendRequest = nullptr;
  decltype(&HttpQueryInfoW) httpQueryInfo = nullptr;
  decltype(&FtpCommandW) ftpCommand = nullptr;
  decltype(&FtpOpenFileW) ftpOpenFile = nullptr;
  decltype(&FtpGetFileSize) ftpGetFileSize = nullptr;

  // True when every entry was found.
  [[nodiscard]] bool Complete() const noexcept;
};

struct MprApi {
  decltype(&WNetAddConnection2W) addConnection2 = nullptr;
};

// Each filled once per process.
[[nodiscard]] const WinInetApi& WinInet();
[[nodiscard]] const MprApi& Mpr();

}  // namespace tessaro
