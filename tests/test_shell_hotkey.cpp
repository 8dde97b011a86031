// The global hot key Windows+Alt+X: typed, it reaches Zorvane's main window and
// starts a capture; other modifiers, typed or posted, start nothing; a second
// instance cannot take it from the first.
#include "check.h"
#include "harness.h"
#include "shell_support.h"

namespace {

// Releases keys and buttons a failed case may have left down.
struct InputGuard {
    ~InputGuard() { ReleaseAllInput(); }
};

}  // namespace

TEST_CASE(hot_key_starts_capture_and_other_modifiers_do_not) {
    ResetZorvaneRegistry();
    InputGuard input;
    FakeTray tray;
    Program zorvane;
    ProgramGuard guard(zorvane);
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
    CHECK(CaptureOfThreadOf(window) == nullptr);

    PressHotKey();
    CHECK(WaitFor([&] { return CaptureOfThreadOf(window) == window; }, 10000));
    CHECK(EndCaptureOf(window));

    // The hot key id is not looked at.
    PostMessageA(window, WM_HOTKEY, 7, MAKELPARAM(MOD_ALT | MOD_WIN, 'X'));
    CHECK(WaitFor([&] { return CaptureOfThreadOf(window) == window; }, 10000));
    CHECK(EndCaptureOf(window));
    CHECK(zorvane.running());

    DWORD code = 99;
    CHECK(CloseAndWait(zorvane, window, &code));
    CHECK_EQ(0, code);
}

TEST_CASE(second_instance_adds_its_icon_but_first_keeps_hot_key) {
    ResetZorvaneRegistry();
    InputGuard input;
    FakeTray tray;
    Program first, second;
    ProgramGuard firstGuard(first), secondGuard(second);
    HWND firstWindow, secondWindow;
    CHECK(StartZorvaneReady("", &first, &firstWindow, &tray));
    CHECK(StartZorvaneReady("", &second, &secondWindow, &tray));
    CHECK(firstWindow != secondWindow);
    CHECK(tray.countOf(NIM_ADD, firstWindow) >= 1);
    CHECK(tray.countOf(NIM_ADD, secondWindow) >= 1);
    DWORD startup = 0;
    CHECK(GetPreferenceDword("Startup", &startup));
    CHECK_EQ(2, startup);

    PressHotKey();
    CHECK(WaitFor([&] { return CaptureOfThreadOf(firstWindow) == firstWindow; }, 10000));
    CHECK(tray.fence(secondWindow));
    CHECK(CaptureOfThreadOf(secondWindow) == nullptr);
    CHECK(EndCaptureOf(firstWindow));

    DWORD code = 99;
    CHECK(CloseAndWait(second, secondWindow, &code));
    CHECK_EQ(0, code);
    // The second one's end leaves the first one's hot key in place.
    CHECK(!HotKeyIsFree());
    CHECK(CloseAndWait(first, firstWindow, &code));
    CHECK_EQ(0, code);
    CHECK(HotKeyIsFree());
}
