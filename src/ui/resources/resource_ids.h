#pragma once
// Resource ids of the executable, shared by the resource script and the
// code. The numbers are part of the program's contract with its resources:
// never renumber them.

// Icon of both windows.
#define IDI_TESSARO 128

// String table.
#define IDS_INSTALLING 153          // "Installing %s"
#define IDS_WINDOW_TITLE 161        // "%s Setup"
#define IDS_OPENING_SITE 198        // "Opening site of %s"
#define IDS_DOWNLOADING 199         // "Downloading %s"
// The line under the progress bar (TransferTexts) and the Cancel button.
#define IDS_CANCEL 208              // "Cancel"
#define IDS_OF 209                  // "%1 of %2"
#define IDS_RATE 210                // "%1, %2/s"
#define IDS_TIME_LEFT 211           // "%1, %2 left"
#define IDS_SECONDS 212             // "%1 s"
#define IDS_MINUTES 213             // "%1 min"
#define IDS_HOURS 214               // "%1 h %2 min"
#define IDS_BYTE_UNITS 215          // "B KB MB GB"
#define IDS_REBOOT_PROMPT 216       // the reboot question
#define IDS_CONFIRMATION 217        // its caption
#define IDS_PREPARING 220           // "Preparing..."
#define IDS_SEARCHING 223           // "Searching for prerequisites..."
#define IDS_MANDATORY_FAILED 276    // "%s mandatory prerequisite was not correctly installed."
#define IDS_CREDENTIALS 290         // the credential question: "... for %s."

// The modeless "Preparing..." window.
#define IDD_PREPARING 201
#define IDC_PREPARING_TEXT 1001
#define IDC_PREPARING_SKIP 2        // IDCANCEL, so Escape presses it

// The basic-UI progress dialog.
#define IDD_PROGRESS 216
#define IDC_PROGRESS_STATUS 1034
#define IDC_PROGRESS_BAR 1035
#define IDC_PROGRESS_DETAIL 1036    // sizes and speed of a download, or the step
#define IDC_PROGRESS_CANCEL 2       // IDCANCEL: button, Escape and close box alike
