// Window actions applied at the end of a capture: close, quit, kill thread,
// kill process and hide, and the report of a failed one.
#include "actions/actions.h"

#include "actions/identity.h"
#include "resources/resource_ids.h"
#include "selection/capture.h"
#include "shell/application.h"
#include "shell/hidden_windows.h"

bool CanElevate() {
    const OsVersionInfo &os = App().OsVersion;
    return os.platformId == VER_PLATFORM_WIN32_NT && os.major >= 6;
}

bool CarryOutAction(LONG action, const TargetWindow &target) {
    // The target was resolved just now: each action holds its handle while it
    // acts, and a failure keeps the creation time read, so that a retry acts on
    // the same process or thread, never on one given its id since.
    CreationTime found = 0;
    switch (action) {
    case Close:
        if (PostCloseIdentified(target.frameWindow, 0, &found) == TargetDone) return true;
        ReportActionFailure(IDS_CLOSE_FAILED, "-close", HandleToLong(target.frameWindow), found);
        return false;
    case Quit:
        if (PostQuitIdentified(App().OpenThreadEntry, target.threadId, 0, &found) == TargetDone) return true;
        ReportActionFailure(IDS_QUIT_FAILED, "-quit", (LONG)target.threadId, found);
        return false;
    case KillThread:
        if (TerminateThreadIdentified(App().OpenThreadEntry, target.threadId, 0, &found) == TargetDone) return true;
        ReportActionFailure(IDS_KILL_THREAD_FAILED, "-killth", (LONG)target.threadId, found);
        return false;
    case KillProcess:
        if (TerminateProcessIdentified(target.processId, 0, &found) == TargetDone) return true;
        ReportActionFailure(IDS_KILL_PROCESS_FAILED, "-killps", (LONG)target.processId, found);
        return false;
    case Hide:
        HideAndRemember(target.frameWindow);
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
