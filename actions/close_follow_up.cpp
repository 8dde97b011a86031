// Close that finishes the job: after WM_CLOSE, a program that does not respond
// is offered to be ended; one that answers (it may be asking to save) is left
// to the user. The watch runs on a timer, so that nothing waits on the program.
#include "actions/actions.h"

#include "actions/end_guard.h"
#include "resources/resource_ids.h"
#include "shell/application.h"
#include "shell/code_page.h"
#include "shell/main_window.h"
#include "shell/winutil.h"

namespace {

enum {
    WatchLimit = 16,
    WatchPeriod = 250,     // ms between two looks
    CloseGrace = 5000,     // ms a responding program has to go
    ResponseWait = 500     // ms a program has to answer one look
};

// A window that was sent WM_CLOSE, with the process it belonged to then.
struct ClosedWindow {
    HWND window;
    DWORD processId;
    CreationTime creation;
    DWORD closedAt;
    bool looked;  // the first look, right after the close, is done
};

ClosedWindow watched[WatchLimit];
int watchedCount = 0;

// Set while an offer or the failure box after it is open: one box at a time.
bool offering = false;

void Forget(int index) {
    watched[index] = watched[--watchedCount];
    if (watchedCount == 0) KillTimer(App().mainWindow, CloseWatchTimer);
}

// Still the window of the same process: nothing else is ever offered.
bool StillThere(const ClosedWindow &entry) {
    if (!IsWindow(entry.window)) return false;
    DWORD owner = 0;
    GetWindowThreadProcessId(entry.window, &owner);
    if (owner != entry.processId) return false;
    bool gone = false;
    CreationTime now = CurrentProcessCreationTime(entry.processId, &gone);
    return !gone && !IsReplaced(entry.creation, now);
}

// Asks, and on Yes ends the very process that was closed (through the ending
// guard), unless it has answered again meanwhile.
void OfferToEnd(const ClosedWindow &entry) {
    char name[TEXT_BYTES(MAX_PATH)];
    CopyExeName(entry.processId, name);
    if (!name[0]) FormatText(name, sizeof name, "%lu", static_cast<unsigned long>(entry.processId));
    if (AskAboutProgram(entry.window, IDS_END_NOT_RESPONDING, IDS_ASK_END, name) != IDYES) return;
    if (!StillThere(entry) || !WindowNotResponding(entry.window, ResponseWait)) return;
    CreationTime found = 0;
    if (TerminateProcessIdentified(entry.processId, entry.creation, &found) == TargetFailed)
        ReportActionFailure(IDS_KILL_PROCESS_FAILED, "-killps", static_cast<LONG>(entry.processId),
                            found ? found : entry.creation);
}

// One look at one window: true when it was dealt with (gone, answered past
// the grace time, or offered).
bool LookAt(ClosedWindow &entry, DWORD now) {
    if (!StillThere(entry)) return true;
    bool late = now - entry.closedAt >= CloseGrace;
    if (entry.looked && !late) return false;
    entry.looked = true;
    if (!WindowNotResponding(entry.window, ResponseWait)) return late;
    ClosedWindow offered = entry;
    entry.window = nullptr;  // forgotten before the box: its loop runs this timer
    offering = true;
    OfferToEnd(offered);
    offering = false;
    return true;
}

void EndProgramIfOneShotDone() {
    Application &app = App();
    if (app.OneShotMode && watchedCount == 0 && !app.ActiveDialog && GetCapture() != app.mainWindow)
        DestroyWindow(app.mainWindow);
}

}  // namespace

void FollowUpClose(HWND window) {
    if (!window || watchedCount >= WatchLimit) return;
    ClosedWindow entry = {window, 0, 0, GetTickCount(), false};
    GetWindowThreadProcessId(window, &entry.processId);
    // Zorvane's own windows answer for themselves.
    if (!entry.processId || entry.processId == GetCurrentProcessId()) return;
    entry.creation = CurrentProcessCreationTime(entry.processId, nullptr);
    watched[watchedCount++] = entry;
    SetTimer(App().mainWindow, CloseWatchTimer, WatchPeriod, nullptr);
}

bool CloseFollowUpPending() { return watchedCount > 0; }

void OnCloseWatchTimer() {
    // A question's own loop runs this timer: one box at a time.
    if (offering || QuestionOpen()) return;
    DWORD now = GetTickCount();
    // One look per tick at most, so that a tick never waits on more than one program.
    for (int i = 0; i < watchedCount; ++i) {
        if (!watched[i].window) continue;
        bool due = !watched[i].looked || now - watched[i].closedAt >= CloseGrace;
        if (!due) continue;
        if (LookAt(watched[i], now)) watched[i].window = nullptr;
        break;
    }
    for (int i = watchedCount - 1; i >= 0; --i)
        if (!watched[i].window) Forget(i);
    EndProgramIfOneShotDone();
}
