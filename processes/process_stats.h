// Process snapshot and statistics: fills the process list view.
#ifndef ZORVANE_PROCESS_STATS_H
#define ZORVANE_PROCESS_STATS_H

#include <windows.h>

#include "actions/identity.h"

// Return codes of FillProcessList.
enum {
    FillNoKernelLibrary = -20,
    FillNoSnapshotEntry = -21,
    FillNoSnapshot = -22
};

// Size of every cell text buffer.
enum { ProcessCellCapacity = 32 };

// What each row's id named when the list was filled: the process's creation
// time (0 when it could not be read) and the time of the fill, so that a row
// whose id has since been given to another process is told apart.
enum { ProcessIdentityCapacity = 4096 };
struct ProcessRowIdentity {
    DWORD processId;
    CreationTime creationTime;
};
struct ProcessIdentityTable {
    CreationTime filledAt;
    int count;
    ProcessRowIdentity rows[ProcessIdentityCapacity];
};

// Empties the list and adds a row per process; the row count, or -20, -21, -22.
// The table (may be null) gets each listed process's identity.
int FillProcessList(HWND listView, ProcessIdentityTable *identities = nullptr);

// The identity kept for the process id, or null (rows beyond the capacity).
const ProcessRowIdentity *FindRowIdentity(const ProcessIdentityTable &identities, DWORD processId);

// Fills the statistics it can read; leaves the others as the caller set them.
// creation (may be null) gets the process's creation time, 0 when unread.
void QueryProcessStats(DWORD processId, DWORD *cpuMilliseconds, DWORD *workingSetBytes,
                       CreationTime *creation = nullptr);

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
