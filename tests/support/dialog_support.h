// Helpers for the shell dialog tests: Zorvane's dialogs found in its process or
// run in the test's own process from Zorvane.exe's templates, message box
// texts, colours on the screen, and the link target's marker file.
#ifndef ZV_DIALOG_SUPPORT_H
#define ZV_DIALOG_SUPPORT_H

#include <windows.h>

// Kept apart from the other areas' helpers of the shared support library.
namespace dlg {

// Zorvane.exe beside the test, loaded for its resources only; 0 on failure.
HMODULE LoadZorvaneResources();

// Sets App() up as Zorvane's start-up does, with the resource module as the
// instance and no main window, for dialogs run inside the test program.
void PrepareInProcessApp(HMODULE resources, int languageBase);

// A visible dialog (or message box) of the process with this title, or 0 in time.
HWND WaitForProcessDialog(DWORD processId, const char *title, DWORD timeoutMs = 15000);

// Waits until the window is gone.
bool WaitWindowGone(HWND window, DWORD timeoutMs = 15000);

// Sends WM_COMMAND with the id to the window and waits for its handling.
bool SendCommand(HWND window, int id, DWORD timeoutMs = 15000);

// The text of a message box (its static text control).
void MessageBoxText(HWND box, char *out, int capacity);

// Number of visible "#32770" windows of the process.
int CountProcessDialogs(DWORD processId);

// Clicks the centre of a dialog's control with the real pointer.
void ClickControl(HWND dialog, int controlId);

// Whether any screen pixel in the rectangle has exactly this colour.
bool ScreenRectHasColour(const RECT &rect, COLORREF colour);

// The link target helper program (bin\link_target.exe): it appends one line to
// its marker file each time it runs.
void LinkTargetPath(char *out, int capacity);
void ResetLinkTargetMarker();
int LinkTargetRuns();
// Number of running link_target.exe processes.
int RunningLinkTargets();

}  // namespace dlg

#endif
