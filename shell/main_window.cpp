// The hidden main window: routes the hot key, tray events, timers, commands and
// the clicks that reach it while it holds the mouse capture.
#include "shell/main_window.h"

#include <commctrl.h>
#include <string.h>

#include "actions/actions.h"
#include "processes/process_dialog.h"
#include "resources/resource_ids.h"
#include "selection/capture.h"
#include "selection/capture_keys.h"
#include "shell/application.h"
#include "shell/dialogs.h"
#include "shell/hidden_windows.h"
#include "shell/suspended_programs.h"
#include "shell/hot_keys.h"
#include "shell/settings.h"
#include "shell/single_instance.h"
#include "shell/winutil.h"
#include "site.h"
#include "update/update.h"

void ProductSiteAddress(const char *page, char *out, int capacity) {
    FormatText(out, capacity, "%s/%s", ZORVANE_SITE, page);
}

bool BringActiveDialogForward() {
    HWND dialog = App().ActiveDialog;
    if (!dialog) return false;
    ShowWindow(dialog, SW_RESTORE);
    BringWindowToTop(dialog);
    return true;
}

bool RunGuardedDialog(int baseId, DLGPROC procedure) {
    if (BringActiveDialogForward()) return false;
    Application &app = App();
    DialogBoxParamA(app.instance, MAKEINTRESOURCEA(baseId + LanguageBase), app.mainWindow, procedure, 0);
    return true;
}

namespace {

// A close still watched ends the program once it is dealt with.
void EndIfOneShot() {
    if (App().OneShotMode && !CloseFollowUpPending()) DestroyWindow(App().mainWindow);
}

void OnDestroy() {
    UnregisterHotKeys();
    ReleaseInstanceClaim();
    PostQuitMessage(0);
}

void OnPaint() {
    PAINTSTRUCT paint;
    BeginPaint(App().mainWindow, &paint);
    EndPaint(App().mainWindow, &paint);
}

// Keeps the main window at (0,0) with no size, whatever shows or moves it. The
// window handle stays: the system finds the window by it and drops the whole
// change (leaving the window as created) when it reads back 0.
void OnWindowPosChanging(WINDOWPOS *position) {
    HWND window = position->hwnd;
    ZeroMemory(position, sizeof(WINDOWPOS));
    position->hwnd = window;
}

void OnHelp() {
    char address[300];
    ProductSiteAddress(LanguageBase == 0 ? "aide.html" : "help.html", address, sizeof address);
    OpenWithShell(App().mainWindow, address);
}

void OnCheckForUpdate() {
    if (BringActiveDialogForward()) return;
    RunUpdateCheck();
}

// The commands of the hidden windows and suspended programs submenus' items,
// one per listed window or program.
LRESULT OnOtherCommand(UINT message, WPARAM wParam, LPARAM lParam) {
    if (OnHiddenWindowCommand(App().TrayMenu, LOWORD(wParam))) return 0;
    if (OnSuspendedProgramCommand(App().TrayMenu, LOWORD(wParam))) return 0;
    return DefWindowProcA(App().mainWindow, message, wParam, lParam);
}

LRESULT OnCommand(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (LOWORD(wParam)) {
    case IDC_CMD_ABOUT: RunGuardedDialog(IDD_ABOUT, AboutDialogProc); return 0;
    case IDC_CMD_QUIT: DestroyWindow(App().mainWindow); return 0;
    case IDC_CMD_PREFERENCES:
        RegisterCommonControls(ICC_HOTKEY_CLASS);
        RunGuardedDialog(IDD_PREFERENCES, PreferencesDialogProc);
        EndIfOneShot();
        return 0;
    case IDC_CMD_CAPTURE: StartCapture(); return 0;
    case IDC_CMD_PROCESS_LIST:
        RegisterCommonControls(ICC_LISTVIEW_CLASSES);
        RunGuardedDialog(IDD_PROCESS_LIST, ProcessListDialog);
        EndIfOneShot();
        return 0;
    case IDC_CMD_CHECK_UPDATE: OnCheckForUpdate(); return 0;
    case IDC_CMD_HELP: OnHelp(); return 0;
    case IDC_CMD_HIDDEN_SHOW_ALL: ShowAllHiddenWindows(); return 0;
    case IDC_CMD_RESUME_ALL: ResumeAllSuspendedPrograms(); return 0;
    default: return OnOtherCommand(message, wParam, lParam);
    }
}

void OnTimer(UINT_PTR timerId) {
    switch (timerId) {
    case TRAY_REFRESH_TIMER: Shell_NotifyIconA(NIM_ADD, &App().TrayIconData); break;
    case CaptureDelayTimer: OnCaptureDelayTimer(); break;
    case CaptureTickTimer: CaptureTick(); break;
    case ShieldTimer: OnShieldTimer(); break;
    case CloseWatchTimer: OnCloseWatchTimer(); break;
    default: break;
    }
}

// Clicks count only while a capture is armed or tracking: a press that the tick
// has already applied reaches the idle window afterwards from the queue, and
// must not act on whatever is under the pointer by then.
LRESULT OnPrimaryButtonDown() { return Capturing() ? ApplyActionAtCursor() : 0; }

LRESULT OnSecondaryButtonDown() { return Capturing() ? AbortCapture() : 0; }

// Told apart by the key, not the id: each key's id changes as it is chosen anew.
void OnHotKey(LPARAM lParam) {
    switch (HotKeyRole(lParam)) {
    case CaptureHotKeyRole: StartCapture(); break;
    case ForegroundHotKeyRole: ApplyActionToForeground(); break;
    case NoHotKeyRole: break;
    }
}

// The keyboard drives a running capture; otherwise keys get default handling.
LRESULT OnKeyDown(UINT message, WPARAM wParam, LPARAM lParam) {
    if (Capturing() && OnCaptureKey((UINT)wParam)) return 0;
    return DefWindowProcA(App().mainWindow, message, wParam, lParam);
}

LRESULT OnOtherMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (OnInstanceMessage(message, wParam)) return 0;
    return DefWindowProcA(App().mainWindow, message, wParam, lParam);
}

}  // namespace

LRESULT MainWindowHandler(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_DESTROY: OnDestroy(); return 0;
    case WM_PAINT: OnPaint(); return 0;
    case WM_WINDOWPOSCHANGING: OnWindowPosChanging(reinterpret_cast<WINDOWPOS *>(lParam)); return 0;
    case WM_COMMAND: return OnCommand(message, wParam, lParam);
    case WM_TIMER: OnTimer(wParam); return 0;
    case WM_LBUTTONDOWN: return OnPrimaryButtonDown();
    case WM_RBUTTONDOWN: return OnSecondaryButtonDown();
    case WM_HOTKEY: OnHotKey(lParam); return 0;
    case WM_TRAYNOTIFY: return OnTrayNotify(lParam);
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: return OnKeyDown(message, wParam, lParam);
    default: return OnOtherMessage(message, wParam, lParam);
    }
}

LRESULT CALLBACK ZorvaneWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    Application &app = App();
    if (app.mainWindow && window == app.mainWindow) return MainWindowHandler(message, wParam, lParam);
    return DefWindowProcA(window, message, wParam, lParam);
}
