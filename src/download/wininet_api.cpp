#include "download/wininet_api.h"

#include "platform/process_once.h"
#include "platform/system_library.h"

namespace tessaro {
namespace {

constinit ProcessOnce<WinInetApi> WinInetOnce;
constinit ProcessOnce<MprApi> MprOnce;

template <typename Function>
void Look(HMODULE module, const char* name, Function& entry) {
  entry = GetProcedure<Function>(module, name);
}

WinInetApi LookUpWinInet() {
  WinInetApi api;
  const HMODULE module = LoadSystemLibrary(L"wininet.dll");
  Look(module, "InternetOpenW", api.open);
  Look(module, "InternetConnectW", api.connect);
  Look(module, "InternetCloseHandle", api.closeHandle);
  Look(module, "InternetSetStatusCallbackW", api.setStatusCallback);
  Look(module, "InternetSetOptionW", api.setOption);
  Look(module, "InternetQueryOptionW", api.queryOption);
  Look(module, "InternetCrackUrlW", api.crackUrl);
  Look(module, "InternetGetLastResponseInfoW", api.getLastResponseInfo);
  Look(module, "InternetQueryDataAvailable", api.queryDataAvailable);
  Look(module, "InternetReadFileExA", api.readFileEx);
  Look(module, "HttpOpenRequestW", api.httpOpenRequest);
  Look(module, "HttpSendRequestW", api.httpSendRequest);
  Look(module, "HttpQueryInfoW", api.httpQueryInfo);
  Look(module, "FtpCommandW", api.ftpCommand);
  Look(module, "FtpOpenFileW", api.ftpOpenFile);
  Look(module, "FtpGetFileSize", api.ftpGetFileSize);
  return api;
}

MprApi LookUpMpr() {
  MprApi api;
  Look(LoadSystemLibrary(L"mpr.dll"), "WNetAddConnection2W", api.addConnection2);
  return api;
}

}  // namespace

bool WinInetApi::Complete() const noexcept {
  return open && connect && closeHandle && setStatusCallback && setOption && queryOption && crackUrl &&
         getLastResponseInfo && queryDataAvailable && readFileEx && httpOpenRequest && httpSendRequest &&
         httpQueryInfo && ftpCommand && ftpOpenFile && ftpGetFileSize;
}

const WinInetApi& WinInet() { return WinInetOnce.Get(LookUpWinInet); }
const MprApi& Mpr() { return MprOnce.Get(LookUpMpr); }

}  // namespace tessaro
