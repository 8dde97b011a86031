// Dialogs and message boxes ("#32770" windows) of a process, and menus:
// found, waited for, read, answered, clicked and counted. One set for every area.
#ifndef ZV_DIALOGS_H
#define ZV_DIALOGS_H

#include <windows.h>

// A visible dialog (or message box) of the process with the title (any when
// null) holding the control (any when 0), or 0.
HWND FindProcessDialog(DWORD processId, const char *title = nullptr, int controlId = 0);

// The same, waited for; 0 when none came in time.
HWND WaitForProcessDialog(DWORD processId, const char *title = nullptr, DWORD timeoutMs = 15000,
                          int controlId = 0);

// Number of visible dialogs of the process (holding the control, when not 0);
// with visibleOnly false, hidden ones count too.
int CountProcessDialogs(DWORD processId, bool visibleOnly = true, int controlId = 0);
// Number of dialog windows that the process owns at the top level, visible or not.
inline int CountTopDialogs(DWORD processId) { return CountProcessDialogs(processId, false); }

// Waits until the window is gone or hidden.
bool WaitWindowGone(HWND window, DWORD timeoutMs = 15000);

// Sends WM_COMMAND with the id to the window and waits for its handling.
bool SendCommand(HWND window, int id, DWORD timeoutMs = 15000);

// Presses a dialog's button: posts the click notification the button would send.
void PressDialogButton(HWND dialog, int buttonId);

// Clicks the centre of a control, or of a dialog's control, with the real pointer.
void ClickControl(HWND control);
void ClickControl(HWND dialog, int controlId);

// The text of a message box: its longest static text (the icon has none).
void MessageBoxText(HWND box, char *out, int capacity);

// What a message box shows.
struct MessageBoxReading {
    HWND box;
    DWORD processId;
    char caption[256];
    char text[512];
    bool ok, retry, cancel;  // visible buttons
};

// A visible box captioned "Zorvane" of the process (any process when 0), or 0.
HWND FindZorvaneBox(DWORD processId);

// Waits for a box captioned "Zorvane" of the process (any process when 0) and reads it.
bool WaitForMessageBox(DWORD processId, DWORD timeoutMs, MessageBoxReading *reading);

// True while a box captioned "Zorvane" of the process (any when 0) is shown.
inline bool MessageBoxPresent(DWORD processId) { return FindZorvaneBox(processId) != nullptr; }

// Presses one of the box's buttons.
inline void AnswerMessageBox(HWND box, int buttonId) { PressDialogButton(box, buttonId); }

// A visible pop-up menu of the process, or 0.
HWND FindVisibleMenu(DWORD processId);

#endif
