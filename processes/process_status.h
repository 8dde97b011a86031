// The status cell of the process list: "Suspended" for a process whose threads
// are all suspended (by Zorvane or anyone), "Not responding" for one whose
// top-level window no longer reads its messages, empty otherwise.
#ifndef ZORVANE_PROCESS_STATUS_H
#define ZORVANE_PROCESS_STATUS_H

#include <windows.h>

// What one look at the system's threads and top-level windows found, per
// process id (an open-addressed table: one pass over each list, one look-up
// per process).
enum { ProcessStatusSlots = 16384 };
struct ProcessStatusSlot {
    DWORD processId;    // 0: free slot (the idle process has neither threads to read nor windows)
    unsigned char threads;  // ThreadsUnknown, ThreadsAllSuspended or ThreadsRunning
    HWND window;        // the process's first visible top-level window, or 0
};
struct ProcessStatusTable {
    ProcessStatusSlot slots[ProcessStatusSlots];
    UINT waitBudgetMs;  // what is left of the time the fill may wait on windows
};

// Takes one thread snapshot (reading suspend counts only until a running
// thread of each process is met) and one enumeration of top-level windows.
void GatherProcessStatus(ProcessStatusTable *table);

// 0, IDS_STATUS_SUSPENDED or IDS_STATUS_NOT_RESPONDING for the process. A
// window is given at most 100 ms to answer, and the fill all told a second:
// past that, no more windows are asked.
UINT ProcessStatusOf(ProcessStatusTable *table, DWORD processId);

#endif
