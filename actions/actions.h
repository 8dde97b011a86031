// Window actions applied at the end of a capture, the failure report with its
// elevated retry, and the start of Liftrun.
#ifndef ZORVANE_ACTIONS_H
#define ZORVANE_ACTIONS_H

#include <windows.h>

#include "actions/identity.h"
#include "selection/target.h"

enum ActionMethod {
    Close = 1000,
    Quit = 1001,
    KillThread = 1002,
    KillProcess = 1003,
    Hide = 1004
};

// Ends the capture, resolves the window under the pointer and applies the
// effective action; in OneShotMode ends the program afterwards. Returns 0.
LRESULT ApplyActionAtCursor();

// The configured action applied to the foreground window, resolved as a
// pointed window is (a ghost to its hung program, a store app's frame to the
// app); nothing for Zorvane's own windows and the desktop. Failures are
// reported as for a capture.
void ApplyActionToForeground();

// Applies one action to a resolved target and reports a failure with the
// localised box. False when the action failed; values outside 1000 to 1004 do
// nothing and count as done.
bool CarryOutAction(LONG action, const TargetWindow &target);

// NT platform, major version 6 or more.
bool CanElevate();

// Localised failure box; Retry (where elevation exists) starts Liftrun with the
// verb, the id (a window handle as HandleToLong, or a thread or process id)
// with the creation time of its thread or process (of the window's process for
// a window; 0 when unknown, then the id goes alone) and the message shown.
// Retry starts nothing when the id has meanwhile come to name another target.
void ReportActionFailure(UINT messageId, const char *verb, LONG id, CreationTime creation);

// The same box owned by another window of Zorvane: the box disables that
// window while it is open and enables it again before it goes, so that the
// activation returns to it. Liftrun is still started over the main window.
void ReportActionFailureOwned(HWND owner, UINT messageId, const char *verb, LONG id, CreationTime creation);

// The failure box for several targets at once: Retry starts Liftrun with the
// verb, the targets' text (a list Liftrun reads and checks item by item) and
// the message shown.
void ReportFailureWithTargets(HWND owner, UINT messageId, const char *verb, const char *targets);

// After a Close posted to another program's window: offers to end the program
// when it does not respond at once, or when the window is still there after
// 5 s and it does not respond then. A program that answers is left alone.
void FollowUpClose(HWND window);
bool CloseFollowUpPending();
void OnCloseWatchTimer();

// Full path of Liftrun.exe in Zorvane's own directory; false when it is not there.
bool LiftrunProgramPath(char *out, int capacity);

// Starts programFile with "runas" and the Liftrun command line; true when the
// shell accepted the request.
bool StartLiftrunElevated(HWND owner, const char *programFile, const char *verb, LONG id, CreationTime creation,
                          const char *message, bool agreed = false);

// Starts programFile with "runas" and the parameters as they are.
bool StartLiftrunWithParameters(HWND owner, const char *programFile, const char *parameters);

// Formats "<verb> <id> <message>", the id followed by ":<creation time>" when
// that is known, and written with a plus sign when the user agreed to end what
// Windows or the shell needs; returns false when it does not fit.
bool FormatLiftrunCommandLine(const char *verb, LONG id, CreationTime creation, const char *message, char *out,
                              int capacity, bool agreed = false);

// The first visible modal box captioned "Zorvane" (any letter case), or 0.
HWND FindFailureBox();

// Timer 7777: puts the shield on the Retry button of the failure box.
void OnShieldTimer();

#endif
