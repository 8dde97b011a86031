// Who a process, thread or window really is: ids are handed out again once
// their process or thread has ended, so an id kept across time is checked
// against the creation time of what it named before anything acts on it.
// Shared by Zorvane and Liftrun (kernel32 and user32 only).
#ifndef ZORVANE_IDENTITY_H
#define ZORVANE_IDENTITY_H

#include <windows.h>

// The thread-opening entry point ("OpenThread", or a fallback that opens nothing).
typedef HANDLE(WINAPI *ThreadOpener)(DWORD access, BOOL inherit, DWORD threadId);

// Creation times are FILETIME values (100 ns units since 1601); 0 is "unknown".
typedef unsigned long long CreationTime;

// How an action on an identified target went.
enum TargetOutcome {
    TargetDone,     // acted (a terminate counts once the handle was open)
    TargetFailed,   // could not act on it: not opened, not posted
    TargetReplaced,  // the id now names another process, thread or window, or nothing: left alone
    TargetDeclined   // its end would cost more than the program and was not agreed to: left alone
};

// The one guard that every end of a process or thread passes, called with the
// handle held: before the end (ended false), where false leaves the target
// alone, and once it was ended (ended true; the answer is not looked at).
// processId is the process, or the thread's process (0 when unknown).
typedef bool (*EndingCheck)(HANDLE held, bool isThread, DWORD processId, bool ended);

// Each program sets its own: Zorvane asks the user, Liftrun reads the user's
// answer from its command line. Until one is set, an end that is not ordinary
// is refused. Returns the previous one.
EndingCheck SetEndingCheck(EndingCheck check);

// Opens the process with the access and, where granted, the right to read its
// times; the handle keeps the id from being handed out again while it is open.
HANDLE OpenProcessPinned(DWORD processId, DWORD access);
HANDLE OpenThreadPinned(ThreadOpener open, DWORD threadId, DWORD access);

// The creation time read through the handle, or 0.
CreationTime ProcessCreationTime(HANDLE process);
CreationTime ThreadCreationTime(HANDLE thread);

// The creation time of whatever process now has the id, 0 when it cannot be
// read; gone (may be null) is set when no process has the id at all.
CreationTime CurrentProcessCreationTime(DWORD processId, bool *gone);
CreationTime CurrentThreadCreationTime(ThreadOpener open, DWORD threadId, bool *gone);

// Same when expected is 0 (nothing to compare with) or equals the time read;
// replaced when the time read differs. An unreadable time (0) counts as same:
// what cannot be told apart is treated as the system does without the check.
bool IsReplaced(CreationTime expected, CreationTime actual);

// The four actions, each on a handle held while it acts and only when the
// target still has the expected creation time (0: any); the two ends pass the
// ending check first. found (may be null)
// gets the creation time read, 0 when none could be, so that a failure can be
// retried on the very same target. For a window, the time is its process's.
TargetOutcome TerminateProcessIdentified(DWORD processId, CreationTime expected, CreationTime *found);
TargetOutcome TerminateThreadIdentified(ThreadOpener open, DWORD threadId, CreationTime expected,
                                        CreationTime *found);
TargetOutcome PostQuitIdentified(ThreadOpener open, DWORD threadId, CreationTime expected, CreationTime *found);
TargetOutcome PostCloseIdentified(HWND window, CreationTime expected, CreationTime *found);

// Whether the target of a retry ("-close", "-quit", "-killth", "-killps" with
// its id) still has the creation time; false only when it is known to be
// replaced or gone.
bool RetryTargetStillThere(ThreadOpener open, const char *verb, long id, CreationTime expected);

// The creation time written after an id as ":<digits>" (a reader of the id
// alone stops at the colon); 0 when there is none.
CreationTime ParseIdentitySuffix(const char *argument);

#endif
