// Show, Close, Quit, Kill and Hide applied to the selected rows of the process
// list, through the window of each process found among the top-level windows.
#include "processes/process_dialog.h"

#include <commctrl.h>

#include "actions/actions.h"
#include "processes/process_stats.h"
#include "resources/resource_ids.h"
#include "selection/target.h"

namespace {

// Set while the selection is walked, so that no second walk, refill or sort
// can move the rows under the one that is reporting a failure.
bool operationRunning = false;

const DWORD OverlappedWindowStyle = WS_OVERLAPPEDWINDOW;

// The failure box is owned by the dialog: the dialog stays disabled while it
// is open, so that the user cannot start another walk meanwhile, and is enabled
// again before the box goes, so that it takes the activation back instead of
// another program's window.
void ReportRowFailure(HWND dialog, UINT messageId, const char *verb, LONG id) {
    ReportActionFailureOwned(dialog, messageId, verb, id);
}

bool PostClose(HWND dialog, const TargetWindow &target) {
    // Without a window the post would land in this thread's own queue.
    if (target.frameWindow && PostMessageA(target.frameWindow, WM_CLOSE, 0, 0)) return true;
    ReportRowFailure(dialog, IDS_CLOSE_FAILED, "-close", HandleToLong(target.frameWindow));
    return false;
}

bool PostQuit(HWND dialog, const TargetWindow &target) {
    // Thread 0 (no window found) is no thread, whatever the post returns.
    if (target.threadId && PostThreadMessageA(target.threadId, WM_QUIT, 0, 0)) return true;
    ReportRowFailure(dialog, IDS_QUIT_FAILED, "-quit", static_cast<LONG>(target.threadId));
    return false;
}

bool TerminateTarget(HWND dialog, const TargetWindow &target) {
    HANDLE process = OpenProcess(PROCESS_TERMINATE, FALSE, target.processId);
    if (!process) {
        ReportRowFailure(dialog, IDS_KILL_PROCESS_FAILED, "-killps", static_cast<LONG>(target.processId));
        return false;
    }
    TerminateProcess(process, 0);
    CloseHandle(process);
    return true;
}

void ShowTarget(const TargetWindow &target) {
    if (!target.frameWindow) return;
    ShowWindow(target.frameWindow, SW_RESTORE);
    SetForegroundWindow(target.frameWindow);
}

void HideTarget(const TargetWindow &target) {
    if (target.frameWindow) ShowWindow(target.frameWindow, SW_HIDE);
}

// Carries the operation out; true when the row is to be removed.
bool ApplyOperation(HWND dialog, ProcessOperation operation, const TargetWindow &target) {
    switch (operation) {
    case ProcessShow: ShowTarget(target); return false;
    case ProcessClose: return PostClose(dialog, target);
    case ProcessQuit: return PostQuit(dialog, target);
    case ProcessKill: return TerminateTarget(dialog, target);
    case ProcessHide: HideTarget(target); return false;
    }
    return false;
}

void DeselectRow(HWND listView, int row) {
    LVITEMA item;
    ZeroMemory(&item, sizeof item);
    item.stateMask = LVIS_SELECTED;
    item.state = 0;
    SendMessageA(listView, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
}

}  // namespace

BOOL CALLBACK FindProcessWindow(HWND window, LPARAM lParam) {
    TargetWindow *target = reinterpret_cast<TargetWindow *>(lParam);
    DWORD processId = 0;
    DWORD threadId = GetWindowThreadProcessId(window, &processId);
    if (processId != target->processId) return TRUE;
    target->pointedWindow = window;
    target->threadId = threadId;
    target->frameWindow = FrameWalk(window);
    DWORD style = static_cast<DWORD>(GetWindowLongA(target->frameWindow, GWL_STYLE));
    return (style & OverlappedWindowStyle) == OverlappedWindowStyle ? FALSE : TRUE;
}

bool OperationForCommand(int command, ProcessOperation *operation) {
    switch (command) {
    case IDC_PROCESS_SHOW: case IDC_CMD_PROCESS_SHOW: *operation = ProcessShow; return true;
    case IDC_PROCESS_CLOSE: case IDC_CMD_PROCESS_CLOSE: *operation = ProcessClose; return true;
    case IDC_PROCESS_QUIT: case IDC_CMD_PROCESS_QUIT: *operation = ProcessQuit; return true;
    case IDC_PROCESS_KILL: case IDC_CMD_PROCESS_KILL: *operation = ProcessKill; return true;
    case IDC_PROCESS_HIDE: case IDC_CMD_PROCESS_HIDE: *operation = ProcessHide; return true;
    default: return false;
    }
}

bool ProcessOperationRunning() { return operationRunning; }

namespace {

// Finds the row's process window, acts, and removes or deselects the row.
void ApplyToRow(HWND dialog, HWND listView, int row, ProcessOperation operation) {
    TargetWindow target;
    ZeroMemory(&target, sizeof target);
    char pid[ProcessTextCapacity];
    ReadProcessCell(listView, row, 1, pid);
    target.processId = ParseProcessId(pid);
    EnumWindows(FindProcessWindow, reinterpret_cast<LPARAM>(&target));
    if (ApplyOperation(dialog, operation, target))
        SendMessageA(listView, LVM_DELETEITEM, row, 0);
    else
        DeselectRow(listView, row);
}

}  // namespace

void ApplyToSelection(HWND dialog, ProcessOperation operation) {
    if (operationRunning) return;
    operationRunning = true;
    HWND listView = GetDlgItem(dialog, IDC_PROCESS_LIST);
    // Every handled row leaves the selection; the count bounds the walk even
    // if a row would not leave it.
    int remaining = static_cast<int>(SendMessageA(listView, LVM_GETSELECTEDCOUNT, 0, 0));
    for (; remaining > 0; --remaining) {
        int row = static_cast<int>(SendMessageA(listView, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
        if (row < 0) break;
        ApplyToRow(dialog, listView, row, operation);
    }
    operationRunning = false;
}
