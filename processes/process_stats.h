// Process snapshot and statistics: fills the process list view.
#ifndef ZORVANE_PROCESS_STATS_H
#define ZORVANE_PROCESS_STATS_H

#include <windows.h>

#include "actions/identity.h"
#include "shell/code_page.h"

// Return codes of FillProcessList.
enum {
    FillNoKernelLibrary = -20,
    FillNoSnapshotEntry = -21,
    FillNoSnapshot = -22
};

// Size of every cell text buffer.
enum { ProcessCellCapacity = 32 };

// What each listed process was when the list was filled: its identity (the
// creation time, 0 when it could not be read, and the time of the fill, so
// that a row whose id has since been given to another process is told apart),
// its parent's id, and its cells, so that the filter can show the rows again
// without asking the system anew.
enum { ProcessIdentityCapacity = 4096, ProcessPathCapacity = 3 * MAX_PATH, ProcessFilterCapacity = 3 * MAX_PATH };
struct ProcessRowIdentity {
    DWORD processId;
    CreationTime creationTime;
    DWORD parentId;
    DWORD cpuMilliseconds;
    DWORD workingSetBytes;
    UINT status;  // 0, or the string of the status cell
    bool selected;  // the row is selected again when the filter shows it anew
    char name[TEXT_BYTES(MAX_PATH)];
    char path[ProcessPathCapacity];  // empty when the process cannot be opened for the limited query
};
struct ProcessIdentityTable {
    CreationTime filledAt;
    int count;
    char filter[ProcessFilterCapacity];  // rows are shown whose name holds it, case folded
    ProcessRowIdentity rows[ProcessIdentityCapacity];
};

// The columns after the four counted ones: status and full image path.
enum { ProcessStatusColumn = 4, ProcessPathColumn = 5 };

// Empties the list and adds a row per process; the row count, or -20, -21, -22.
// The table (may be null) gets each listed process, and then only the rows
// that pass its filter are shown (the count is of the rows shown).
int FillProcessList(HWND listView, ProcessIdentityTable *identities = nullptr);

// The identity kept for the process id, or null (rows beyond the capacity).
const ProcessRowIdentity *FindRowIdentity(const ProcessIdentityTable &identities, DWORD processId);

// Fills the statistics it can read; leaves the others as the caller set them.
// creation (may be null) gets the process's creation time, 0 when unread.
void QueryProcessStats(DWORD processId, DWORD *cpuMilliseconds, DWORD *workingSetBytes,
                       CreationTime *creation = nullptr);

// Inserts the row with its four counted cells; returns its index, or -1.
int AddProcessRow(HWND listView, DWORD processId, const char *name, DWORD cpuMilliseconds,
                  DWORD workingSetBytes);

// Empties the list and shows the table's rows that pass its filter; the count shown.
int ShowProcessRows(HWND listView, const ProcessIdentityTable &table);

// True when the name holds the filter, case folded (an empty filter passes all).
bool NameMatchesFilter(const char *name, const char *filter);

// Cell texts, in 32-character buffers.
void FormatCpuTime(DWORD milliseconds, char *out);
void FormatWorkingSet(DWORD bytes, char *out);
void FormatProcessId(DWORD processId, char *out);

// The process id a PID cell holds (its signed decimal text read back).
DWORD ParseProcessId(const char *text);

// The full image path of the held process (opened with at least the limited
// query right); false when it cannot be read or does not fit.
bool ProcessImagePath(HANDLE process, char *out, DWORD capacity);

// The part of an executable path after its last backslash.
const char *ExecutableDisplayName(const char *path);

#endif
