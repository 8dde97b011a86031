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
// flag, or the risk of ending its process.
EndingRisk ThreadEndingRisk(HANDLE thread, DWORD processId);

// Zorvane only: asks the user before an end whose risk is not ordinary, naming
// the program; true only when the user agreed. Ordinary risks pass unasked.
bool ConsentToEnding(HWND owner, EndingRisk risk, const char *programName);

#endif
