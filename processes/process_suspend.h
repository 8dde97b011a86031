// Suspend and Resume of the process list: freezing a program without losing
// its work, never one whose freezing would freeze the desktop.
#ifndef ZORVANE_PROCESS_SUSPEND_H
#define ZORVANE_PROCESS_SUSPEND_H

#include <windows.h>

// Why a process may not be suspended: 0 when it may, else the string that
// says why (Zorvane itself, the system's own processes, the shell, the window
// manager "dwm.exe" of the system folder). The process is held by the caller.
UINT SuspendRefusal(HANDLE process, DWORD processId);

// Suspends (or resumes) the process of the row, named in the boxes by the
// name; a refusal or a failure is told in a box owned by the owner. True when
// the process was suspended (resumed).
bool SuspendProcessRow(HWND owner, DWORD processId, const char *name);
bool ResumeProcessRow(HWND owner, DWORD processId, const char *name);

#endif
