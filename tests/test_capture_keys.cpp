// A capture driven by the keyboard alone: Tab and Shift+Tab jump between the
// windows in z-order, the arrows move the pointer, and Enter with Shift held
// applies Shift's action to the window under the pointer; a bystander stays.
#include <stdio.h>

#include "actions_support.h"
#include "check.h"
#include "harness.h"
#include "selection_support.h"

namespace {

POINT Middle(HWND window) {
    RECT rect = {0, 0, 0, 0};
    GetWindowRect(window, &rect);
    POINT middle = {rect.left + (rect.right - rect.left) / 2, rect.top + (rect.bottom - rect.top) / 2};
    return middle;
}

bool PointerAt(POINT wanted) {
    return WaitFor([&] {
        POINT pointer;
        return GetCursorPos(&pointer) && pointer.x == wanted.x && pointer.y == wanted.y;
    }, 10000);
}

void PressWith(WORD modifier, WORD key) {
    KeyDown(modifier);
    PressKey(key);
    KeyUp(modifier);
}

}  // namespace

TEST_CASE(keys_alone_move_jump_and_select_with_the_held_modifier) {
    ActionTarget bystander, target;
    CHECK(StartActionTarget("Zv Keys Bystander", 60, 120, 300, 200, "alone", &bystander));
    CHECK(StartActionTarget("Zv Keys Target", 420, 120, 300, 200, "alone", &target));
    // The target on top, the bystander right under it.
    SetWindowPos(bystander.frame, target.frame, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    ZorvaneSession zorvane;
    CHECK(zorvane.start("", 1000));  // Close
    POINT onTarget = Middle(target.frame), onBystander = Middle(bystander.frame);
    CHECK(PointAt(onTarget.x, onTarget.y + 40, target.frame));
    PostMessageA(zorvane.main, WM_COMMAND, 204, 0);
    CHECK(WaitCaptureHeld(zorvane.main, true, 10000));
    // The capture keeps its window in front, so the keys reach it.
    CHECK(WaitFor([&] { return GetForegroundWindow() == zorvane.main; }, 10000));

    PressKey(VK_TAB);
    CHECK(PointerAt(onBystander));
    PressWith(VK_LSHIFT, VK_TAB);
    CHECK(PointerAt(onTarget));
    PressKey(VK_RIGHT);
    PressKey(VK_RIGHT);
    PressWith(VK_LCONTROL, VK_RIGHT);
    PressKey(VK_DOWN);
    POINT moved = {onTarget.x + 12, onTarget.y + 1};
    CHECK(PointerAt(moved));
    PressKey(VK_UP);
    PressKey(VK_LEFT);
    moved.x -= 1;
    moved.y -= 1;
    CHECK(PointerAt(moved));
    CHECK(zorvane.program.running() && CaptureWindowOf(zorvane.main) == zorvane.main);

    // Shift held at Enter, as a user holds it: the thread is killed, not the frame closed.
    HoldKeys(VK_LSHIFT);
    PressKey(VK_RETURN);
    CHECK(WaitCaptureHeld(zorvane.main, false, 10000));
    ReleaseHeldKeys();
    CHECK_EQ(0, WaitExitCode(target.program, 15000));
    CHECK(bystander.program.running());
}
