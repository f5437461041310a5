#include "log/logger.h"

#include <intrin.h>
#include <shlwapi.h>

#include <memory>
#include <vector>

#include "log/log_format.h"
#include "platform/os_description.h"
#include "platform/paths.h"
#include "platform/properties.h"
#include "platform/security.h"
#include "platform/system_library.h"

namespace tessaro {

bool LoggingEnabled = false;

namespace {

// Created by static initialisation so that it exists before main and lives
// until every exit path has written its closing line.
Logger TheLogger;

constexpr BYTE kUtf16LeBom[] = {0xFF, 0xFE};
constexpr int kCommonAppDataFolder = 0x0023;  // CSIDL_COMMON_APPDATA
constexpr const wchar_t* kEveryoneAccount = L"Everyone";
constexpr std::uint32_t kCpuExtendedLeaves = 0x80000000;
constexpr std::uint32_t kCpuBrandFirstLeaf = 0x80000002;

enum FallbackPlaceIndex { kCommonLogFolder = 0, kBesideExecutable = 1, kTempLogFolder = 2 };

void DebugOutput(const std::wstring& text) { OutputDebugStringW(text.c_str()); }

// Fallback places are built in classic path buffers; a place that would not
// fit one is skipped rather than truncated.
bool FitsMaxPath(const std::wstring& path) { return path.size() < MAX_PATH; }

std::wstring CommonAppDataFolder() {
  std::wstring folder;
  if (GetShellItemListFolder(kCommonAppDataFolder, folder)) return folder;
  // Systems without the item-list call for this folder still have the older path call.
  wchar_t buffer[MAX_PATH] = {};
  using GetFolderPathFn = BOOL(WINAPI*)(HWND, LPWSTR, int, BOOL);
  const auto getFolderPath = GetProcedure<GetFolderPathFn>(GetModuleHandleW(L"Shell32.dll"), "SHGetSpecialFolderPathW");
  if (getFolderPath == nullptr || !getFolderPath(nullptr, buffer, kCommonAppDataFolder, FALSE)) return {};
  return buffer;
}

// Logs of every account on the machine meet in one folder, so everyone may write there.
[[nodiscard]] bool CreateSharedFolder(const std::wstring& folder) {
  AccessEntryList entries(NO_INHERITANCE, false);
  if (!entries.AddAccessEntry(kEveryoneAccount, false)) return false;
  DWORD error = 0;
  const std::unique_ptr<SecurityDescriptor> descriptor = entries.BuildSecurityDescriptor(nullptr, error);
  if (!descriptor) return false;
  SECURITY_ATTRIBUTES attributes{sizeof(attributes), descriptor->Get(), FALSE};
  return CreateDirectoryW(folder.c_str(), &attributes) != FALSE;
}

std::wstring ProcessorName() {
  int registers[4] = {};
  __cpuid(registers, static_cast<int>(kCpuExtendedLeaves));
  const auto highestLeaf = static_cast<std::uint32_t>(registers[0]);
  CpuBrandRegisters brand{};
  if (highestLeaf >= kCpuBrandLastLeaf) {
    for (std::uint32_t leaf = kCpuBrandFirstLeaf; leaf <= kCpuBrandLastLeaf; ++leaf) {
      __cpuid(registers, static_cast<int>(leaf));
      const std::size_t base = (leaf - kCpuBrandFirstLeaf) * 4;
      for (std::size_t i = 0; i < 4; ++i) brand[base + i] = static_cast<std::uint32_t>(registers[i]);
    }
  }
  const std::string ansi = DecodeCpuBrand(highestLeaf, brand);
  const int units = MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), nullptr, 0);
  if (units <= 0) return {};
  std::wstring name(static_cast<std::size_t>(units), L'\0');
  MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), name.data(), units);
  return name;
}

}  // namespace

Logger& Logger::Instance() { return TheLogger; }

// The lock is made with the logger, before main: no thread can reach a
// logger whose lock is still being made.
Logger::Logger(std::wstring fileName) : fileName_(std::move(fileName)) { InitializeCriticalSection(&lock_); }

Logger::~Logger() {
  file_.Reset();
  DeleteCriticalSection(&lock_);
}

