// window_probe PROGRAM_PATH drives the program's windows as a user would:
// one command per input line, one UTF-8 line of "|"-separated fields back.
//   preparing|status [PREFIX]: KIND|TITLE|TEXT|A|B once the text begins with PREFIX;
//     A|B: Skip shown, text reaching Skip's right edge | the bar's position, upper
//     bound, then |LINE UNDER THE BAR|CANCEL'S TEXT
//   close-preparing: "closed" or what "preparing" answers; cancel; endsession
//   question yes|no: question|CAPTION|TEXT of the Yes/No box, after pressing that answer
//   credentials USER PASSWORD: credentials|TITLE|TEXT, once typed in and
//     OK took the dialog away
//   gone: once no window shows; layout: layout|DPI|ok or what is clipped
// A wait gives up after a minute with "timeout|COMMAND|WHAT WAS SEEN".
#include <windows.h>
// After windows.h.
#include <commctrl.h>

#include <cstdio>
#include <string>
#include <tuple>
#include <vector>

#include "platform/ansi_text.h"
#include "platform/handles.h"

namespace {

constexpr int kPreparingText = 1001;
constexpr int kSkipOrCancel = 2;
constexpr int kStatusText = 1034;
constexpr int kProgressBar = 1035;
// Wine's credential dialog: the user name's combo box and the password.
constexpr int kUserName = 101;
constexpr int kPassword = 102;
constexpr int kDetailText = 1036;

std::wstring program;

std::wstring Text(HWND window) {
  wchar_t text[2048] = {};
  SendMessageTimeoutW(window, WM_GETTEXT, 2048, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 5000,
                      nullptr);
  return text;
}

BOOL CALLBACK CollectProgramWindow(HWND window, LPARAM list) {
  DWORD processId = 0;
  GetWindowThreadProcessId(window, &processId);
  const tessaro::UniqueHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
  wchar_t path[MAX_PATH * 2] = {};
  DWORD length = MAX_PATH * 2;
  if (IsWindowVisible(window) && process && QueryFullProcessImageNameW(process.Get(), 0, path, &length) &&
      lstrcmpiW(path, program.c_str()) == 0) {
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
  }
  return TRUE;
}

template <typename Look>
bool WaitFor(Look look) {
  for (int polls = 0; polls < 1200; ++polls, Sleep(50)) {
    std::vector<HWND> windows;
    EnumWindows(&CollectProgramWindow, reinterpret_cast<LPARAM>(&windows));
    if (look(windows)) return true;
  }
  return false;
}

std::wstring DialogLine(HWND dialog, int text) {
  RECT label{};
  RECT skip{};
  GetWindowRect(GetDlgItem(dialog, text), &label);
  GetWindowRect(GetDlgItem(dialog, kSkipOrCancel), &skip);
  const HWND bar = GetDlgItem(dialog, kProgressBar);
  const std::wstring fields = text == kPreparingText
                                  ? std::to_wstring(IsWindowVisible(GetDlgItem(dialog, kSkipOrCancel))) +
                                        L"|" + std::to_wstring(label.right == skip.right)
                                  : std::to_wstring(SendMessageW(bar, PBM_GETPOS, 0, 0)) + L"|" +
                                        std::to_wstring(SendMessageW(bar, PBM_GETRANGE, FALSE, 0)) + L"|" +
                                        Text(GetDlgItem(dialog, kDetailText)) + L"|" +
                                        Text(GetDlgItem(dialog, kSkipOrCancel));
  return (text == kPreparingText ? L"preparing|" : L"status|") + Text(dialog) + L"|" +
         Text(GetDlgItem(dialog, text)) + L"|" + fields;
}

// A control beyond the client area, or a text taller or wider than its control.
std::wstring Clipped(HWND dialog) {
  std::wstring clipped;
  RECT client{};
  GetClientRect(dialog, &client);
  for (HWND control = GetWindow(dialog, GW_CHILD); control != nullptr;
       control = GetWindow(control, GW_HWNDNEXT)) {
    const std::wstring text = Text(control);
    RECT rect{};
    RECT needed{};
    GetWindowRect(control, &rect);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
    const HDC dc = GetDC(control);
    const HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
    if (!text.empty()) DrawTextW(dc, text.c_str(), -1, &needed, DT_CALCRECT | DT_SINGLELINE);
    SelectObject(dc, old);
    ReleaseDC(control, dc);
    if (rect.left < 0 || rect.top < 0 || rect.right > client.right || rect.bottom > client.bottom ||
        needed.bottom > rect.bottom - rect.top || needed.right > rect.right - rect.left) {
      clipped += L"control " + std::to_wstring(GetDlgCtrlID(control)) + L" \"" + text + L"\"; ";
    }
  }
  return clipped;
}

INT_PTR CALLBACK Quiet(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG; }

// Each template with the longest text the program itself puts there.
std::wstring Layout() {
  const tessaro::UniqueModule module(LoadLibraryExW(program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
  const HDC screen = GetDC(nullptr);
  std::wstring line = L"layout|" + std::to_wstring(GetDeviceCaps(screen, LOGPIXELSY)) + L"|";
  ReleaseDC(nullptr, screen);
  std::wstring clipped;
  for (const auto& [id, text, sample] :
       {std::tuple{201, kPreparingText, L"Searching for prerequisites..."},
        std::tuple{216, kStatusText, L"Opening site of Microsoft Visual C++ 2010"},
        std::tuple{216, kDetailText, L"99,9 MB di 99,9 MB, 99,9 MB/s, tempo rimanente: 99 h 59 min"}}) {
    const HWND dialog = CreateDialogParamW(module.Get(), MAKEINTRESOURCEW(id), nullptr, &Quiet, 0);
    if (dialog == nullptr) return line + L"template " + std::to_wstring(id) + L" cannot be created";
    SetDlgItemTextW(dialog, text, sample);
    clipped += Clipped(dialog);
    DestroyWindow(dialog);
  }
  return line + (clipped.empty() ? L"ok" : clipped);
}

std::wstring Run(const std::wstring& command, const std::wstring& argument) {
  if (command == L"layout") return Layout();
  if (command == L"gone")
    return WaitFor([](const auto& windows) { return windows.empty(); }) ? L"gone" : L"timeout";
  const bool question = command == L"question";
  const bool credentials = command == L"credentials";
  const bool reads = command == L"preparing" || command == L"status";
  // The window the command acts on: the question by its title, the
  // credential dialog by its password field, a dialog by its text control,
  // whose text must begin with the argument to read it.
  const int text = command.ends_with(L"preparing") ? kPreparingText : kStatusText;
  HWND dialog = nullptr;
  const bool seen = WaitFor([&](const std::vector<HWND>& windows) {
    dialog = nullptr;
    for (const HWND window : windows) {
      const LONG password = GetWindowLongW(GetDlgItem(window, kPassword), GWL_STYLE) & ES_PASSWORD;
      // The question is the Yes/No box, in whatever language.
      const bool match = credentials ? password != 0
                         : question  ? GetDlgItem(window, IDYES) && GetDlgItem(window, IDNO)
                                     : GetDlgItem(window, text) != nullptr;
      if (dialog == nullptr && match) dialog = window;
    }
    return dialog != nullptr && (!reads || Text(GetDlgItem(dialog, text)).starts_with(argument));
  });
  const std::wstring line = dialog == nullptr ? L"no window" : DialogLine(dialog, text);
  if (!seen) return L"timeout|" + command + L"|" + line;
  if (reads) return line;
  if (command == L"cancel") PostMessageW(dialog, WM_COMMAND, kSkipOrCancel, 0);
  if (command == L"endsession")
    SendMessageTimeoutW(dialog, WM_ENDSESSION, TRUE, 0, SMTO_ABORTIFHUNG, 5000, nullptr);
  if (command == L"close-preparing") {
    PostMessageW(dialog, WM_CLOSE, 0, 0);
    Sleep(500);
    return IsWindowVisible(dialog) ? DialogLine(dialog, text) : L"closed";
  }
  if (!question && !credentials) return command;
  // The longest static text is the question itself.
  std::wstring asked;
  for (HWND c = GetWindow(dialog, GW_CHILD); c != nullptr; c = GetWindow(c, GW_HWNDNEXT)) {
    if (Text(c).size() > asked.size()) asked = Text(c);
  }
  if (credentials) {
    const std::size_t blank = argument.find(L' ');
    const std::wstring user = argument.substr(0, blank);
    const std::wstring password = argument.substr(blank + 1);
    SendDlgItemMessageW(dialog, kUserName, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(user.c_str()));
    SendDlgItemMessageW(dialog, kPassword, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(password.c_str()));
    const std::wstring title = Text(dialog);
    PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    // A question asked again is a new window to the next command.
    (void)WaitFor([dialog](const auto&) { return !IsWindowVisible(dialog); });
    return L"credentials|" + title + L"|" + asked;
  }
  const std::wstring answer = L"question|" + Text(dialog) + L"|" + asked;
  PostMessageW(dialog, WM_COMMAND, argument == L"yes" ? IDYES : IDNO, 0);
  return answer;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 2) return ERROR_INVALID_PARAMETER;
  program = argv[1];
  // Registers the progress bar's class, which the layout check's dialogs need.
  LoadLibraryW(L"comctl32.dll");
  char line[512];
  while (std::fgets(line, sizeof(line), stdin) != nullptr) {
    wchar_t wide[512] = {};
    MultiByteToWideChar(CP_UTF8, 0, line, -1, wide, 512);
    std::wstring text(wide);
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r')) text.pop_back();
    const std::size_t blank = text.find(L' ');
    const std::wstring answer =
        Run(text.substr(0, blank), blank == std::wstring::npos ? L"" : text.substr(blank + 1));
    std::fputs(tessaro::ToAnsi(answer + L"\n", CP_UTF8).c_str(), stdout);
    std::fflush(stdout);
  }
  return 0;
}
