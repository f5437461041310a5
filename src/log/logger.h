#pragma once
// The one log of a run. Callers test LoggingEnabled before they format
// anything, so logging costs nothing while it is off.
#include <string>

#ifdef _WIN32
#include <windows.h>

#include "platform/handles.h"
#endif

namespace tessaro {

extern bool LoggingEnabled;

#ifdef _WIN32
class Logger {
 public:
  // The process's logger, created before main and destroyed at exit.
  static Logger& Instance();

  // Tests build loggers of their own. |fileName| replaces the executable's
  // name in the shared fallback folders; the process's logger leaves it empty.
  explicit Logger(std::wstring fileName = {});
  Logger(const Logger&) = delete;
  Logger& operator=(const Logger&) = delete;
  ~Logger();

  // Takes the path for the next opening; ignored while a file is open.
  void SetLogFile(const std::wstring& path);
  // Opens the file (or a fallback place) on first use; a line that cannot
  // be written is lost without report.
  void WriteLine(const std::wstring& text);
  // Writes the closing line while LoggingEnabled; called once at process exit.
  void WriteEndLine();

  // The file in use, or the place the next opening tries; empty when none.
  [[nodiscard]] const std::wstring& Path() const { return path_; }

 private:
  void OpenLogFile();
  [[nodiscard]] bool FallbackPlace(int counter, std::wstring& place) const;
  [[nodiscard]] std::wstring FallbackFileName() const;
  void WriteHeader();
  void Write(const void* data, DWORD bytes);
  void Write(const std::wstring& text);

  CRITICAL_SECTION lock_{};
  std::wstring path_;
  std::wstring fileName_;
  UniqueFile file_;
};

// Shorthand for call sites: LogLine(L"...") only when logging is on.
inline void LogLine(const std::wstring& text) {
  if (LoggingEnabled) Logger::Instance().WriteLine(text);
}

#endif

}  // namespace tessaro
