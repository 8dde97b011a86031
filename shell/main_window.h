// The hidden main window: its procedure, numbering of the tray message, hot key and timers.
#ifndef ZORVANE_MAIN_WINDOW_H
#define ZORVANE_MAIN_WINDOW_H

#include <windows.h>

#define WM_TRAYNOTIFY WM_USER
#define TRAY_ICON_ID 1

#define TRAY_REFRESH_TIMER 5000
#define TRAY_REFRESH_PERIOD 5000
#define CaptureDelayTimer 100
#define CaptureTickTimer 10
#define ShieldTimer 7777
#define CloseWatchTimer 490

// Window procedure of the "ZORVANE" class: the main window's messages go to
// MainWindowHandler, every other window of the class to DefWindowProcA.
LRESULT CALLBACK ZorvaneWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

LRESULT MainWindowHandler(UINT message, WPARAM wParam, LPARAM lParam);

// Runs a shell dialog behind the open-dialog guard: brings ActiveDialog forward
// instead when one is open. Returns true when the dialog was run.
bool RunGuardedDialog(int baseId, DLGPROC procedure);

// Brings the open shell dialog forward; false when none is open.
bool BringActiveDialogForward();

// Address of a page at the root of the product web site ("help.html").
void ProductSiteAddress(const char *page, char *out, int capacity);

#endif
