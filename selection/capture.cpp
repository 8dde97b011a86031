// Capture mode: the main window holds the mouse capture while a 50 ms tick polls
// buttons and keys, follows the pointer and outlines the window under it.
#include "selection/capture.h"

#include "actions/actions.h"
#include "resources/resource_ids.h"
#include "selection/highlight.h"
#include "selection/target.h"
#include "shell/application.h"
#include "shell/hidden_windows.h"
#include "shell/suspended_programs.h"
#include "shell/main_window.h"
#include "shell/settings.h"
#include "shell/winutil.h"

namespace {

enum { CaptureDelayPeriod = 200, CaptureTickPeriod = 50 };

// Whether the label says the pointed window's program does not respond. The
// tick asks the system's verdict only (it sends the program nothing, so it
// never waits), and the label follows when the verdict changes.
bool labelSaysHung = false;

bool IsDown(int virtualKey) { return (GetAsyncKeyState(virtualKey) & 0x8000) != 0; }

// A modifier as a click finds it: down now; for a selection by Enter or Space,
// down with that key, as its message tells.
bool ModifierDown(int virtualKey) {
    if (App().capture.KeySelection) return (GetKeyState(virtualKey) & 0x8000) != 0;
    return IsDown(virtualKey);
}

bool OnNtPlatform() { return App().OsVersion.platformId == VER_PLATFORM_WIN32_NT; }

void ClearTracking(CaptureState &state) {
    state.LastPointedWindow = nullptr;
    state.RedrawPhase = 0;
    state.LabelText[0] = 0;
    state.PidMode = 0;
}

// In OneShotMode the program's one command is done: ends the program.
void EndProgramIfOneShot() {
    if (App().OneShotMode) DestroyWindow(App().mainWindow);
}

// Another window took the mouse capture: ends without a reason and without
// releasing anything.
void OnCaptureLost() {
    Application &app = App();
    KillTimer(app.mainWindow, CaptureTickTimer);
    EraseHighlight();
    ClearTracking(app.capture);
    EndProgramIfOneShot();
}

// Keeps the main window in front so that it goes on receiving the clicks.
void KeepInForeground() {
    const OsVersionInfo &os = App().OsVersion;
    if (os.platformId != VER_PLATFORM_WIN32_NT || os.major < 6) return;
    ShowWindow(App().mainWindow, SW_RESTORE);
    SetForegroundWindow(App().mainWindow);
}

// A ghost stands for a program that stopped responding.
void FillLabel(CaptureState &state, const TargetWindow &target, DWORD keyHeld, bool hung) {
    if (keyHeld) {
        FormatText(state.LabelText, sizeof state.LabelText, "%lu", (unsigned long)target.processId);
    } else if (target.exeName[0] && (hung || target.viaGhost)) {
        char format[100];
        LoadLocalString(IDS_NOT_RESPONDING_LABEL, format, sizeof format);
        FormatText(state.LabelText, sizeof state.LabelText, format, target.exeName);
    } else {
        CopyWholeCharacters(state.LabelText, target.exeName, sizeof state.LabelText);
    }
}

// Follows the pointer: light resolution every tick, full resolution and a new
// label only when the pointed window or the PidKey state changed.
void TrackPointer() {
    CaptureState &state = App().capture;
    TargetWindow target;
    ZeroMemory(&target, sizeof target);
    ResolveTarget(&target, false);
    bool changed = target.pointedWindow != state.LastPointedWindow;
    DWORD keyHeld = (DWORD)(GetAsyncKeyState(PidKey()) & 0x8000);
    bool hung = SystemCountsHung(target.pointedWindow);
    if (changed) {
        EraseHighlight();
    } else if (state.PidMode != keyHeld || hung != labelSaysHung) {
        state.PidMode = keyHeld;
        changed = true;
        EraseLabel();
    }
    if (changed) {
        ResolveTarget(&target, true);
        FillLabel(state, target, keyHeld, hung);
        labelSaysHung = hung;
    }
    if (target.pointedWindow) DrawHighlight(&target, changed);
    state.LastPointedWindow = target.pointedWindow;
}

// Ends a running capture for a tray click; false when the program is ending.
bool EndForTrayClick(const char *reason) {
    if (!Capturing()) return true;
    EndCapture(reason);
    EndProgramIfOneShot();
    return IsWindow(App().mainWindow) != FALSE;
}

void ShowTrayMenu() {
    Application &app = App();
    if (!app.TrayMenu) return;
    SetMenuDefaultItem(app.TrayMenu, IDC_CMD_CAPTURE, FALSE);
    FillHiddenWindowsMenu(app.TrayMenu);
    FillSuspendedProgramsMenu(app.TrayMenu);
    SetForegroundWindow(app.mainWindow);
    POINT pointer = {0, 0};
    GetCursorPos(&pointer);
    TrackPopupMenu(app.TrayMenu, 0, pointer.x, pointer.y, 0, app.mainWindow, nullptr);
    // Lets the menu close properly when the user clicks elsewhere.
    PostMessageA(app.mainWindow, WM_NULL, 0, 0);
}

}  // namespace

