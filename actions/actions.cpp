// Window actions applied at the end of a capture: close, quit, kill thread,
// kill process and hide, and the report of a failed one.
#include "actions/actions.h"

#include "actions/end_guard.h"
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
    TargetOutcome outcome = TargetFailed;
    switch (action) {
    case Close:
        if (PostCloseIdentified(target.frameWindow, 0, &found) == TargetDone) {
            // A ghost's program is hung already: the system offers to end it itself.
            if (!target.viaGhost) FollowUpClose(target.frameWindow);
            return true;
        }
        ReportActionFailure(IDS_CLOSE_FAILED, "-close", HandleToLong(target.frameWindow), found);
        return false;
    case Quit:
        if (PostQuitIdentified(App().OpenThreadEntry, target.threadId, 0, &found) == TargetDone) return true;
        ReportActionFailure(IDS_QUIT_FAILED, "-quit", (LONG)target.threadId, found);
        return false;
    case KillThread:
        outcome = TerminateThreadIdentified(App().OpenThreadEntry, target.threadId, 0, &found);
        // What the user declined to end is no failure.
        if (outcome == TargetDone || outcome == TargetDeclined) return outcome == TargetDone;
        ReportActionFailure(IDS_KILL_THREAD_FAILED, "-killth", (LONG)target.threadId, found);
        return false;
    case KillProcess:
        outcome = TerminateProcessIdentified(target.processId, 0, &found);
        if (outcome == TargetDone || outcome == TargetDeclined) return outcome == TargetDone;
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
    // A close still watched ends the program once it is dealt with.
    if (App().OneShotMode && !CloseFollowUpPending()) DestroyWindow(App().mainWindow);
    return 0;
}
