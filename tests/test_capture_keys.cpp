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
    POINT pointer = {0, 0};
    if (WaitFor([&] { return GetCursorPos(&pointer) && pointer.x == wanted.x && pointer.y == wanted.y; }, 10000))
        return true;
    printf("    pointer at %ld,%ld, wanted %ld,%ld; foreground %p, ctrl %x\n", pointer.x, pointer.y, wanted.x, wanted.y,
           static_cast<void *>(GetForegroundWindow()), GetAsyncKeyState(VK_CONTROL));
    return false;
}

void PressWith(WORD modifier, WORD key) {
    KeyDown(modifier);
    PressKey(key);
    KeyUp(modifier);
}

// Presses a key, with a modifier held if any, and waits for the pointer to
// have moved by (dx, dy). Wine loses such moves in two ways, after which the
// step is made again from where the pointer is: it lets go of a modifier
// pressed through SendInput when it takes the key state again from the X
// server, which never saw it pressed (the pointer moves as without it, and the
// modifier is up before this releases it); and the X server's report of an
// earlier move may come after a newer one and put the pointer back (it stays
// where it was).
bool MoveStep(WORD modifier, WORD key, int dx, int dy, POINT *at) {
    for (int attempt = 0; attempt < 3; ++attempt) {
        POINT wanted = {at->x + dx, at->y + dy}, pointer = {0, 0};
        POINT plain = {at->x + (dx > 0) - (dx < 0), at->y + (dy > 0) - (dy < 0)};
        if (modifier) KeyDown(modifier);
        PressKey(key);
        bool moved = WaitFor(
            [&] {
                return GetCursorPos(&pointer) && ((pointer.x == wanted.x && pointer.y == wanted.y) ||
                                                  (modifier && pointer.x == plain.x && pointer.y == plain.y));
            },
            10000);
        bool dropped = modifier && !(GetAsyncKeyState(modifier) & 0x8000);
        if (modifier) KeyUp(modifier);
        if (moved && pointer.x == wanted.x && pointer.y == wanted.y) {
            *at = wanted;
            return true;
        }
        if (moved && dropped) {
            printf("    modifier %x let go by Wine during the step, made again\n", modifier);
            *at = plain;
        } else if (!moved && pointer.x == at->x && pointer.y == at->y) {
            printf("    pointer still at %ld,%ld after the step, made again\n", pointer.x, pointer.y);
        } else {
            return PointerAt(wanted);
        }
    }
    return false;
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
    // One key at a time: under Wine the pointer events of one move may arrive
    // after the next move was made, and put the pointer back for a moment.
    struct Step {
        WORD modifier, key;
        int dx, dy;
    };
    const Step steps[] = {{0, VK_RIGHT, 1, 0}, {0, VK_RIGHT, 1, 0}, {VK_LCONTROL, VK_RIGHT, 10, 0},
                          {0, VK_DOWN, 0, 1},  {0, VK_UP, 0, -1},   {VK_LCONTROL, VK_LEFT, -10, 0},
                          // Ctrl with the other arrows too.
                          {VK_LCONTROL, VK_DOWN, 0, 10}, {VK_LCONTROL, VK_DOWN, 0, 10},
                          {VK_LCONTROL, VK_DOWN, 0, 10}, {VK_LCONTROL, VK_DOWN, 0, 10}};
    POINT at = onTarget;
    for (const Step &step : steps) CHECK(MoveStep(step.modifier, step.key, step.dx, step.dy, &at));
    CHECK(zorvane.program.running() && CaptureWindowOf(zorvane.main) == zorvane.main);

    // Shift held at Enter, as a user holds it: the thread is killed, not the frame
    // closed. The outline shows Shift's colour once the capture sees the key.
    HoldKeys(VK_LSHIFT);
    RECT rect;
    GetWindowRect(target.frame, &rect);
    CHECK(WaitPixel(rect.left, rect.top, ActionColour(1002), true, 10000));
    PressKey(VK_RETURN);
    CHECK(WaitCaptureHeld(zorvane.main, false, 10000));
    ReleaseHeldKeys();
    CHECK_EQ(0, WaitExitCode(target.program, 15000));
    CHECK(bystander.program.running());
}
