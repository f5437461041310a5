#pragma once
// The basic-UI dialog: one status line, a progress bar, a line under it with
// a download's sizes and speed or the phase's step, and Cancel, while a
// worker thread downloads, opens web sites and installs with the dialog as
// its ProgressListener. The taskbar button mirrors the bar.
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <string>
#include <utility>

#include "ui/progress_listener.h"
#include "ui/taskbar_progress.h"
#include "ui/transfer_meter.h"
#include "ui/worker_thread.h"

namespace tessaro {

// What the dialog's worker runs: the run's three steps and the check at the
// end. The chainer run, which lies above this room, provides it.
class ProgressWork {
 public:
  virtual ~ProgressWork() = default;
  // Each returns 0 when the run may go on.
  virtual std::uint32_t DownloadAll(ProgressListener* listener) = 0;
  virtual std::uint32_t OpenAllSites(ProgressListener* listener) = 0;
  virtual std::uint32_t InstallAll(ProgressListener* listener) = 0;
  // Evaluates again; true when every mandatory prerequisite is present.
  [[nodiscard]] virtual bool AllMandatoryPresent() = 0;
  // Windows is ending the session: no further setup may start.
  virtual void SetShutdown() = 0;
  // A server asks for a user name and password: true when the user gave
  // them, so that the transfer tries again. Runs on the dialog's thread,
  // with the dialog as the owner of whatever it shows.
  [[nodiscard]] virtual bool AskForCredentials(HWND /*owner*/) { return false; }
};

// End code when the work finished but a mandatory prerequisite is missing.
inline constexpr int kProgressMandatoryMissing = 7;
// Run's answer when the dialog could not be created; no work was started.
inline constexpr int kProgressNotShown = -1;

class ProgressDialog final : public ProgressListener, private Runnable {
 public:
  // The dialog's template comes from |resources|: the program's own module,
  // or a copy of the program loaded as data (tests).
  ProgressDialog(ProgressWork& work, std::wstring title, HMODULE resources = GetModuleHandleW(nullptr))
      : work_(work), title_(std::move(title)), resources_(resources) {}
  ProgressDialog(const ProgressDialog&) = delete;
  ProgressDialog& operator=(const ProgressDialog&) = delete;

  // Shows the dialog, owned by the active window, until the work ends or the
  // user cancels, then waits for the worker. IDOK, kProgressMandatoryMissing,
  // IDCANCEL or kProgressNotShown.
  [[nodiscard]] int Run();

  void OnStart(std::uint64_t total) override;
  void OnTransferBegin(std::uint32_t level, std::uint32_t totalBytes, const wchar_t* targetPath) override;
  void OnProgress(std::uint32_t bytesWritten) override;
  void OnFinished(std::uint32_t level, std::uint32_t unused) override;
  [[nodiscard]] bool IsCancelled() override { return cancelled_; }
  std::uint32_t OnError(const wchar_t* text, std::uint32_t code, std::uint32_t extra) override;
  void OnEvent(const wchar_t* text, std::uint32_t kind, std::uint32_t extra) override;

 private:
  std::uint32_t Run(std::uint32_t, std::uint32_t) override;
  static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void OnInitDialog(HWND window);
  bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
  void SetStatus(const wchar_t* text);
  void SetDetail(const wchar_t* text);
  [[nodiscard]] HWND Bar() const;

  ProgressWork& work_;
  std::wstring title_;
  HMODULE resources_;
  // Written by the UI thread, read by the worker between items.
  std::atomic<bool> cancelled_{false};
  WorkerThread worker_{*this, 0, 0};
  TaskbarProgress taskbar_;
  std::int32_t step_ = 0;
  std::uint64_t total_ = 0;
  HWND window_ = nullptr;
  // Loaded before the dialog starts; the worker reads them.
  TransferTexts texts_;
  TransferMeter meter_;  // the worker's own
};

}  // namespace tessaro
