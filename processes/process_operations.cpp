// Show, Close, Quit, Kill and Hide applied to the selected rows of the process
// list, through the window of each process found among the top-level windows.
#include "processes/process_dialog.h"

#include <commctrl.h>

#include "actions/actions.h"
#include "processes/process_stats.h"
#include "processes/process_suspend.h"
#include "processes/process_tree.h"
#include "resources/resource_ids.h"
#include "selection/target.h"
#include "shell/application.h"
#include "shell/hidden_windows.h"
#include "shell/winutil.h"

namespace {

// Set while the selection is walked, so that no second walk, refill or sort
// can move the rows under the one that is reporting a failure.
bool operationRunning = false;

// The rows' identities as of the last fill of the dialog's list.
ProcessIdentityTable rowIdentities;

const DWORD OverlappedWindowStyle = WS_OVERLAPPEDWINDOW;

// A failed operation, reported once the row's process is let go of: the box
// may stay open for minutes, and the retry checks the identity itself.
struct RowFailure {
    UINT messageId;  // 0: nothing failed
    const char *verb;
    LONG id;
    CreationTime creation;
};

bool Failed(RowFailure *failure, UINT messageId, const char *verb, LONG id, CreationTime creation) {
    *failure = {messageId, verb, id, creation};
    return false;
}

// The operations run while the row's process is pinned by a handle (its id
// cannot be handed out meanwhile), so they act with no identity of their own
// to compare; a failure names the target with the creation time read.
bool PostClose(const TargetWindow &target, RowFailure *failure) {
    CreationTime found = 0;
    // Without a window the post would land in this thread's own queue.
    if (target.frameWindow && PostCloseIdentified(target.frameWindow, 0, &found) == TargetDone) {
        FollowUpClose(target.frameWindow);
        return true;
    }
    return Failed(failure, IDS_CLOSE_FAILED, "-close", HandleToLong(target.frameWindow), found);
}

bool PostQuit(const TargetWindow &target, RowFailure *failure) {
    CreationTime found = 0;
    // Thread 0 (no window found) is no thread, whatever the post returns.
    if (target.threadId && PostQuitIdentified(App().OpenThreadEntry, target.threadId, 0, &found) == TargetDone)
        return true;
    return Failed(failure, IDS_QUIT_FAILED, "-quit", static_cast<LONG>(target.threadId), found);
}

bool TerminateTarget(const TargetWindow &target, CreationTime rowCreation, RowFailure *failure) {
    CreationTime found = 0;
    TargetOutcome outcome = TerminateProcessIdentified(target.processId, 0, &found);
    // Left alive at the user's word: the row stays, without a failure box.
    if (outcome == TargetDone || outcome == TargetDeclined) return outcome == TargetDone;
    return Failed(failure, IDS_KILL_PROCESS_FAILED, "-killps", static_cast<LONG>(target.processId),
                  found ? found : rowCreation);
}

// Bounded: ShowWindow on another program's window would wait for its thread,
// forever when that program does not respond.
void ShowTarget(const TargetWindow &target) {
    if (!target.frameWindow) return;
    ShowWindowBounded(target.frameWindow, SW_RESTORE, ShowWindowWait);
    SetForegroundWindow(target.frameWindow);
}

void HideTarget(const TargetWindow &target) {
    if (target.frameWindow) HideAndRemember(target.frameWindow);
}

// Carries the operation out; true when the row is to be removed.
bool ApplyOperation(ProcessOperation operation, const TargetWindow &target, CreationTime rowCreation,
                    RowFailure *failure) {
    switch (operation) {
    case ProcessShow: ShowTarget(target); return false;
    case ProcessClose: return PostClose(target, failure);
    case ProcessQuit: return PostQuit(target, failure);
    case ProcessKill: return TerminateTarget(target, rowCreation, failure);
    case ProcessHide: HideTarget(target); return false;
    case ProcessKillTree: case ProcessSuspend: case ProcessResume: return false;  // see ApplyToProcess
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
    // An owner in another process is not this process's to act on.
    DWORD frameProcessId = 0;
    GetWindowThreadProcessId(target->frameWindow, &frameProcessId);
    if (frameProcessId != target->processId) target->frameWindow = window;
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
    case IDC_PROCESS_KILL_TREE: case IDC_CMD_PROCESS_KILL_TREE: *operation = ProcessKillTree; return true;
    case IDC_PROCESS_SUSPEND: case IDC_CMD_PROCESS_SUSPEND: *operation = ProcessSuspend; return true;
    case IDC_PROCESS_RESUME: case IDC_CMD_PROCESS_RESUME: *operation = ProcessResume; return true;
    default: return false;
    }
}

bool ProcessOperationRunning() { return operationRunning; }

int RefillProcessList(HWND listView, bool clearFilter) {
    if (clearFilter) rowIdentities.filter[0] = 0;
    return FillProcessList(listView, &rowIdentities);
}

void FilterProcessList(HWND listView, const char *filter) {
    for (int i = 0; i < rowIdentities.count; ++i) rowIdentities.rows[i].selected = false;
    char pid[ProcessTextCapacity];
    for (int row = -1; (row = static_cast<int>(SendMessageA(listView, LVM_GETNEXTITEM, row, LVNI_SELECTED))) >= 0;) {
        ReadProcessCell(listView, row, 1, pid);
        ProcessRowIdentity *kept = const_cast<ProcessRowIdentity *>(FindRowIdentity(rowIdentities, ParseProcessId(pid)));
        if (kept) kept->selected = true;
    }
    lstrcpynA(rowIdentities.filter, filter, sizeof rowIdentities.filter);
    ShowProcessRows(listView, rowIdentities);
}

namespace {

// True when the process under the row's id is not the one listed: created
// after the fill, or with another creation time than the one kept. A process
// that cannot be opened at all is taken as listed.
bool RowReplaced(HANDLE pin, DWORD processId, CreationTime *rowCreation) {
    const ProcessRowIdentity *kept = FindRowIdentity(rowIdentities, processId);
    *rowCreation = kept ? kept->creationTime : 0;
    CreationTime now = ProcessCreationTime(pin);
    if (!now) return false;
    return *rowCreation ? IsReplaced(*rowCreation, now) : now > rowIdentities.filledAt;
}

// The row's status cell and the kept record, after a suspend or resume.
void SetRowStatus(HWND listView, int row, DWORD processId, UINT status) {
    ProcessRowIdentity *kept = const_cast<ProcessRowIdentity *>(FindRowIdentity(rowIdentities, processId));
    if (kept) kept->status = status;
    char text[100] = "";
    if (status) LoadLocalString(status, text, sizeof text);
    LVITEMA item;
    ZeroMemory(&item, sizeof item);
    item.iSubItem = ProcessStatusColumn;
    item.pszText = text;
    SendMessageA(listView, LVM_SETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
}

bool IsProcessWide(ProcessOperation operation) {
    return operation == ProcessKillTree || operation == ProcessSuspend || operation == ProcessResume;
}

// The operations on the whole process; true when the row is to be removed.
bool ApplyToProcess(HWND dialog, HWND listView, int row, ProcessOperation operation, DWORD processId,
                    CreationTime rowCreation) {
    char name[ProcessTextCapacity];
    ReadProcessCell(listView, row, 0, name);
    if (operation == ProcessKillTree) return EndProcessTree(dialog, processId, rowCreation);
    if (operation == ProcessSuspend && SuspendProcessRow(dialog, processId, name))
        SetRowStatus(listView, row, processId, IDS_STATUS_SUSPENDED);
    if (operation == ProcessResume && ResumeProcessRow(dialog, processId, name))
        SetRowStatus(listView, row, processId, 0);
    return false;
}

// Checks that the row still names its process and, holding it, finds its
// window, acts, and removes or deselects the row. A row whose process has
// ended and whose id is another's now is removed untouched, without a box.
// The failure box is owned by the dialog: the dialog stays disabled while it
// is open, so that the user cannot start another walk meanwhile, and is enabled
// again before the box goes, so that it takes the activation back instead of
// another program's window.
void ApplyToRow(HWND dialog, HWND listView, int row, ProcessOperation operation) {
    TargetWindow target;
    ZeroMemory(&target, sizeof target);
    char pid[ProcessTextCapacity];
    ReadProcessCell(listView, row, 1, pid);
    target.processId = ParseProcessId(pid);
    HANDLE pin = OpenProcessPinned(target.processId, 0);
    CreationTime rowCreation = 0;
    RowFailure failure = {0, nullptr, 0, 0};
    bool remove = RowReplaced(pin, target.processId, &rowCreation);
    if (!remove && IsProcessWide(operation)) {
        remove = ApplyToProcess(dialog, listView, row, operation, target.processId, rowCreation);
    } else if (!remove) {
        EnumWindows(FindProcessWindow, reinterpret_cast<LPARAM>(&target));
        remove = ApplyOperation(operation, target, rowCreation, &failure);
    }
    if (pin) CloseHandle(pin);
    if (failure.messageId)
        ReportActionFailureOwned(dialog, failure.messageId, failure.verb, failure.id, failure.creation);
    if (remove)
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
