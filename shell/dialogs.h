// The About box (also the update-available dialog) and the Preferences dialog.
#ifndef ZORVANE_DIALOGS_H
#define ZORVANE_DIALOGS_H

#include <windows.h>

INT_PTR CALLBACK AboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK PreferencesDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

#endif
