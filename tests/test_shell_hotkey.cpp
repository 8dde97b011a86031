// The keyboard: the global hot key Windows+Alt+X reaches Zorvane's main window
// and starts a capture, other modifiers start nothing, a second start ends and
// leaves the hot key with the first; the accelerators act while the main window
// has the focus.
#include "check.h"
#include "harness.h"
#include "shell_support.h"

TEST_CASE(hot_key_starts_capture_and_other_modifiers_do_not) {
    ResetZorvaneRegistry();
    FakeTray tray;
    Program zorvane;
    HWND window;
    CHECK(StartZorvaneReady("", &zorvane, &window, &tray));

    // Typed with other modifiers: the system delivers no hot key at all.
    PressHotKey(true, true, true, false);   // Win+Ctrl+Alt+X
    PressHotKey(true, true, false, true);   // Win+Alt+Shift+X
    PressHotKey(true, false, false, false);  // Win+X
    // Posted with other modifiers or another key: the window ignores them.
    PostMessageA(window, WM_HOTKEY, 0, MAKELPARAM(MOD_ALT | MOD_WIN | MOD_CONTROL, 'X'));
    PostMessageA(window, WM_HOTKEY, 0, MAKELPARAM(MOD_ALT, 'X'));
    PostMessageA(window, WM_HOTKEY, 0, MAKELPARAM(MOD_ALT | MOD_WIN, 'Y'));
    CHECK(tray.fence(window));
    CHECK(CaptureWindowOf(window) == nullptr);

    PressHotKey();
    CHECK(WaitFor([&] { return CaptureWindowOf(window) == window; }, 10000));
    CHECK(EndCaptureOf(window));

    // The hot key id is not looked at.
    PostMessageA(window, WM_HOTKEY, 7, MAKELPARAM(MOD_ALT | MOD_WIN, 'X'));
    CHECK(WaitFor([&] { return CaptureWindowOf(window) == window; }, 10000));
    CHECK(EndCaptureOf(window));
    CHECK(zorvane.running());

    DWORD code = 99;
    CHECK(CloseAndWait(zorvane, window, &code));
    CHECK_EQ(0, code);
}

TEST_CASE(second_start_ends_without_icon_and_first_keeps_hot_key) {
    ResetZorvaneRegistry();
    FakeTray tray;
    Program first, second;
    HWND firstWindow;
    CHECK(StartZorvaneReady("", &first, &firstWindow, &tray));
    CHECK(StartProgram("Zorvane.exe", "", &second));
    DWORD code = 99;
    CHECK(second.waitExit(20000, &code));
    CHECK_EQ(0, code);
    CHECK(tray.fence(firstWindow));
    CHECK_EQ(tray.countOf(NIM_ADD), tray.countOf(NIM_ADD, firstWindow));
    DWORD startup = 0;
    CHECK(GetPreferenceDword("Startup", &startup));
    CHECK_EQ(1, startup);  // the second start counted nothing

    PressHotKey();
    CHECK(WaitFor([&] { return CaptureWindowOf(firstWindow) == firstWindow; }, 10000));
    CHECK(EndCaptureOf(firstWindow));
    CHECK(CloseAndWait(first, firstWindow, &code));
    CHECK_EQ(0, code);
    CHECK(HotKeyIsFree());
}

namespace {

HWND FocusOfThreadOf(HWND window) {
    GUITHREADINFO info;
    ZeroMemory(&info, sizeof info);
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info)) return nullptr;
    return info.hwndFocus;
}

void PressWith(WORD modifier, WORD key) {
    KeyDown(modifier);
    PressKey(key);
    KeyUp(modifier);
}

// Waits for the dialog of the process that has the control, closes it with
// Cancel and waits until the main window has the keyboard focus again.
bool CloseDialogOf(const Program &program, HWND mainWindow, int controlId) {
    // Found as soon as it exists; its controls come a moment later.
    HWND dialog = WaitForProcessDialog(program.pid(), nullptr, 15000, controlId);
    if (!dialog) return false;
    PressDialogButton(dialog, IDCANCEL);
    return WaitFor([&] { return !IsWindow(dialog) && FocusOfThreadOf(mainWindow) == mainWindow; }, 15000);
}

}  // namespace

TEST_CASE(accelerators_act_while_main_window_has_focus) {
    ResetZorvaneRegistry();
    FakeTray tray;
    Program zorvane;
    HWND window;
    CHECK(StartZorvaneReady("", &zorvane, &window, &tray));
    // A capture brings the main window to the front; it keeps the focus after.
    PressHotKey();
    CHECK(WaitFor([&] { return CaptureWindowOf(window) == window; }, 10000));
    CHECK(EndCaptureOf(window));
    CHECK(WaitFor([&] { return FocusOfThreadOf(window) == window; }, 15000));

    PressWith(VK_LCONTROL, 'X');
    CHECK(WaitFor([&] { return CaptureWindowOf(window) == window; }, 10000));
    CHECK(EndCaptureOf(window));
    PressWith(VK_LCONTROL, 'P');
    CHECK(CloseDialogOf(zorvane, window, 1000));  // Preferences: its first action button
    PressWith(VK_LCONTROL, 'L');
    CHECK(CloseDialogOf(zorvane, window, 1007));  // the process list
    PressWith(VK_LMENU, VK_OEM_2);                // Alt+"/"
    CHECK(CloseDialogOf(zorvane, window, 1005));  // About: the site link
    CHECK(zorvane.running());

    PressWith(VK_LCONTROL, 'Q');
    bool ended = false;
    DWORD code = 99;
    WaitFor([&] { return (ended = zorvane.waitExit(0, &code)); }, 15000);
    CHECK(ended);
    CHECK_EQ(0, code);
}
