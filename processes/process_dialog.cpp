// Process list dialog (placeholder until the process list work lands).
#include "processes/process_dialog.h"

#include "shell/application.h"

INT_PTR CALLBACK ProcessListDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG: App().ActiveDialog = dialog; return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == 1 || LOWORD(wParam) == 2) EndDialog(dialog, LOWORD(wParam));
        return TRUE;
    case WM_CLOSE: EndDialog(dialog, 0); return TRUE;
    case WM_DESTROY: App().ActiveDialog = nullptr; return TRUE;
    default: return FALSE;
    }
}
int CALLBACK CompareProcessRows(LPARAM, LPARAM, LPARAM) { return 0; }
int CALLBACK CompareProcessRowsReversed(LPARAM, LPARAM, LPARAM) { return 0; }
BOOL CALLBACK FindProcessWindow(HWND, LPARAM) { return TRUE; }
