// The About box (also the update-available dialog) and the Preferences dialog.
#ifndef ZORVANE_DIALOGS_H
#define ZORVANE_DIALOGS_H

#include <windows.h>

// About (LanguageBase + 200) and update available (LanguageBase + 208): the
// link control 1005 drawn blue and underlined, opened on a button release over it.
INT_PTR CALLBACK AboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Preferences (LanguageBase + 201): the action radio buttons and the logon entry.
INT_PTR CALLBACK PreferencesDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

#endif
