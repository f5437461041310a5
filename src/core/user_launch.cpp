#include "core/user_launch.h"

#include <windows.h>

#include "core/logon_text.h"
#include "platform/handles.h"

namespace tessaro {
namespace {

// Hidden, run only while the user is logged on, and 0x8000.
constexpr DWORD kLogonTaskFlags = 0xA200;
constexpr std::int32_t kScheduleAtLogon = 6;
constexpr DWORD kAccountPartLength = 100;
// A "Run" value up to this size is someone's own entry: it stays.
constexpr DWORD kKeptRunValueBytes = 200;
constexpr wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";

class ServiceHandleTraits {
 public:
  using Pointer = SC_HANDLE;
  static Pointer Invalid() noexcept { return nullptr; }
  static void Close(Pointer h) noexcept { CloseServiceHandle(h); }
};
using UniqueServiceHandle = UniqueAny<ServiceHandleTraits>;

// "DOMAIN\user" of the account this process runs as; LocalSystem gets none.
std::wstring TaskAccount() {
  wchar_t domain[kAccountPartLength] = {};
  const DWORD domainLength = GetEnvironmentVariableW(L"UserDomain", domain, kAccountPartLength);
  wchar_t user[kAccountPartLength] = {};
  DWORD userLength = kAccountPartLength;
  if (!GetUserNameW(user, &userLength)) user[0] = L'\0';
  std::wstring account(domain, domainLength < kAccountPartLength ? domainLength : 0);
  account += L'\\';
  account += user;
  if (account.find(L"\\SYSTEM") != std::wstring::npos || account == L"SYSTEM") return std::wstring();
  return account;
}

}  // namespace

MainApplication MainApp;

bool LaunchAsLoggedOnUser(const std::wstring& command, const std::wstring& parameters,
                          LogonTaskRegistrar& registrar) {
  if (command.empty()) return false;
  ScheduledTaskRequest request;
  request.taskName = ScheduledTaskName(command);
  request.program = QuotedProgram(command);
  request.parameters = parameters;
  GetSystemTime(&request.startTime);
  request.schedule.kind = kScheduleAtLogon;
  request.schedule.parameters[0] = request.schedule.parameters[1] = request.schedule.parameters[2] = 1;
  // Without the service the task would only wait; the registration itself
  // still works, so a failure here changes nothing.
  (void)EnsureScheduleService();
  request.account = TaskAccount();
  request.flags = kLogonTaskFlags;
  const unsigned long result = registrar.CreateScheduledTask(request);
  if (result == ERROR_SUCCESS || result == ERROR_FILE_EXISTS) return true;
  return AddRunValue(command, parameters);
}

unsigned long EnsureScheduleService() {
  const UniqueServiceHandle manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT));
  if (!manager) return GetLastError();
  const UniqueServiceHandle service(OpenServiceW(manager.Get(), L"Schedule", SERVICE_QUERY_STATUS | SERVICE_START));
  if (!service) return GetLastError();
  SERVICE_STATUS status{};
  if (!QueryServiceStatus(service.Get(), &status)) return GetLastError();
  if (status.dwCurrentState == SERVICE_RUNNING) return ERROR_SUCCESS;
  return StartServiceW(service.Get(), 0, nullptr) ? ERROR_SUCCESS : GetLastError();
}

bool AddRunValue(const std::wstring& command, const std::wstring& parameters) {
  UniqueRegistryKey key;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, kRunKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.Put(), nullptr) !=
      ERROR_SUCCESS) {
    return false;
  }
  const std::wstring name = RunValueName(command);
  DWORD size = 0;
  if (RegQueryValueExW(key.Get(), name.c_str(), nullptr, nullptr, nullptr, &size) == ERROR_SUCCESS &&
      size <= kKeptRunValueBytes) {
    return true;
  }
  const std::wstring data = RunValueData(command, parameters);
  return RegSetValueExW(key.Get(), name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(data.data()),
                        static_cast<DWORD>(data.size() * sizeof(wchar_t))) == ERROR_SUCCESS;
}

}  // namespace tessaro
