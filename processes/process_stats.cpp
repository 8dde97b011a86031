// Process snapshot and statistics: one list-view row per running process.
#include "processes/process_stats.h"

#include <commctrl.h>
#include <psapi.h>
#include <stdlib.h>
#include <string.h>
#include <tlhelp32.h>

#include "processes/process_status.h"
#include "resources/resource_ids.h"
#include "shell/code_page.h"
#include "shell/winutil.h"

#ifndef _WIN64
static_assert(sizeof(PROCESSENTRY32) == 296, "narrow PROCESSENTRY32 is 296 bytes");
static_assert(sizeof(PROCESS_MEMORY_COUNTERS) == 40, "PROCESS_MEMORY_COUNTERS is 40 bytes");
#endif

namespace {

typedef HANDLE(WINAPI *CreateSnapshotFunction)(DWORD flags, DWORD processId);
typedef BOOL(WINAPI *ProcessWalkFunction)(HANDLE snapshot, PROCESSENTRY32W *entry);
typedef BOOL(WINAPI *ProcessTimesFunction)(HANDLE process, FILETIME *creation, FILETIME *exit,
                                           FILETIME *kernel, FILETIME *user);
typedef BOOL(WINAPI *MemoryInfoFunction)(HANDLE process, PROCESS_MEMORY_COUNTERS *counters,
                                         DWORD size);

// Entry point looked up by name, or null when the module or the name is missing.
template <typename Function> Function LookUp(HMODULE module, const char *name) {
    return module ? EntryPointAs<Function>(GetProcAddress(module, name)) : nullptr;
}

unsigned long long HundredNanoseconds(const FILETIME &time) {
    return (static_cast<unsigned long long>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

// Kernel plus user time in milliseconds, each truncated apart, saturating at 32 bits.
DWORD CpuMilliseconds(const FILETIME &kernel, const FILETIME &user) {
    unsigned long long sum = HundredNanoseconds(kernel) / 10000 + HundredNanoseconds(user) / 10000;
    return sum > 0xFFFFFFFFull ? 0xFFFFFFFFu : static_cast<DWORD>(sum);
}

// A 64-bit working set beyond 32 bits shows as the largest value, not wrapped.
DWORD WorkingSetOf(const PROCESS_MEMORY_COUNTERS &counters) {
    unsigned long long bytes = counters.WorkingSetSize;
    return bytes > 0xFFFFFFFFull ? 0xFFFFFFFFu : static_cast<DWORD>(bytes);
}

void SetCell(HWND listView, int index, int subItem, char *text) {
    LVITEMA item;
    ZeroMemory(&item, sizeof item);
    item.mask = LVIF_TEXT;
    item.iItem = index;
    item.iSubItem = subItem;
    item.pszText = text;
    SendMessageA(listView, LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item));
}

}  // namespace

void FormatCpuTime(DWORD milliseconds, char *out) {
    unsigned hours = milliseconds / 3600000u;
    unsigned minutes = (milliseconds / 60000u) % 60u;
    unsigned seconds = (milliseconds / 1000u) % 60u;
    unsigned rest = milliseconds % 1000u;
    FormatText(out, ProcessCellCapacity, "%.2d:%.2d:%.2d.%.3d", static_cast<int>(hours),
               static_cast<int>(minutes), static_cast<int>(seconds), static_cast<int>(rest));
}

void FormatWorkingSet(DWORD bytes, char *out) {
    int kilobytes = static_cast<int>(bytes / 1024u);  // at most 4 194 303
    if (kilobytes >= 1000000)
        FormatText(out, ProcessCellCapacity, "%d %.3d %.3d K", kilobytes / 1000000, (kilobytes / 1000) % 1000,
                   kilobytes % 1000);
    else if (kilobytes >= 1000)
        FormatText(out, ProcessCellCapacity, "%d %.3d K", kilobytes / 1000, kilobytes % 1000);
    else
        FormatText(out, ProcessCellCapacity, "%d K", kilobytes);
}

void FormatProcessId(DWORD processId, char *out) {
    FormatText(out, ProcessCellCapacity, "%d", static_cast<int>(processId));
}

DWORD ParseProcessId(const char *text) { return static_cast<DWORD>(atoi(text)); }

const char *ExecutableDisplayName(const char *path) {
    const char *slash = strrchr(path, '\\');
    return slash ? slash + 1 : path;
}

void QueryProcessStats(DWORD processId, DWORD *cpuMilliseconds, DWORD *workingSetBytes, CreationTime *creationTime) {
    HMODULE kernel = LoadSystemLibrary("Kernel32.DLL");
    HMODULE psapi = LoadSystemLibrary("psapi.dll");
    ProcessTimesFunction processTimes = LookUp<ProcessTimesFunction>(kernel, "GetProcessTimes");
    MemoryInfoFunction memoryInfo = LookUp<MemoryInfoFunction>(psapi, "GetProcessMemoryInfo");

    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId);
    if (process) {
        FILETIME creation, exit, kernelTime, userTime;
        if (processTimes && processTimes(process, &creation, &exit, &kernelTime, &userTime)) {
            *cpuMilliseconds = CpuMilliseconds(kernelTime, userTime);
            if (creationTime) *creationTime = HundredNanoseconds(creation);
        }
        if (memoryInfo) {
            PROCESS_MEMORY_COUNTERS counters;
            ZeroMemory(&counters, sizeof counters);
            counters.cb = sizeof counters;
            if (memoryInfo(process, &counters, sizeof counters))
                *workingSetBytes = WorkingSetOf(counters);
        }
        CloseHandle(process);
    }
    if (psapi) FreeLibrary(psapi);
    if (kernel) FreeLibrary(kernel);
}

