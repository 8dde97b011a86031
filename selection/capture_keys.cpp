// A capture by keyboard: the pointer moved by the arrows (1 pixel, 10 with
// Ctrl) or to the middle of the next window in z-order (Tab, Shift+Tab), and
// Enter or Space selecting as a click does. The tick's outline follows.
#include "selection/capture_keys.h"

#include "actions/actions.h"
#include "selection/target.h"
#include "shell/application.h"

namespace {

// Bound of the z-order walk: more top-level windows than a session holds.
enum { ZOrderWalkLimit = 4096, FineStep = 1, CoarseStep = 10 };

bool Held(int virtualKey) { return (GetKeyState(virtualKey) & 0x8000) != 0; }

void MovePointerBy(int dx, int dy) {
    POINT pointer;
    if (!GetCursorPos(&pointer)) return;
    int step = Held(VK_CONTROL) ? CoarseStep : FineStep;
    SetCursorPos(pointer.x + dx * step, pointer.y + dy * step);
}

// A click at the window's middle would land on the window itself.
bool ClickReaches(HWND window, POINT *middle) {
    if (!IsWindowVisible(window) || IsIconic(window) || IsDesktopTopWindow(window)) return false;
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == GetCurrentProcessId()) return false;
    RECT rect;
    if (!GetWindowRect(window, &rect) || IsRectEmpty(&rect)) return false;
    POINT point = {rect.left + (rect.right - rect.left) / 2, rect.top + (rect.bottom - rect.top) / 2};
    HWND hit = WindowFromPoint(point);
    if (!hit || GetAncestor(hit, GA_ROOT) != window) return false;
    *middle = point;
    return true;
}

// As a click, with the modifiers held at the key choosing the action.
void SelectByKey() {
    CaptureState &state = App().capture;
    state.KeySelection = true;
    ApplyActionAtCursor();
    state.KeySelection = false;
}

void JumpToWindow(bool previous) {
    HWND window;
    POINT middle;
    if (NextReachableWindow(previous, &window, &middle)) SetCursorPos(middle.x, middle.y);
}

}  // namespace

bool NextReachableWindow(bool previous, HWND *window, POINT *middle) {
    POINT pointer;
    HWND current = GetCursorPos(&pointer) ? WindowFromPoint(pointer) : nullptr;
    if (current) current = GetAncestor(current, GA_ROOT);
    UINT direction = previous ? GW_HWNDPREV : GW_HWNDNEXT;
    HWND top = GetTopWindow(nullptr);
    HWND first = previous ? (top ? GetWindow(top, GW_HWNDLAST) : nullptr) : top;
    HWND candidate = current ? GetWindow(current, direction) : first;
    // Once round: back at the window under the pointer, or at the first one.
    HWND stop = current ? current : first;
    for (int step = 0; step < ZOrderWalkLimit; ++step) {
        // Past either end the walk goes round to the other.
        if (!candidate) candidate = first;
        if (!candidate || (candidate == stop && step > 0)) return false;
        if (ClickReaches(candidate, middle)) {
            *window = candidate;
            return true;
        }
        candidate = GetWindow(candidate, direction);
    }
    return false;
}

bool OnCaptureKey(UINT virtualKey) {
    switch (virtualKey) {
    case VK_LEFT: MovePointerBy(-1, 0); return true;
    case VK_RIGHT: MovePointerBy(1, 0); return true;
    case VK_UP: MovePointerBy(0, -1); return true;
    case VK_DOWN: MovePointerBy(0, 1); return true;
    case VK_TAB: JumpToWindow(Held(VK_SHIFT)); return true;
    // As a click: the modifiers held now choose the action.
    case VK_RETURN:
    case VK_SPACE: SelectByKey(); return true;
    default: return false;
    }
}
