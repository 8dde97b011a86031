// Window actions applied at the end of a capture: close, quit, kill thread,
// kill process and hide, and the report of a failed one.
#include "actions/actions.h"

#include "resources/resource_ids.h"
#include "selection/capture.h"
#include "shell/application.h"

namespace {

// A null handle would post into Zorvane's own queue: only an existing window counts.
bool PostCloseMessage(HWND window) {
    return window && IsWindow(window) && PostMessageA(window, WM_CLOSE, 0, 0);
}

// Opens the thread through OpenThreadEntry and terminates it; false when no
// handle was obtained (the termination's own result is not looked at).
bool TerminateThreadById(DWORD threadId) {
    HANDLE thread = App().OpenThreadEntry ? App().OpenThreadEntry(THREAD_TERMINATE, FALSE, threadId)
                                          : nullptr;
    if (!thread) return false;
    TerminateThread(thread, 0);
    CloseHandle(thread);
    return true;
}

bool TerminateProcessById(DWORD processId) {
    HANDLE process = OpenProcess(PROCESS_TERMINATE, FALSE, processId);
    if (!process) return false;
    TerminateProcess(process, 0);
    CloseHandle(process);
    return true;
}

}  // namespace

bool CanElevate() {
    const OsVersionInfo &os = App().OsVersion;
    return os.platformId == VER_PLATFORM_WIN32_NT && os.major >= 6;
}

bool CarryOutAction(LONG action, const TargetWindow &target) {
    switch (action) {
    case Close:
        if (PostCloseMessage(target.frameWindow)) return true;
        ReportActionFailure(IDS_CLOSE_FAILED, "-close", HandleToLong(target.frameWindow));
        return false;
    case Quit:
        if (PostThreadMessageA(target.threadId, WM_QUIT, 0, 0)) return true;
        ReportActionFailure(IDS_QUIT_FAILED, "-quit", (LONG)target.threadId);
        return false;
    case KillThread:
        if (TerminateThreadById(target.threadId)) return true;
        ReportActionFailure(IDS_KILL_THREAD_FAILED, "-killth", (LONG)target.threadId);
        return false;
    case KillProcess:
        if (TerminateProcessById(target.processId)) return true;
        ReportActionFailure(IDS_KILL_PROCESS_FAILED, "-killps", (LONG)target.processId);
        return false;
    case Hide:
        ShowWindow(target.frameWindow, SW_HIDE);
        return true;
    default: return true;
    }
}

LRESULT ApplyActionAtCursor() {
    EndCapture("Normal end capture\n");
    TargetWindow target;
    if (ResolveTarget(&target, true)) {
        LONG action = EffectiveAction();
        // A hung application's ghost frame only ever gets closed.
        if (target.viaGhost == 1) action = Close;
        CarryOutAction(action, target);
    }
    if (App().OneShotMode) DestroyWindow(App().mainWindow);
    return 0;
}
