// Which processes are suspended or not responding, for the process list's status cell.
#include "processes/process_status.h"

#include <tlhelp32.h>

#include "resources/resource_ids.h"
#include "shell/winutil.h"

namespace {

enum { ThreadsUnknown = 0, ThreadsAllSuspended = 1, ThreadsRunning = 2 };

// The thread's suspend count, the process's own suspension included
// (NtQueryInformationThread's ThreadSuspendCount).
const ULONG ThreadSuspendCountClass = 35;
const DWORD ThreadQueryLimited = 0x0800;
const UINT WindowWaitMs = 100;
const UINT FillWaitBudgetMs = 1000;

typedef LONG(WINAPI *ThreadQueryFunction)(HANDLE thread, ULONG infoClass, void *info, ULONG size, ULONG *returned);
typedef HANDLE(WINAPI *ThreadOpenFunction)(DWORD access, BOOL inherit, DWORD threadId);
typedef HANDLE(WINAPI *SnapshotFunction)(DWORD flags, DWORD processId);
typedef BOOL(WINAPI *ThreadWalkFunction)(HANDLE snapshot, THREADENTRY32 *entry);

// The slot of the id: its own, or the free one where it would go (0 when full).
ProcessStatusSlot *SlotOf(ProcessStatusTable *table, DWORD processId) {
    unsigned index = (processId / 4u * 2654435761u) % ProcessStatusSlots;
    for (int probe = 0; probe < ProcessStatusSlots; ++probe) {
        ProcessStatusSlot *slot = &table->slots[(index + probe) % ProcessStatusSlots];
        if (slot->processId == processId || slot->processId == 0) return slot;
    }
    return nullptr;
}

ProcessStatusSlot *ClaimSlot(ProcessStatusTable *table, DWORD processId) {
    ProcessStatusSlot *slot = processId ? SlotOf(table, processId) : nullptr;
    if (slot) slot->processId = processId;
    return slot;
}

// True when the thread is suspended; false when it runs or cannot be read.
bool ThreadSuspended(ThreadOpenFunction open, ThreadQueryFunction query, DWORD threadId) {
    HANDLE thread = open(ThreadQueryLimited, FALSE, threadId);
    if (!thread) return false;
    ULONG count = 0, returned = 0;
    bool suspended = query(thread, ThreadSuspendCountClass, &count, sizeof count, &returned) >= 0 && count > 0;
    CloseHandle(thread);
    return suspended;
}

void GatherThreads(ProcessStatusTable *table) {
    ThreadOpenFunction open = EntryPointAs<ThreadOpenFunction>(LinkedEntryPoint("kernel32.dll", "OpenThread"));
    SnapshotFunction snapshotOf =
        EntryPointAs<SnapshotFunction>(LinkedEntryPoint("kernel32.dll", "CreateToolhelp32Snapshot"));
    ThreadWalkFunction first = EntryPointAs<ThreadWalkFunction>(LinkedEntryPoint("kernel32.dll", "Thread32First"));
    ThreadWalkFunction next = EntryPointAs<ThreadWalkFunction>(LinkedEntryPoint("kernel32.dll", "Thread32Next"));
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    ThreadQueryFunction query =
        EntryPointAs<ThreadQueryFunction>(ntdll ? GetProcAddress(ntdll, "NtQueryInformationThread") : nullptr);
    if (!open || !snapshotOf || !first || !next || !query) return;
    HANDLE snapshot = snapshotOf(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return;
    THREADENTRY32 entry;
    entry.dwSize = sizeof entry;
    for (BOOL more = first(snapshot, &entry); more; more = next(snapshot, &entry)) {
        ProcessStatusSlot *slot = ClaimSlot(table, entry.th32OwnerProcessID);
        // One running thread settles it: the others are not read.
        if (slot && slot->threads != ThreadsRunning)
            slot->threads = ThreadSuspended(open, query, entry.th32ThreadID) ? ThreadsAllSuspended : ThreadsRunning;
        entry.dwSize = sizeof entry;
    }
    CloseHandle(snapshot);
}

// The first visible top-level window of each process; an owned window stands
// for its owner's program as well, so any visible one will do.
BOOL CALLBACK NoteWindow(HWND window, LPARAM lParam) {
    if (!IsWindowVisible(window)) return TRUE;
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    ProcessStatusSlot *slot = ClaimSlot(reinterpret_cast<ProcessStatusTable *>(lParam), processId);
    if (slot && !slot->window) slot->window = window;
    return TRUE;
}

}  // namespace

void GatherProcessStatus(ProcessStatusTable *table) {
    ZeroMemory(table->slots, sizeof table->slots);
    table->waitBudgetMs = FillWaitBudgetMs;
    GatherThreads(table);
    EnumWindows(NoteWindow, reinterpret_cast<LPARAM>(table));
}

UINT ProcessStatusOf(ProcessStatusTable *table, DWORD processId) {
    ProcessStatusSlot *slot = processId ? SlotOf(table, processId) : nullptr;
    if (!slot || slot->processId != processId) return 0;
    if (slot->threads == ThreadsAllSuspended) return IDS_STATUS_SUSPENDED;
    // Zorvane's own windows answer by a direct call: nothing to wait for.
    if (!slot->window || processId == GetCurrentProcessId() || table->waitBudgetMs == 0) return 0;
    UINT wait = table->waitBudgetMs < WindowWaitMs ? table->waitBudgetMs : WindowWaitMs;
    DWORD start = GetTickCount();
    bool hung = WindowNotResponding(slot->window, wait);
    DWORD spent = GetTickCount() - start;
    table->waitBudgetMs = spent >= table->waitBudgetMs ? 0 : table->waitBudgetMs - static_cast<UINT>(spent);
    return hung ? IDS_STATUS_NOT_RESPONDING : 0;
}
