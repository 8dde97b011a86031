// About and Preferences dialogs (placeholder until the dialogs work lands).
#include "shell/dialogs.h"

#include "shell/application.h"

namespace {

INT_PTR SimpleDialog(HWND dialog, UINT message, WPARAM wParam) {
    switch (message) {
    case WM_INITDIALOG: App().ActiveDialog = dialog; return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == 1 || LOWORD(wParam) == 2) { EndDialog(dialog, LOWORD(wParam)); return TRUE; }
        return FALSE;
    case WM_DESTROY: App().ActiveDialog = nullptr; return FALSE;
    default: return FALSE;
    }
}

}  // namespace

INT_PTR CALLBACK AboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    return SimpleDialog(dialog, message, wParam);
}
INT_PTR CALLBACK PreferencesDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    return SimpleDialog(dialog, message, wParam);
}
