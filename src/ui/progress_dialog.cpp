#include "ui/progress_dialog.h"

#include <commctrl.h>

#include "platform/chainer_codes.h"
#include "platform/decimal_text.h"
#include "ui/dialog_frame.h"
#include "ui/resources/resource_ids.h"
#include "ui/strings.h"

namespace tessaro {
namespace {

// The worker reports by sending these to the dialog, so that the controls
// and the taskbar object are touched only by the thread that owns them, and
// a report has been shown when the call returns.
enum : UINT {
  kStartMessage = WM_APP + 1,  // lParam: the phase's total, by address
  kStepMessage,                // lParam: the item's status text
  kErrorMessage,               // lParam: the error text, or null
  kFinishMessage,              // wParam: the end code
  kCredentialsMessage,         // lParam: where the answer goes, a bool
  kDetailMessage,              // lParam: the line under the bar
};

constexpr UINT_PTR kBlinkTimer = 1;
constexpr UINT kBlinkMs = 200;

// The window whose taskbar button stands for the dialog: up through parents
// while a window is a child, else through owners.
HWND TopLevelOf(HWND window) {
  for (;;) {
    const bool child = (GetWindowLongPtrW(window, GWL_STYLE) & WS_CHILD) != 0;
    const HWND next = child ? GetParent(window) : GetWindow(window, GW_OWNER);
    if (next == nullptr) return window;
    window = next;
  }
}

TransferTexts LoadTransferTexts(HMODULE resources) {
  TransferTexts texts{LoadResString(resources, IDS_OF),        LoadResString(resources, IDS_RATE),
                      LoadResString(resources, IDS_TIME_LEFT), LoadResString(resources, IDS_SECONDS),
                      LoadResString(resources, IDS_MINUTES),   LoadResString(resources, IDS_HOURS),
                      LoadResString(resources, IDS_BYTE_UNITS)};
  // Numbers are written the way the user's regional settings say.
  wchar_t decimal[4] = {};
  if (GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, decimal, 4) == 2) texts.decimal = decimal[0];
  return texts;
}

}  // namespace

int ProgressDialog::Run() {
  texts_ = LoadTransferTexts(resources_);
  const INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_PROGRESS_CLASS};
  InitCommonControlsEx(&controls);
  const auto code =
      static_cast<int>(DialogBoxParamW(resources_, MAKEINTRESOURCEW(IDD_PROGRESS), GetActiveWindow(),
                                       &DialogProc, reinterpret_cast<LPARAM>(this)));
  // The worker may still be finishing the item it was at (a setup runs to
  // its end); while it does, its reports to the dialog must not stall.
  if (worker_.Handle() != nullptr) {
    (void)WaitWithMessagePump(worker_.Handle());
  } else if (code != IDCANCEL) {
    // No worker and no Cancel: the dialog never came up.
    return kProgressNotShown;
  }
  return code;
}

std::uint32_t ProgressDialog::Run(std::uint32_t, std::uint32_t) {
  if (work_.DownloadAll(this) == 0 && !IsCancelled()) {
    (void)work_.OpenAllSites(this);
    if (!IsCancelled() && work_.InstallAll(this) == 0) OnFinished(0, 0);
  }
  // A step that failed leaves its error on show until the user cancels.
  return 0;
}

void ProgressDialog::OnStart(std::uint64_t total) {
  SendMessageW(window_, kStartMessage, 0, reinterpret_cast<LPARAM>(&total));
}

void ProgressDialog::OnTransferBegin(std::uint32_t, std::uint32_t totalBytes, const wchar_t*) {
  meter_.Begin(totalBytes);
}

void ProgressDialog::OnProgress(std::uint32_t bytesWritten) {
  if (!meter_.Add(bytesWritten, GetTickCount())) return;
  const std::wstring line = meter_.Text(texts_);
  SendMessageW(window_, kDetailMessage, 0, reinterpret_cast<LPARAM>(line.c_str()));
}

void ProgressDialog::OnEvent(const wchar_t* text, std::uint32_t kind, std::uint32_t) {
  if (kind == kEventNextItem) SendMessageW(window_, kStepMessage, 0, reinterpret_cast<LPARAM>(text));
}

std::uint32_t ProgressDialog::OnError(const wchar_t* text, std::uint32_t code, std::uint32_t extra) {
  // The credential question carries the engine's provider; the failure
  // reported when it was declined does not, and is shown as any other.
  if (code == kErrorCredentialsNeeded && extra != 0) {
    bool given = false;
    SendMessageW(window_, kCredentialsMessage, 0, reinterpret_cast<LPARAM>(&given));
    return given ? ERROR_RETRY : code;
  }
  SendMessageW(window_, kErrorMessage, 0, reinterpret_cast<LPARAM>(text));
  // The code itself is no answer that asks for another try: a certificate
  // question is refused.
  return code;
}

