// Identity checks of processes, threads and windows by creation time, and the
// four actions carried out on a held handle only when the target is still the
// one that was meant.
#include "actions/identity.h"

#include "actions/end_guard.h"

namespace {

typedef BOOL(WINAPI *TimesFunction)(HANDLE object, FILETIME *creation, FILETIME *exit, FILETIME *kernel,
                                    FILETIME *user);

// Not every system has the right to read only a process's or thread's basic
// facts; where it is missing the full query right is asked for instead.
const DWORD ProcessQueryLimited = 0x1000;
const DWORD ThreadQueryLimited = 0x0800;

// "GetProcessTimes" and "GetThreadTimes" are looked up by name: a system without
// them only loses the check.
CreationTime TimesOf(HANDLE object, const char *entryName) {
    if (!object) return 0;
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    FARPROC entry = kernel ? GetProcAddress(kernel, entryName) : nullptr;
    if (!entry) return 0;
    TimesFunction times = reinterpret_cast<TimesFunction>(reinterpret_cast<void *>(entry));
    FILETIME creation, exit, kernelTime, userTime;
    if (!times(object, &creation, &exit, &kernelTime, &userTime)) return 0;
    return (static_cast<CreationTime>(creation.dwHighDateTime) << 32) | creation.dwLowDateTime;
}

HANDLE OpenThreadWith(ThreadOpener open, DWORD access, DWORD threadId) {
    return open ? open(access, FALSE, threadId) : nullptr;
}

// An id that no process or thread has is refused as a bad parameter; a refusal
// for lack of rights leaves the id in use.
bool RefusedAsUnknownId() { return GetLastError() == ERROR_INVALID_PARAMETER; }

// The thread pinned by a handle (closed by the caller), its creation time, and
// whether no thread has the id (gone may be null).
HANDLE PinThread(ThreadOpener open, DWORD threadId, CreationTime *time, bool *gone) {
    HANDLE thread = OpenThreadPinned(open, threadId, 0);
    if (gone) *gone = !thread && RefusedAsUnknownId();
    *time = ThreadCreationTime(thread);
    return thread;
}

void Report(CreationTime *found, CreationTime time) {
    if (found) *found = time;
}

}  // namespace

HANDLE OpenProcessPinned(DWORD processId, DWORD access) {
    HANDLE process = OpenProcess(access | ProcessQueryLimited, FALSE, processId);
    if (!process) process = OpenProcess(access | PROCESS_QUERY_INFORMATION, FALSE, processId);
    if (!process) process = OpenProcess(access ? access : SYNCHRONIZE, FALSE, processId);
    return process;
}

HANDLE OpenThreadPinned(ThreadOpener open, DWORD threadId, DWORD access) {
    HANDLE thread = OpenThreadWith(open, access | ThreadQueryLimited, threadId);
    if (!thread) thread = OpenThreadWith(open, access | THREAD_QUERY_INFORMATION, threadId);
    if (!thread) thread = OpenThreadWith(open, access ? access : SYNCHRONIZE, threadId);
    return thread;
}

CreationTime ProcessCreationTime(HANDLE process) { return TimesOf(process, "GetProcessTimes"); }

CreationTime ThreadCreationTime(HANDLE thread) { return TimesOf(thread, "GetThreadTimes"); }

CreationTime CurrentProcessCreationTime(DWORD processId, bool *gone) {
    HANDLE process = OpenProcessPinned(processId, 0);
    if (gone) *gone = !process && RefusedAsUnknownId();
    if (!process) return 0;
    CreationTime time = ProcessCreationTime(process);
    CloseHandle(process);
    return time;
}

CreationTime CurrentThreadCreationTime(ThreadOpener open, DWORD threadId, bool *gone) {
    CreationTime time = 0;
    HANDLE thread = PinThread(open, threadId, &time, gone);
    if (thread) CloseHandle(thread);
    return time;
}

bool IsReplaced(CreationTime expected, CreationTime actual) {
    return expected != 0 && actual != 0 && expected != actual;
}

namespace {

// Until a program sets its own check, only an ordinary end goes ahead.
bool RefuseWhatIsNotOrdinary(HANDLE held, bool isThread, DWORD processId, bool ended) {
    if (ended) return true;
    EndingRisk risk = isThread ? ThreadEndingRisk(held, processId) : ProcessEndingRisk(held, processId);
    return risk == EndingOrdinary;
}

EndingCheck endingCheck = RefuseWhatIsNotOrdinary;

// When the object could not be opened for the action: replaced when it is
// known to be gone or another, else a failure (it is there but refused).
TargetOutcome RefusedOutcome(CreationTime expected, CreationTime now, bool gone, CreationTime *found) {
    Report(found, now);
    return expected && (gone || IsReplaced(expected, now)) ? TargetReplaced : TargetFailed;
}

// Terminates the held process or thread unless it is another than expected
// or the ending check refuses, then closes the handle. The termination's
// result is not looked at: an open handle counts as done.
TargetOutcome TerminateHeld(HANDLE object, bool isThread, DWORD processId, CreationTime expected,
                            CreationTime *found) {
    CreationTime now = isThread ? ThreadCreationTime(object) : ProcessCreationTime(object);
    Report(found, now);
    TargetOutcome outcome = TargetReplaced;
    if (isThread && !processId) processId = ProcessIdOfThread(object);
    if (IsReplaced(expected, now)) {
        outcome = TargetReplaced;
    } else if (!endingCheck(object, isThread, processId, false)) {
        outcome = TargetDeclined;
    } else {
        if (isThread) TerminateThread(object, 0);
        else TerminateProcess(object, 0);
        endingCheck(object, isThread, processId, true);
        outcome = TargetDone;
    }
    CloseHandle(object);
    return outcome;
}

}  // namespace

