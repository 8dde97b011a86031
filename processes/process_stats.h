// Process snapshot and statistics: fills the process list view.
#ifndef ZORVANE_PROCESS_STATS_H
#define ZORVANE_PROCESS_STATS_H

#include <windows.h>

// Return codes of FillProcessList.
enum {
    FillNoKernelLibrary = -20,
    FillNoSnapshotEntry = -21,
    FillNoSnapshot = -22
};

// Size of every cell text buffer.
enum { ProcessCellCapacity = 32 };

// Empties the list and adds a row per process; the row count, or -20, -21, -22.
int FillProcessList(HWND listView);

// Fills the statistics it can read; leaves the others as the caller set them.
void QueryProcessStats(DWORD processId, DWORD *cpuMilliseconds, DWORD *workingSetBytes);

void AddProcessRow(HWND listView, DWORD processId, const char *name, DWORD cpuMilliseconds,
                   DWORD workingSetBytes);

// Cell texts, in 32-character buffers.
void FormatCpuTime(DWORD milliseconds, char *out);
void FormatWorkingSet(DWORD bytes, char *out);
void FormatProcessId(DWORD processId, char *out);

// The process id a PID cell holds (its signed decimal text read back).
DWORD ParseProcessId(const char *text);

// The part of an executable path after its last backslash.
const char *ExecutableDisplayName(const char *path);

#endif
