#include "ui/preparing_dialog.h"

#include "ui/dialog_frame.h"
#include "ui/product_name.h"
#include "ui/strings.h"

namespace tessaro {
namespace {

// Posted by a thread that wants the window closed; only its own thread may
// destroy it.
constexpr UINT kCloseMessage = WM_USER + 1;
constexpr DWORD kClosePollMs = 10;

}  // namespace

const std::wstring& PreparingDialog::Title() {
  if (title_.empty()) {
    if (productName_.empty()) productName_ = ReadProductName(executablePath_);
    title_ = MakeWindowTitle(productName_);
  }
  return title_;
}

void PreparingDialog::Show(UINT textId, bool skipAllowed) {
  if (!UiEnabled) return;
  owner_ = GetActiveWindow();
  skipAllowed_ = skipAllowed;
  if (window_ == nullptr) {
    if (CreateDialogParamW(resources_, MAKEINTRESOURCEW(IDD_PREPARING), owner_, &DialogProc,
                           reinterpret_cast<LPARAM>(this)) == nullptr) {
      return;
    }
    threadId_ = GetCurrentThreadId();
  } else {
    UpdateSkipButton();
  }
  SetWindowTextW(window_, Title().c_str());
  SetDlgItemTextW(window_, IDC_PREPARING_TEXT, LoadResString(textId).c_str());
  ShowWindow(window_, SW_SHOW);
  // Painted now: at start-up the thread goes on to wait without dispatching.
  UpdateWindow(window_);
}

void PreparingDialog::Close() {
  const HWND window = window_;
  if (window == nullptr) return;
  if (GetCurrentThreadId() == threadId_) {
    DestroyWindow(window);
  } else {
    PostMessageW(window, kCloseMessage, 0, 0);
    while (IsWindow(window)) Sleep(kClosePollMs);
  }
  window_ = nullptr;
}

void PreparingDialog::UpdateSkipButton() {
  const HWND skip = GetDlgItem(window_, IDC_PREPARING_SKIP);
  const HWND text = GetDlgItem(window_, IDC_PREPARING_TEXT);
  ShowWindow(skip, skipAllowed_ ? SW_SHOW : SW_HIDE);
  RECT textRect{};
  RECT skipRect{};
  GetWindowRect(text, &textRect);
  GetWindowRect(skip, &skipRect);
  if (textRight_ == 0) textRight_ = textRect.right;
  // Without the button the text may run on over the button's place.
  const LONG right = skipAllowed_ ? textRight_ : skipRect.right;
  SetWindowPos(text, nullptr, 0, 0, right - textRect.left, textRect.bottom - textRect.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  InvalidateRect(window_, nullptr, TRUE);
}

INT_PTR CALLBACK PreparingDialog::DialogProc(HWND window, UINT message, WPARAM, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    SetWindowLongPtrW(window, DWLP_USER, lParam);
    auto* self = reinterpret_cast<PreparingDialog*>(lParam);
    self->window_ = window;
    SetWindowIcons(window);
    self->UpdateSkipButton();
    CentreWindow(window);
    return TRUE;
  }
  if (message == kCloseMessage) {
    DestroyWindow(window);
    return TRUE;
  }
  return FALSE;
}

}  // namespace tessaro