void Logger::SetLogFile(const std::wstring& path) {
  EnterCriticalSection(&lock_);
  DebugOutput(L"Logger::SetLogFile( " + path + L" ) while OLD path is:" + path_);
  if (!file_) path_ = path;
  LeaveCriticalSection(&lock_);
}

void Logger::WriteLine(const std::wstring& text) {
  EnterCriticalSection(&lock_);
  OpenLogFile();
  if (file_) {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    // One write per line: another run appending to the same file cannot
    // land between a time stamp and its text.
    Write(FormatLogTimeStamp({now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond}) +
          kLogTimeSeparator + text + kLogLineBreak);
  }
  LeaveCriticalSection(&lock_);
}

void Logger::WriteEndLine() {
  if (LoggingEnabled) WriteLine(kLogEndLine);
}

void Logger::OpenLogFile() {
  if (file_) return;
  for (int counter = 0;;) {
    // A fallback that gives no place ends the search; the next line starts over.
    if (path_.empty() && !FallbackPlace(counter++, path_)) return;
    // Append access without write access: every write lands at the end the
    // file has at that moment, so runs sharing one log never overwrite
    // each other's lines.
    HANDLE handle =
        CreateFileW(path_.c_str(), FILE_APPEND_DATA | SYNCHRONIZE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    const DWORD error = GetLastError();
    if (handle == INVALID_HANDLE_VALUE) {
      DebugOutput(L"LOGGER->failed to create LOG at:" + path_);
      path_.clear();
      continue;
    }
    file_.Reset(handle);
    if (error == ERROR_ALREADY_EXISTS) {
      DebugOutput(L"LOGGER->Reusing LOG file at:" + path_ + kLogLineBreak);
    } else if (error == ERROR_SUCCESS) {
      DebugOutput(L"LOGGER->Creating LOG file at:" + path_ + kLogLineBreak);
      Write(kUtf16LeBom, sizeof(kUtf16LeBom));
    }
    WriteHeader();
    return;
  }
}

std::wstring Logger::FallbackFileName() const {
  return fileName_.empty() ? DefaultLogFileName(RunningExecutablePath()) : fileName_;
}

bool Logger::FallbackPlace(int counter, std::wstring& place) const {
  std::wstring candidate;
  switch (counter) {
    case kCommonLogFolder: {
      const std::wstring common = CommonAppDataFolder();
      if (common.empty()) return false;
      const std::wstring folder = WithTrailingBackslash(common) + kLogFolderName;
      if (!FitsMaxPath(folder)) return false;
      if (!PathFileExistsW(folder.c_str()) && !CreateSharedFolder(folder)) return false;
      candidate = folder + L'\\' + FallbackFileName();
      break;
    }
    case kBesideExecutable: {
      const std::wstring& executable = RunningExecutablePath();
      if (executable.empty()) return false;
      candidate = ReplaceExtensionWithLog(executable);
      break;
    }
    case kTempLogFolder: {
      const std::wstring& temp = GetTempFolder();
      if (temp.empty()) return false;
      const std::wstring folder = temp + kLogFolderName;
      // Only a folder made now counts: an existing one may belong to someone else.
      if (!FitsMaxPath(folder) || !CreateDirectoryW(folder.c_str(), nullptr)) return false;
      candidate = folder + L'\\' + FallbackFileName();
      break;
    }
    default:
      return false;
  }
  if (!FitsMaxPath(candidate)) return false;
  place = std::move(candidate);
  return true;
}

// In one piece, like a line, so that a run's header stays whole in a shared log.
void Logger::WriteHeader() {
  Write(kLogBanner + FormatOsVersionLine(GetOsDescription()) + L"CPU: " + ProcessorName() + kLogLineBreak +
        kLogLineBreak);
}

// Every write reaches the disk at once: a setup may restart the machine
// right after the line that announced it.
void Logger::Write(const void* data, DWORD bytes) {
  DWORD written = 0;
  (void)WriteFile(file_.Get(), data, bytes, &written, nullptr);
  (void)FlushFileBuffers(file_.Get());
}

void Logger::Write(const std::wstring& text) {
  Write(text.data(), static_cast<DWORD>(text.size() * sizeof(wchar_t)));
}

}  // namespace tessaro
