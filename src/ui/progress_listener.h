#pragma once
// What downloads, launches and the progress dialog report through. Every
// operation has a harmless default so that a listener overrides only what it
// shows; the two operations without names keep the slot order that listener
// implementations are written against and carry no behaviour.
#include <cstdint>

namespace tessaro {

// OnEvent kind: the next item of the phase begins; the text is its status line.
inline constexpr std::uint32_t kEventNextItem = 9;

class ProgressListener {
 public:
  virtual ~ProgressListener() = default;
  virtual void OnStart(std::uint64_t /*total*/) {}
  virtual void Unnamed2(std::uint32_t, std::uint32_t) {}
  virtual void OnTransferBegin(std::uint32_t /*level*/, std::uint32_t /*totalBytes*/,
                               const wchar_t* /*targetPath*/) {}
  virtual void Unnamed4(std::uint32_t, std::uint32_t) {}
  // (1, 0) when one file transfer has ended; (0, 0) when the whole run has.
  virtual void OnFinished(std::uint32_t /*level*/, std::uint32_t /*unused*/) {}
  virtual void OnProgress(std::uint32_t /*bytesWritten*/) {}
  [[nodiscard]] virtual bool IsCancelled() { return false; }
  [[nodiscard]] virtual bool IsPaused() { return false; }
  // Returns the answer to the engine's question; 0 unless overridden.
  virtual std::uint32_t OnError(const wchar_t* /*text*/, std::uint32_t /*code*/,
                                std::uint32_t /*extra*/) {
    return 0;
  }
  virtual void OnEvent(const wchar_t* /*text*/, std::uint32_t /*kind*/, std::uint32_t /*extra*/) {}
};

}  // namespace tessaro