EndingCheck SetEndingCheck(EndingCheck check) {
    EndingCheck previous = endingCheck;
    endingCheck = check ? check : RefuseWhatIsNotOrdinary;
    return previous;
}

TargetOutcome TerminateProcessIdentified(DWORD processId, CreationTime expected, CreationTime *found) {
    // Waiting for its end is the check's (a shell started again after it).
    HANDLE process = OpenProcessPinned(processId, PROCESS_TERMINATE | SYNCHRONIZE);
    if (!process) process = OpenProcessPinned(processId, PROCESS_TERMINATE);
    if (process) return TerminateHeld(process, false, processId, expected, found);
    bool gone = false;
    CreationTime now = CurrentProcessCreationTime(processId, &gone);
    return RefusedOutcome(expected, now, gone, found);
}

TargetOutcome TerminateThreadIdentified(ThreadOpener open, DWORD threadId, CreationTime expected,
                                        CreationTime *found) {
    HANDLE thread = OpenThreadPinned(open, threadId, THREAD_TERMINATE);
    if (thread) return TerminateHeld(thread, true, 0, expected, found);
    bool gone = false;
    CreationTime now = CurrentThreadCreationTime(open, threadId, &gone);
    return RefusedOutcome(expected, now, gone, found);
}

TargetOutcome PostQuitIdentified(ThreadOpener open, DWORD threadId, CreationTime expected, CreationTime *found) {
    bool gone = false;
    CreationTime now = 0;
    HANDLE pin = PinThread(open, threadId, &now, &gone);
    Report(found, now);
    TargetOutcome outcome;
    if (expected && (gone || IsReplaced(expected, now)))
        outcome = TargetReplaced;
    else
        outcome = PostThreadMessageA(threadId, WM_QUIT, 0, 0) ? TargetDone : TargetFailed;
    if (pin) CloseHandle(pin);
    return outcome;
}

TargetOutcome PostCloseIdentified(HWND window, CreationTime expected, CreationTime *found) {
    Report(found, 0);
    // A null handle would post into the caller's own queue and a broadcast
    // handle to every window: only an existing window counts.
    if (!window || !IsWindow(window)) return expected ? TargetReplaced : TargetFailed;
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    HANDLE process = OpenProcessPinned(processId, 0);
    CreationTime now = ProcessCreationTime(process);
    Report(found, now);
    // With the process pinned, the window must still be one of its own.
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    TargetOutcome outcome;
    if (owner != processId || IsReplaced(expected, now))
        outcome = TargetReplaced;
    else
        outcome = PostMessageA(window, WM_CLOSE, 0, 0) ? TargetDone : TargetFailed;
    if (process) CloseHandle(process);
    return outcome;
}

bool RetryTargetStillThere(ThreadOpener open, const char *verb, long id, CreationTime expected) {
    if (!expected) return true;
    bool gone = false;
    CreationTime now = 0;
    if (lstrcmpiA(verb, "-killps") == 0) {
        now = CurrentProcessCreationTime(static_cast<DWORD>(id), &gone);
    } else if (lstrcmpiA(verb, "-close") == 0) {
        HWND window = static_cast<HWND>(LongToHandle(id));
        if (!window || !IsWindow(window)) return false;
        DWORD processId = 0;
        GetWindowThreadProcessId(window, &processId);
        now = CurrentProcessCreationTime(processId, &gone);
    } else {
        now = CurrentThreadCreationTime(open, static_cast<DWORD>(id), &gone);
    }
    return !gone && !IsReplaced(expected, now);
}

CreationTime ParseIdentitySuffix(const char *argument) {
    if (!argument) return 0;
    const char *p = argument;
    while (*p == ' ' || *p == '\t') ++p;
    if (*p == '+' || *p == '-') ++p;
    while (*p >= '0' && *p <= '9') ++p;
    if (*p++ != ':') return 0;
    CreationTime time = 0;
    const char *digits = p;
    for (; *p >= '0' && *p <= '9'; ++p) {
        // More than fits is no creation time at all.
        if (time > (~0ull - 9) / 10) return 0;
        time = time * 10 + static_cast<CreationTime>(*p - '0');
    }
    return p > digits && *p == 0 ? time : 0;
}
