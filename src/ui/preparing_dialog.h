#pragma once
// The small window that tells the user the chainer is at work before the
// progress dialog appears: "Preparing..." at start-up, then "Searching for
// prerequisites..." while the prerequisites are evaluated. Modeless: the
// thread that shows it keeps dispatching its messages.
#include <windows.h>

#include <string>
#include <utility>

namespace tessaro {

class PreparingDialog {
 public:
  // The window's template comes from |resources|: the program's own module,
  // or a copy of the program loaded as data (tests).
  explicit PreparingDialog(HMODULE resources = GetModuleHandleW(nullptr)) : resources_(resources) {}
  PreparingDialog(const PreparingDialog&) = delete;
  PreparingDialog& operator=(const PreparingDialog&) = delete;
  ~PreparingDialog() { Close(); }

  // The product name and title come from this file's version resource...
  void SetExecutablePath(std::wstring path) { executablePath_ = std::move(path); }
  // ...unless the package names its product itself (empty: it does not).
  void SetProductName(std::wstring name) { productName_ = std::move(name); }
  // "%s Setup" with the product name, worked out once; every window of the
  // chainer shows it in its caption.
  const std::wstring& Title();

  // Shows the string |textId| (nothing happens while UiEnabled is off),
  // creating the window on first use.
  void Show(UINT textId, bool skipAllowed);
  // Destroys the window; from another thread than the one that created it,
  // by asking that thread and waiting until the window is gone.
  void Close();

  [[nodiscard]] HWND Window() const { return window_; }

 private:
  static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void UpdateSkipButton();

  HMODULE resources_;
  std::wstring executablePath_;
  std::wstring title_;
  std::wstring productName_;
  HWND window_ = nullptr;  // set while the window exists
  HWND owner_ = nullptr;
  bool skipAllowed_ = false;
  DWORD threadId_ = 0;
  LONG textRight_ = 0;  // the text's own right edge (screen), once measured
};

}  // namespace tessaro
