// Zorvane's hidden main window from outside: how it ends, the commands that do
// nothing, its refusal to take screen space, the tray refresh and the guard that
// keeps one shell dialog open at a time.
#include "check.h"
#include "harness.h"
#include "shell_support.h"

namespace {

bool WindowRectIs(HWND window, int left, int top, int right, int bottom) {
    RECT rect;
    return GetWindowRect(window, &rect) && rect.left == left && rect.top == top && rect.right == right &&
           rect.bottom == bottom;
}

// Whether the shell holds Zorvane's icon: modifying an icon that is not there fails.
bool TrayHoldsIcon(HWND window) {
    NOTIFYICONDATAA icon;
    ZeroMemory(&icon, sizeof icon);
    icon.cbSize = NOTIFYICONDATAA_V1_SIZE;
    icon.hWnd = window;
    icon.uID = 1;
    return Shell_NotifyIconA(NIM_MODIFY, &icon) != FALSE;
}

}  // namespace

TEST_CASE(close_message_from_outside_ends_program_in_order) {
    ResetZorvaneRegistry();
    FakeTray tray;
    Program zorvane;
    HWND window;
    CHECK(StartZorvaneReady("", &zorvane, &window, &tray));
    CHECK(!HotKeyIsFree());
    DWORD code = 99;
    CHECK(CloseAndWait(zorvane, window, &code));
    CHECK_EQ(0, code);
    // Release ran: the icon was taken away; the window's end gave the hot key back.
    CHECK_EQ(1, tray.countOf(NIM_DELETE, window));
    CHECK(HotKeyIsFree());
}

TEST_CASE(quit_command_ends_program_and_others_do_nothing) {
    ResetZorvaneRegistry();
    FakeTray tray;
    Program zorvane;
    HWND window;
    CHECK(StartZorvaneReady("", &zorvane, &window, &tray));
    // Ids outside the main window's commands, and process-menu commands that only
    // the process list handles; a high word is not looked at.
    const WPARAM idle[] = {209, 205, 206, 210, 214, 217, 0, MAKEWPARAM(209, 1)};
    for (WPARAM command : idle) PostMessageA(window, WM_COMMAND, command, 0);
    CHECK(tray.fence(window));
    CHECK(zorvane.running());
    CHECK(IsWindow(window));
    CHECK_EQ(0, CountTopDialogs(zorvane.pid()));
    CHECK(!IsWindowVisible(window));

    PostMessageA(window, WM_COMMAND, MAKEWPARAM(202, 1), 0);
    bool ended = false;
    DWORD code = 99;
    WaitFor([&] { return (ended = zorvane.waitExit(0, &code)); }, 30000);
    CHECK(ended);
    CHECK_EQ(0, code);
    CHECK_EQ(1, tray.countOf(NIM_DELETE, window));
}

TEST_CASE(main_window_keeps_no_size_whatever_moves_or_shows_it) {
    ResetZorvaneRegistry();
    FakeTray tray;
    Program zorvane;
    HWND window;
    CHECK(StartZorvaneReady("", &zorvane, &window, &tray));
    ShowWindow(window, SW_SHOWNORMAL);
    CHECK(WaitFor([&] { return WindowRectIs(window, 0, 0, 0, 0); }, 15000));
    SetWindowPos(window, HWND_TOP, 100, 120, 300, 200, SWP_SHOWWINDOW);
    CHECK(WaitFor([&] { return WindowRectIs(window, 0, 0, 0, 0); }, 15000));
    MoveWindow(window, 50, 60, 400, 300, TRUE);
    CHECK(WaitFor([&] { return WindowRectIs(window, 0, 0, 0, 0); }, 15000));
    ShowWindow(window, SW_MAXIMIZE);
    CHECK(WaitFor([&] { return WindowRectIs(window, 0, 0, 0, 0); }, 15000));
    ShowWindow(window, SW_RESTORE);
    CHECK(WaitFor([&] { return WindowRectIs(window, 0, 0, 0, 0); }, 15000));
    CHECK(tray.fence(window));
    CHECK(zorvane.running());
}

TEST_CASE(tray_icon_comes_back_after_the_shell_lost_it) {
    // The real shell this time.
    ResetZorvaneRegistry();
    Program zorvane;
    HWND window;
    CHECK(StartZorvane("", &zorvane, &window, 30000));
    CHECK(WaitFor([&] { return TrayHoldsIcon(window); }, 15000));
    NOTIFYICONDATAA icon;
    ZeroMemory(&icon, sizeof icon);
    icon.cbSize = NOTIFYICONDATAA_V1_SIZE;
    icon.hWnd = window;
    icon.uID = 1;
    DWORD lost = GetTickCount();
    CHECK(Shell_NotifyIconA(NIM_DELETE, &icon));
    CHECK(!TrayHoldsIcon(window));
    // The refresh timer runs every 5 s.
    CHECK(WaitFor([&] { return TrayHoldsIcon(window); }, 8000));
    printf("icon back after %lu ms\n", (unsigned long)(GetTickCount() - lost));
    DWORD code = 99;
    CHECK(CloseAndWait(zorvane, window, &code));
    CHECK_EQ(0, code);
    CHECK(!TrayHoldsIcon(window));
}

TEST_CASE(open_dialog_is_brought_forward_instead_of_opening_another) {
    ResetZorvaneRegistry();
    FakeTray tray;
    Program zorvane;
    HWND window;
    CHECK(StartZorvaneReady("", &zorvane, &window, &tray));
    PostMessageA(window, WM_COMMAND, 203, 0);
    HWND dialog = WaitForProcessDialog(zorvane.pid());
    CHECK(dialog);
    // About, Preferences, process list and update check: each brings the open
    // Preferences forward (the update check makes no request).
    const WPARAM guarded[] = {201, 203, 207, 208};
    for (WPARAM command : guarded) PostMessageA(window, WM_COMMAND, command, 0);
    CHECK(tray.fence(window));
    CHECK_EQ(1, CountTopDialogs(zorvane.pid()));
    CHECK(FindProcessDialog(zorvane.pid()) == dialog);

    // Closing Preferences in tray mode leaves the program running.
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    CHECK(WaitFor([&] { return !IsWindow(dialog); }, 15000));
    CHECK(tray.fence(window));
    CHECK(zorvane.running());
    CHECK_EQ(0, CountTopDialogs(zorvane.pid()));
    DWORD code = 99;
    CHECK(CloseAndWait(zorvane, window, &code));
    CHECK_EQ(0, code);
}
