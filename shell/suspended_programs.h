// The programs that Zorvane suspended, kept in the settings key with their
// process's identity so that this Zorvane or a later one can resume each of
// them from the tray menu's "Suspended programs" submenu: a frozen program is
// never forgotten.
#ifndef ZORVANE_SUSPENDED_PROGRAMS_H
#define ZORVANE_SUSPENDED_PROGRAMS_H

#include <windows.h>

// Section of the settings key: one value per process, named by its id as 8 hex
// digits, REG_SZ "<process id>:<process creation time>" in decimal.
#define SUSPENDED_PROGRAMS_SECTION "SuspendedPrograms"

// At most this many are kept: one submenu command each.
enum { SuspendedProgramLimit = 64 };

// The rights that suspending or resuming a held process needs.
enum { ProcessSuspendResume = 0x0800 };

// Suspends or resumes every thread of the held process through the system's
// own call (NtSuspendProcess, NtResumeProcess); false when it failed or the
// system lacks it.
bool SetProcessSuspended(HANDLE process, bool suspend);

// Suspends the held process (opened with ProcessSuspendResume) and records it.
// One that is listed already is left as it is (it is frozen once). When the
// list is full or the record cannot be written, the process is not left
// suspended and the user hears a beep. False then, and when the suspension failed.
bool SuspendAndRemember(HANDLE process, DWORD processId);

// Resumes the held process and drops it from the list; false when the resume failed.
bool ResumeAndForget(HANDLE process, DWORD processId);

// Rebuilds the submenu (the tray menu's second) from the list after dropping
// the entries whose process is gone or replaced: one item per program ("<exe>
// (<id>)"), a separator and "Resume all", or one greyed "(none)".
void FillSuspendedProgramsMenu(HMENU trayMenu);

// A command of the submenu's program items: resumes that program when it is
// still the one suspended. False when the id is none of them.
bool OnSuspendedProgramCommand(HMENU trayMenu, int commandId);

// Resumes every listed program that is still the one suspended.
void ResumeAllSuspendedPrograms();

#endif