int AddProcessRow(HWND listView, DWORD processId, const char *name, DWORD cpuMilliseconds,
                  DWORD workingSetBytes) {
    char text[ProcessCellCapacity];
    LVITEMA item;
    ZeroMemory(&item, sizeof item);
    item.mask = LVIF_TEXT;
    item.pszText = const_cast<char *>(name);
    // The ascending-sort style places the row by its name.
    int index = static_cast<int>(SendMessageA(listView, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
    if (index < 0) return -1;
    FormatProcessId(processId, text);
    SetCell(listView, index, 1, text);
    FormatCpuTime(cpuMilliseconds, text);
    SetCell(listView, index, 2, text);
    FormatWorkingSet(workingSetBytes, text);
    SetCell(listView, index, 3, text);
    return index;
}

const ProcessRowIdentity *FindRowIdentity(const ProcessIdentityTable &identities, DWORD processId) {
    for (int i = 0; i < identities.count; ++i)
        if (identities.rows[i].processId == processId) return &identities.rows[i];
    return nullptr;
}

namespace {

const DWORD ProcessQueryLimited = 0x1000;

// What a fill needs once: the status texts.
struct FillContext {
    char suspended[100];
    char notResponding[100];
};

void PrepareFill(FillContext *context) {
    LoadLocalString(IDS_STATUS_SUSPENDED, context->suspended, sizeof context->suspended);
    LoadLocalString(IDS_STATUS_NOT_RESPONDING, context->notResponding, sizeof context->notResponding);
}

// The full image path and, when the statistics could not read it, the
// creation time, both through the limited query right, which the processes of
// other users and elevated ones still give.
void QueryImageAndCreation(ProcessRowIdentity *row) {
    row->path[0] = 0;
    HANDLE process = OpenProcess(ProcessQueryLimited, FALSE, row->processId);
    if (!process) return;
    ProcessImagePath(process, row->path, sizeof row->path);
    if (!row->creationTime) row->creationTime = ProcessCreationTime(process);
    CloseHandle(process);
}

void AddRecordRow(HWND listView, const FillContext &context, const ProcessRowIdentity &row) {
    int index = AddProcessRow(listView, row.processId, row.name, row.cpuMilliseconds, row.workingSetBytes);
    if (index < 0) return;
    const char *status = row.status == IDS_STATUS_SUSPENDED       ? context.suspended
                         : row.status == IDS_STATUS_NOT_RESPONDING ? context.notResponding
                                                                   : "";
    SetCell(listView, index, ProcessStatusColumn, const_cast<char *>(status));
    SetCell(listView, index, ProcessPathColumn, const_cast<char *>(row.path));
    if (!row.selected) return;
    LVITEMA state;
    ZeroMemory(&state, sizeof state);
    state.stateMask = LVIS_SELECTED;
    state.state = LVIS_SELECTED;
    SendMessageA(listView, LVM_SETITEMSTATE, index, reinterpret_cast<LPARAM>(&state));
}

// The text in UTF-16 folded for comparison without regard to case in every
// script (the narrow lower-casing knows single bytes only), cut to fit.
void FoldCase(const char *text, WCHAR *out, int capacity) {
    ToWideText(text, out, capacity);
    CharLowerBuffW(out, lstrlenW(out));
}

// The status look-up of a fill: large, so kept out of the stack.
ProcessStatusTable statusTable;

}  // namespace

// "QueryFullProcessImageNameA" is bound by name: older systems lack it.
bool ProcessImagePath(HANDLE process, char *out, DWORD capacity) {
    typedef BOOL(WINAPI * ImageNameFunction)(HANDLE process, DWORD flags, char *name, DWORD *size);
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    ImageNameFunction imageName =
        EntryPointAs<ImageNameFunction>(kernel ? GetProcAddress(kernel, "QueryFullProcessImageNameA") : nullptr);
    DWORD size = capacity;
    out[0] = 0;
    if (process && imageName && imageName(process, 0, out, &size) && size < capacity) return true;
    out[0] = 0;
    return false;
}

bool NameMatchesFilter(const char *name, const char *filter) {
    if (!filter[0]) return true;
    WCHAR foldedName[TEXT_BYTES(MAX_PATH)], foldedFilter[ProcessFilterCapacity];
    FoldCase(name, foldedName, TEXT_BYTES(MAX_PATH));
    FoldCase(filter, foldedFilter, ProcessFilterCapacity);
    return wcsstr(foldedName, foldedFilter) != nullptr;
}

int ShowProcessRows(HWND listView, const ProcessIdentityTable &table) {
    FillContext context;
    PrepareFill(&context);
    SendMessageA(listView, LVM_DELETEALLITEMS, 0, 0);
    int shown = 0;
    for (int i = 0; i < table.count; ++i) {
        if (!NameMatchesFilter(table.rows[i].name, table.filter)) continue;
        AddRecordRow(listView, context, table.rows[i]);
        ++shown;
    }
    return shown;
}

int FillProcessList(HWND listView, ProcessIdentityTable *identities) {
    SendMessageA(listView, LVM_DELETEALLITEMS, 0, 0);
    if (identities) {
        FILETIME now;
        GetSystemTimeAsFileTime(&now);
        identities->filledAt = HundredNanoseconds(now);
        identities->count = 0;
    }
    HMODULE kernel = LoadSystemLibrary("Kernel32.DLL");
    if (!kernel) return FillNoKernelLibrary;
    CreateSnapshotFunction createSnapshot = LookUp<CreateSnapshotFunction>(kernel, "CreateToolhelp32Snapshot");
    // The wide walk: the narrow entry holds 260 bytes, too few for a name in UTF-8.
    ProcessWalkFunction first = LookUp<ProcessWalkFunction>(kernel, "Process32FirstW");
    ProcessWalkFunction next = LookUp<ProcessWalkFunction>(kernel, "Process32NextW");
    if (!createSnapshot || !first || !next) {
        FreeLibrary(kernel);
        return FillNoSnapshotEntry;
    }
    HANDLE snapshot = createSnapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) {
        FreeLibrary(kernel);
        return FillNoSnapshot;
    }
    FillContext context;
    PrepareFill(&context);
    GatherProcessStatus(&statusTable);
    int count = 0;
    PROCESSENTRY32W entry;
    entry.dwSize = sizeof entry;
    ProcessRowIdentity single;
    char name[TEXT_BYTES(MAX_PATH)];
    for (BOOL more = first(snapshot, &entry); more; more = next(snapshot, &entry)) {
        FromWideText(entry.szExeFile, name, sizeof name, false);
        // Rows beyond the table's capacity are still listed, from a record of their own.
        bool kept = identities && identities->count < ProcessIdentityCapacity;
        ProcessRowIdentity *row = kept ? &identities->rows[identities->count++] : &single;
        ZeroMemory(row, sizeof *row);
        row->processId = entry.th32ProcessID;
        row->parentId = entry.th32ParentProcessID;
        CopyWholeCharacters(row->name, ExecutableDisplayName(name), sizeof row->name);
        QueryProcessStats(row->processId, &row->cpuMilliseconds, &row->workingSetBytes, &row->creationTime);
        QueryImageAndCreation(row);
        row->status = ProcessStatusOf(&statusTable, row->processId);
        if (!identities || NameMatchesFilter(row->name, identities->filter)) {
            AddRecordRow(listView, context, *row);
            ++count;
        }
        entry.dwSize = sizeof entry;
    }
    CloseHandle(snapshot);
    FreeLibrary(kernel);
    return count;
}
