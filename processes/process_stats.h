// Process snapshot and statistics: fills the process list view.
#ifndef ZORVANE_PROCESS_STATS_H
#define ZORVANE_PROCESS_STATS_H

#include <windows.h>

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

#endif
