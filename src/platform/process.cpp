#include "platform/process.h"

#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include <cstdint>
#include <vector>

#include "platform/handles.h"
#include "platform/paths.h"

namespace tessaro {
namespace {

const wchar_t* NullWhenEmpty(const std::wstring& text) { return text.empty() ? nullptr : text.c_str(); }

// Waits for the process and stores its exit code; the place stays as it was
// when the code cannot be read.
void WaitForExitCode(HANDLE process, unsigned long* exitCode) {
  if (WaitForSingleObject(process, INFINITE) != WAIT_OBJECT_0) return;
  DWORD code = 0;
  if (GetExitCodeProcess(process, &code)) *exitCode = code;
}

bool StoreFailure(unsigned long* exitCode, DWORD error) {
  if (exitCode != nullptr) *exitCode = error;
  SetLastError(error);
  return false;
}

}  // namespace

bool RunProcess(const std::wstring& application, const std::wstring& commandLine, unsigned long* exitCode,
                unsigned long creationFlags) {
  // With neither there is nothing to start (and some CreateProcessW
  // implementations read the missing command line).
  if (application.empty() && commandLine.empty()) return StoreFailure(exitCode, ERROR_INVALID_PARAMETER);
  // CreateProcessW may write into the command line, so it gets a copy.
  std::vector<wchar_t> command(commandLine.begin(), commandLine.end());
  command.push_back(L'\0');
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info{};
  if (!CreateProcessW(NullWhenEmpty(application), commandLine.empty() ? nullptr : command.data(), nullptr,
                      nullptr, FALSE, creationFlags, nullptr, nullptr, &startup, &info)) {
    return StoreFailure(exitCode, GetLastError());
  }
  const UniqueHandle process(info.hProcess);
  const UniqueHandle thread(info.hThread);
  if (exitCode != nullptr) WaitForExitCode(process.Get(), exitCode);
  return true;
}

bool ShellOpen(const std::wstring& file, const std::wstring& parameters, unsigned long* exitCode, bool hidden,
               const std::wstring& directory) {
  // An empty file would make the shell open a folder window.
  if (file.empty()) return StoreFailure(exitCode, ERROR_FILE_NOT_FOUND);
  // The shell does not understand the long forms.
  const std::wstring target = FromLongForm(file);
  const std::wstring folder = FromLongForm(directory.empty() ? ParentFolder(file) : directory);
  SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof(info);
  info.fMask = SEE_MASK_FLAG_NO_UI | (exitCode != nullptr ? SEE_MASK_NOCLOSEPROCESS : 0);
  info.lpVerb = L"open";
  info.lpFile = target.c_str();
  info.lpParameters = NullWhenEmpty(parameters);
  info.lpDirectory = NullWhenEmpty(folder);
  info.nShow = hidden ? SW_HIDE : SW_SHOWNORMAL;
  if (!ShellExecuteExW(&info)) return StoreFailure(exitCode, GetLastError());
  // No handle comes back when the document went to a program that was
  // already running: there is nothing to wait for.
  const UniqueHandle process(info.hProcess);
  if (exitCode != nullptr && process) WaitForExitCode(process.Get(), exitCode);
  return true;
}

bool IsRunningAsLocalSystem() {
  UniqueHandle token;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.Put())) return false;
  DWORD size = 0;
  if (GetTokenInformation(token.Get(), TokenUser, nullptr, 0, &size) ||
      GetLastError() != ERROR_INSUFFICIENT_BUFFER || size < sizeof(TOKEN_USER)) {
    return false;
  }
  // 64-bit elements keep the pointer inside TOKEN_USER aligned.
  std::vector<std::uint64_t> buffer((size + sizeof(std::uint64_t) - 1) / sizeof(std::uint64_t));
  if (!GetTokenInformation(token.Get(), TokenUser, buffer.data(), size, &size)) return false;
  const auto* user = reinterpret_cast<const TOKEN_USER*>(buffer.data());

  SID_IDENTIFIER_AUTHORITY ntAuthority = SECURITY_NT_AUTHORITY;
  UniqueSid localSystem;
  if (!AllocateAndInitializeSid(&ntAuthority, 1, SECURITY_LOCAL_SYSTEM_RID, 0, 0, 0, 0, 0, 0, 0,
                                localSystem.Put())) {
    return false;
  }
  return EqualSid(user->User.Sid, localSystem.Get()) != FALSE;
}

}  // namespace tessaro