int PidKey() { return OnNtPlatform() ? VK_RCONTROL : VK_SHIFT; }

void StartCapture() {
    Application &app = App();
    BringWindowToTop(app.mainWindow);
    SetCapture(app.mainWindow);
    BringWindowToTop(app.mainWindow);
    SetTimer(app.mainWindow, CaptureDelayTimer, CaptureDelayPeriod, nullptr);
    CaptureState &state = app.capture;
    ClearTracking(state);
    if (state.BandRegion) DeleteObject(state.BandRegion);
    state.BandRegion = nullptr;
    app.ActionMethod = ReadSetting(SETTINGS_SECTION, SETTING_METHOD, Close);
}

void EndCapture(const char *reason) {
    Application &app = App();
    ReleaseCapture();
    KillTimer(app.mainWindow, CaptureTickTimer);
    EraseHighlight();
    ClearTracking(app.capture);
    // Diagnostic trace only: seen by a debugger or a debug output monitor.
    OutputDebugStringA(reason);
}

LRESULT AbortCapture() {
    EndCapture("Abort end capture\n");
    EndProgramIfOneShot();
    return 0;
}

void OnCaptureDelayTimer() {
    HWND window = App().mainWindow;
    KillTimer(window, CaptureDelayTimer);
    SetTimer(window, CaptureTickTimer, CaptureTickPeriod, nullptr);
}

void CaptureTick() {
    if (GetCapture() != App().mainWindow) {
        OnCaptureLost();
        return;
    }
    KeepInForeground();
    // The polled buttons are physical ones: a swap exchanges their roles.
    bool swapped = GetSystemMetrics(SM_SWAPBUTTON) != 0;
    if (IsDown(VK_LBUTTON)) {
        if (swapped) AbortCapture();
        else ApplyActionAtCursor();
        return;
    }
    if (IsDown(VK_RBUTTON)) {
        if (swapped) ApplyActionAtCursor();
        else AbortCapture();
        return;
    }
    if (IsDown(VK_ESCAPE)) {
        AbortCapture();
        return;
    }
    TrackPointer();
}

LRESULT OnTrayNotify(LPARAM mouseMessage) {
    switch (mouseMessage) {
    case WM_LBUTTONDOWN: EndForTrayClick("Click end capture\n"); break;
    case WM_LBUTTONDBLCLK:
        if (EndForTrayClick("Restart end capture\n")) StartCapture();
        break;
    case WM_RBUTTONDOWN:
        if (EndForTrayClick("Menu end capture\n")) ShowTrayMenu();
        break;
    case WM_RBUTTONDBLCLK: EndForTrayClick("Panic end capture\n"); break;
    default: break;
    }
    return 0;
}

LONG EffectiveAction() {
    bool nt = OnNtPlatform();
    bool shift = ModifierDown(VK_SHIFT);
    // On NT the right Ctrl key is left free for PidKey.
    bool ctrl = ModifierDown(nt ? VK_LCONTROL : VK_CONTROL);
    bool alt = ModifierDown(VK_MENU);
    int held = (int)shift + (int)ctrl + (int)alt;
    if (held == 3) return Hide;
    if (held == 2) return KillProcess;
    if (shift && nt) return KillThread;
    if (alt) return Quit;
    if (ctrl) return Close;
    return App().ActionMethod;
}

bool Capturing() { return App().mainWindow && GetCapture() == App().mainWindow; }
