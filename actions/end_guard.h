// What ending a process or thread would take from the user: Windows itself (a
// process or thread whose end stops the system at once) or the shell's desktop
// and taskbar. Every path that ends a process or thread, in Zorvane and in
// Liftrun, asks here first. The classification uses kernel32 and user32 only,
// so that Liftrun carries the same rules; the question to the user is Zorvane's.
#ifndef ZORVANE_END_GUARD_H
#define ZORVANE_END_GUARD_H

#include <windows.h>

enum EndingRisk {
    EndingOrdinary = 0,      // nothing beyond the program itself is lost
    EndingStopsWindows = 1,  // a critical process or thread: Windows stops at once
    EndingShell = 2          // owns the shell window: the desktop and taskbar go with it
};

// The risk of ending the process behind the held handle (opened with at least
// the limited query right), whose id is processId.
EndingRisk ProcessEndingRisk(HANDLE process, DWORD processId);

// The risk of ending the held thread of the given process: its own critical
// flag, or the risk of ending its process. A processId of 0 is read from the thread.
EndingRisk ThreadEndingRisk(HANDLE thread, DWORD processId);

// The process of a held thread ("GetProcessIdOfThread", bound by name), 0 when
// the system cannot tell.
DWORD ProcessIdOfThread(HANDLE thread);

// The full image path of a held process; false when it cannot be read.
bool HeldProcessImagePath(HANDLE process, char *out, DWORD capacity);

// Zorvane only: asks the user before an end whose risk is not ordinary, naming
// the program; true only when the user agreed. Ordinary risks pass unasked.
// The box stands on the monitor of the window it is about (none: the pointer's);
// while another of Zorvane's questions is open, the answer is no.
bool ConsentToEnding(HWND owner, EndingRisk risk, const char *programName, HWND about = nullptr,
                     bool isThread = false);

// Zorvane only: asks Yes or No about a program (string formatId with its name
// for %s, then string questionId), No the default; the box stands on the
// monitor of the window about. While another question is open, answers IDNO
// without asking.
int AskAboutProgram(HWND about, UINT formatId, UINT questionId, const char *programName);

// True while one of these questions is open.
bool QuestionOpen();

// Zorvane's ending check (see SetEndingCheck): asks before what is not
// ordinary and, once the shell was ended with the user's consent, starts it again.
bool AskBeforeEnding(HANDLE held, bool isThread, DWORD processId, bool ended);

#endif
