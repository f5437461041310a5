// Drives the windows of a running chainer the way a user would.
// Usage: window_probe PROGRAM_PATH, then one command per input line, each
// answered with one UTF-8 line of "|"-separated fields:
//   preparing [PREFIX]  -> preparing|TITLE|TEXT|SKIP_VISIBLE|TEXT_REACHES_SKIP_EDGE
//   status [PREFIX]     -> status|TITLE|TEXT|POSITION|UPPER   (the progress dialog)
//                          both once the text begins with PREFIX
//   close-preparing     -> what "preparing" answers after asking that window to close
//   cancel, endsession  -> presses Cancel / tells the dialog the session ends
//   question yes|no     -> question|TEXT|yes-no: answers the reboot question
//   gone                -> once the program shows no window any more
//   layout              -> layout|DPI|ok, or what of the two dialog templates is clipped
// A wait that gives up after kWaitMs answers "timeout|COMMAND|WHAT WAS SEEN".
#include <windows.h>
// After windows.h.
#include <commctrl.h>

#include <cstdio>
#include <string>
#include <vector>

#include "platform/ansi_text.h"
#include "platform/handles.h"

namespace {

constexpr DWORD kWaitMs = 60000;
constexpr DWORD kPollMs = 50;
constexpr int kPreparingText = 1001;
constexpr int kPreparingSkip = 2;
constexpr int kStatusText = 1034;
constexpr int kProgressBar = 1035;
constexpr int kCancel = 2;
constexpr int kPreparingTemplate = 201;
constexpr int kProgressTemplate = 216;
constexpr wchar_t kQuestionTitle[] = L"Confirmation";

std::wstring program;

void Print(const std::wstring& line) {
  std::fputs(tessaro::ToAnsi(line + L"\n", CP_UTF8).c_str(), stdout);
  std::fflush(stdout);
}

std::wstring Text(HWND window) {
  wchar_t buffer[2048] = {};
  SendMessageTimeoutW(window, WM_GETTEXT, 2048, reinterpret_cast<LPARAM>(buffer), SMTO_ABORTIFHUNG, 5000,
                      nullptr);
  return buffer;
}

BOOL CALLBACK CollectProgramWindow(HWND window, LPARAM list) {
  if (!IsWindowVisible(window)) return TRUE;
  DWORD processId = 0;
  GetWindowThreadProcessId(window, &processId);
  const tessaro::UniqueHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
  wchar_t path[MAX_PATH * 2] = {};
  DWORD length = MAX_PATH * 2;
  if (process && QueryFullProcessImageNameW(process.Get(), 0, path, &length) &&
      lstrcmpiW(path, program.c_str()) == 0) {
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
  }
  return TRUE;
}

std::vector<HWND> ProgramWindows() {
  std::vector<HWND> found;
  EnumWindows(&CollectProgramWindow, reinterpret_cast<LPARAM>(&found));
  return found;
}

template <typename Look>
bool WaitFor(Look look) {
  for (DWORD waited = 0; waited < kWaitMs; waited += kPollMs) {
    if (look()) return true;
    Sleep(kPollMs);
  }
  return false;
}

void Press(HWND dialog, int id) {
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

std::wstring Number(LRESULT value) { return std::to_wstring(value); }

std::wstring ProgressLine(HWND dialog) {
  const HWND bar = GetDlgItem(dialog, kProgressBar);
  return L"status|" + Text(dialog) + L"|" + Text(GetDlgItem(dialog, kStatusText)) + L"|" +
         Number(SendMessageW(bar, PBM_GETPOS, 0, 0)) + L"|" +
         Number(SendMessageW(bar, PBM_GETRANGE, FALSE, 0));
}

std::wstring PreparingLine(HWND dialog) {
  const HWND skip = GetDlgItem(dialog, kPreparingSkip);
  RECT text{};
  RECT button{};
  GetWindowRect(GetDlgItem(dialog, kPreparingText), &text);
  GetWindowRect(skip, &button);
  return L"preparing|" + Text(dialog) + L"|" + Text(GetDlgItem(dialog, kPreparingText)) + L"|" +
         Number(IsWindowVisible(skip)) + L"|" + Number(text.right == button.right);
}

// What of |dialog|'s controls does not fit: a control beyond the client
// area, or a text taller or wider than its control.
std::wstring Clipped(HWND dialog, const wchar_t* name) {
  std::wstring clipped;
  RECT client{};
  GetClientRect(dialog, &client);
  for (HWND control = GetWindow(dialog, GW_CHILD); control != nullptr;
       control = GetWindow(control, GW_HWNDNEXT)) {
    RECT rect{};
    GetWindowRect(control, &rect);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
    const std::wstring id = std::wstring(name) + L" control " + Number(GetDlgCtrlID(control));
    if (rect.left < 0 || rect.top < 0 || rect.right > client.right || rect.bottom > client.bottom) {
      clipped += id + L" outside the window; ";
    }
    const std::wstring text = Text(control);
    if (text.empty()) continue;
    const HDC dc = GetDC(control);
    const HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
    RECT needed{};
    DrawTextW(dc, text.c_str(), -1, &needed, DT_CALCRECT | DT_SINGLELINE);
    SelectObject(dc, old);
    ReleaseDC(control, dc);
    if (needed.bottom > rect.bottom - rect.top || needed.right > rect.right - rect.left) {
      clipped += id + L" text \"" + text + L"\" needs " + Number(needed.right) + L"x" +
                 Number(needed.bottom) + L", has " + Number(rect.right - rect.left) + L"x" +
                 Number(rect.bottom - rect.top) + L"; ";
    }
  }
  return clipped;
}

INT_PTR CALLBACK Quiet(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG; }

std::wstring Layout() {
  const tessaro::UniqueModule module(LoadLibraryExW(program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
  const HDC screen = GetDC(nullptr);
  const std::wstring dpi = Number(GetDeviceCaps(screen, LOGPIXELSY));
  ReleaseDC(nullptr, screen);
  if (!module) return L"layout|" + dpi + L"|cannot load the program";
  std::wstring clipped;
  // The longest texts the program itself puts there.
  const struct {
    int dialog;
    int text;
    const wchar_t* sample;
    const wchar_t* name;
  } dialogs[] = {{kPreparingTemplate, kPreparingText, L"Searching for prerequisites...", L"preparing"},
                 {kProgressTemplate, kStatusText, L"Opening site of Microsoft Visual C++ 2010", L"progress"}};
  for (const auto& d : dialogs) {
    const HWND dialog = CreateDialogParamW(module.Get(), MAKEINTRESOURCEW(d.dialog), nullptr, &Quiet, 0);
    if (dialog == nullptr) {
      clipped += std::wstring(d.name) + L" cannot be created; ";
      continue;
    }
    SetDlgItemTextW(dialog, d.text, d.sample);
    clipped += Clipped(dialog, d.name);
    DestroyWindow(dialog);
  }
  return L"layout|" + dpi + L"|" + (clipped.empty() ? L"ok" : clipped);
}

std::wstring Run(const std::wstring& command, const std::wstring& argument) {
  if (command == L"gone") return WaitFor([] { return ProgramWindows().empty(); }) ? L"gone" : L"timeout|gone";
  if (command == L"layout") return Layout();
  const bool question = command == L"question";
  const bool preparing = command == L"preparing" || command == L"close-preparing";
  const bool reads = command == L"preparing" || command == L"status";
  if (!question && !preparing && !reads && command != L"cancel" && command != L"endsession") {
    return L"unknown|" + command;
  }
  // The window the command acts on: the question by its title, a dialog by
  // its text control, whose text must begin with the argument to read it.
  const int text = preparing ? kPreparingText : kStatusText;
  HWND dialog = nullptr;
  const bool seen = WaitFor([&] {
    dialog = nullptr;
    for (const HWND window : ProgramWindows()) {
      if (dialog == nullptr &&
          (question ? Text(window) == kQuestionTitle : GetDlgItem(window, text) != nullptr)) {
        dialog = window;
      }
    }
    return dialog != nullptr && (!reads || Text(GetDlgItem(dialog, text)).starts_with(argument));
  });
  if (reads) {
    const std::wstring line = dialog == nullptr ? L"no window"
                              : preparing       ? PreparingLine(dialog)
                                                : ProgressLine(dialog);
    return seen ? line : L"timeout|" + command + L"|" + line;
  }
  if (!seen) return L"timeout|" + command;
  if (command == L"cancel") Press(dialog, kCancel);
  if (command == L"endsession")
    SendMessageTimeoutW(dialog, WM_ENDSESSION, TRUE, 0, SMTO_ABORTIFHUNG, 5000, nullptr);
  if (preparing) {
    PostMessageW(dialog, WM_CLOSE, 0, 0);
    Sleep(500);
    return IsWindowVisible(dialog) ? PreparingLine(dialog) : L"closed";
  }
  if (!question) return command;
  // The longest static text is the question itself.
  std::wstring asked;
  for (HWND c = GetWindow(dialog, GW_CHILD); c != nullptr; c = GetWindow(c, GW_HWNDNEXT)) {
    if (Text(c).size() > asked.size()) asked = Text(c);
  }
  const bool yesNo = GetDlgItem(dialog, IDYES) != nullptr && GetDlgItem(dialog, IDNO) != nullptr;
  Press(dialog, argument == L"yes" ? IDYES : IDNO);
  return L"question|" + asked + L"|" + (yesNo ? L"yes-no" : L"other buttons");
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 2) return ERROR_INVALID_PARAMETER;
  program = argv[1];
  // Loading the common controls registers the progress bar's class, which
  // the layout check's dialogs need.
  LoadLibraryW(L"comctl32.dll");
  char line[512];
  while (std::fgets(line, sizeof(line), stdin) != nullptr) {
    wchar_t wide[512] = {};
    MultiByteToWideChar(CP_UTF8, 0, line, -1, wide, 512);
    std::wstring text(wide);
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r')) text.pop_back();
    if (text.empty()) continue;
    const std::size_t blank = text.find(L' ');
    Print(Run(text.substr(0, blank), blank == std::wstring::npos ? L"" : text.substr(blank + 1)));
  }
  return 0;
}
