#pragma once
// The one log of a run. Callers test LoggingEnabled before they format
// anything, so logging costs nothing while it is off.
#include <string>

#ifdef _WIN32
#include <windows.h>
#endif

namespace tessaro {

extern bool LoggingEnabled;

#ifdef _WIN32
class Logger {
 public:
  static Logger& Instance();

  void SetLogFile(const std::wstring& path);
  void WriteLine(const std::wstring& text);
  // Writes the closing line while LoggingEnabled; called once at process exit.
  void WriteEndLine();

  [[nodiscard]] const std::wstring& Path() const { return path_; }

 private:
  Logger() = default;
  ~Logger();
  void EnsureLock();
  void OpenLogFile();

  CRITICAL_SECTION lock_{};
  bool lockCreated_ = false;
  std::wstring path_;
  std::wstring fileName_;
  HANDLE file_ = INVALID_HANDLE_VALUE;
};

// Shorthand for call sites: LogLine(L"...") only when logging is on.
inline void LogLine(const std::wstring& text) {
  if (LoggingEnabled) Logger::Instance().WriteLine(text);
}
#endif

}  // namespace tessaro
