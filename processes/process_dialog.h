// The process list dialog: lists processes and shows, closes, quits, kills or
// hides the selected ones through their windows.
#ifndef ZORVANE_PROCESS_DIALOG_H
#define ZORVANE_PROCESS_DIALOG_H

#include <windows.h>

struct TargetWindow;

struct ProcessSortSpec {
    HWND listView;
    int column;
    BOOL numeric;
};

INT_PTR CALLBACK ProcessListDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
int CALLBACK CompareProcessRows(LPARAM first, LPARAM second, LPARAM spec);
int CALLBACK CompareProcessRowsReversed(LPARAM first, LPARAM second, LPARAM spec);

// EnumWindows callback; lParam is the TargetWindow with processId set.
BOOL CALLBACK FindProcessWindow(HWND window, LPARAM lParam);

#endif