void ProgressDialog::OnFinished(std::uint32_t level, std::uint32_t) {
  // Level 1 is one file transfer; only the end of the whole run ends the dialog.
  if (level != 0) return;
  const int code = work_.AllMandatoryPresent() ? IDOK : kProgressMandatoryMissing;
  SendMessageW(window_, kFinishMessage, static_cast<WPARAM>(code), 0);
}

HWND ProgressDialog::Bar() const { return GetDlgItem(window_, IDC_PROGRESS_BAR); }

void ProgressDialog::SetStatus(const wchar_t* text) { SetDlgItemTextW(window_, IDC_PROGRESS_STATUS, text); }

void ProgressDialog::SetDetail(const wchar_t* text) { SetDlgItemTextW(window_, IDC_PROGRESS_DETAIL, text); }

void ProgressDialog::OnInitDialog(HWND window) {
  window_ = window;
  SetWindowIcons(window);
  CentreWindow(window);
  SetWindowTextW(window, title_.c_str());
  SetStatus(LoadResString(resources_, IDS_PREPARING).c_str());
  SetDlgItemTextW(window, IDC_PROGRESS_CANCEL, LoadResString(resources_, IDS_CANCEL).c_str());
  taskbar_.Attach(TopLevelOf(window));
  // Without a worker nothing happens; the user can still cancel.
  (void)worker_.Start();
}

bool ProgressDialog::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      if (LOWORD(wParam) != IDCANCEL) return false;
      // The worker notices between items; a running setup is not stopped.
      cancelled_ = true;
      EndDialog(window_, IDCANCEL);
      return true;
    case WM_ENDSESSION:
      work_.SetShutdown();
      return true;
    case kStartMessage:
      total_ = *reinterpret_cast<const std::uint64_t*>(lParam);
      step_ = 0;
      // The bar's range is 16 bits wide.
      SendMessageW(Bar(), PBM_SETRANGE, 0, MAKELPARAM(0, static_cast<WORD>(total_)));
      SendMessageW(Bar(), PBM_SETPOS, 0, 0);
      SetDetail(L"");
      return true;
    // The status text changes last: whoever reads it sees the bar to match.
    case kStepMessage:
      ++step_;
      SendMessageW(Bar(), PBM_SETPOS, static_cast<WPARAM>(step_), 0);
      taskbar_.SetValue(static_cast<std::uint64_t>(step_), total_);
      SetDetail(FormatResText(texts_.of, {DecimalText(step_), DecimalText(total_)}).c_str());
      SetStatus(reinterpret_cast<const wchar_t*>(lParam));
      return true;
    case kErrorMessage:
      SendMessageW(Bar(), PBM_SETSTATE, PBST_ERROR, 0);
      // One visible blink draws the eye to the red bar.
      ShowWindow(Bar(), SW_HIDE);
      SetTimer(window_, kBlinkTimer, kBlinkMs, nullptr);
      taskbar_.SetState(TBPF_ERROR);
      // A speed and time left no longer hold.
      SetDetail(L"");
      if (lParam != 0) SetStatus(reinterpret_cast<const wchar_t*>(lParam));
      return true;
    case kDetailMessage:
      SetDetail(reinterpret_cast<const wchar_t*>(lParam));
      return true;
    case WM_TIMER:
      KillTimer(window_, kBlinkTimer);
      ShowWindow(Bar(), SW_SHOW);
      return true;
    case kCredentialsMessage:
      *reinterpret_cast<bool*>(lParam) = work_.AskForCredentials(window_);
      return true;
    case kFinishMessage:
      taskbar_.SetState(TBPF_NOPROGRESS);
      EndDialog(window_, static_cast<INT_PTR>(wParam));
      return true;
    default:
      return false;
  }
}

INT_PTR CALLBACK ProgressDialog::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    SetWindowLongPtrW(window, DWLP_USER, lParam);
    reinterpret_cast<ProgressDialog*>(lParam)->OnInitDialog(window);
    return TRUE;
  }
  auto* self = reinterpret_cast<ProgressDialog*>(GetWindowLongPtrW(window, DWLP_USER));
  return self != nullptr && self->OnMessage(message, wParam, lParam) ? TRUE : FALSE;
}

}  // namespace tessaro
