// The list of programs that Zorvane suspended, in the settings key, and the
// tray submenu that resumes them.
#include "shell/suspended_programs.h"

#include "actions/identity.h"
#include "resources/resource_ids.h"
#include "selection/target.h"
#include "shell/kept_entries.h"
#include "shell/winutil.h"

static_assert(IDC_CMD_SUSPENDED_LAST - IDC_CMD_SUSPENDED_FIRST + 1 == SuspendedProgramLimit,
              "one submenu command per listed program");

namespace {

typedef LONG(WINAPI *ProcessStateFunction)(HANDLE process);

struct SuspendedList {
    KeptEntry entries[SuspendedProgramLimit];
    int count;
};

bool StillThere(const KeptEntry &entry) { return SameProcessStillThere(entry.processId, entry.created); }

void LoadSuspended(SuspendedList *list) {
    list->count = LoadKeptEntries(SUSPENDED_PROGRAMS_SECTION, StillThere, list->entries, SuspendedProgramLimit);
}

HMENU SuspendedProgramsMenu(HMENU trayMenu) { return TraySubmenu(trayMenu, 1); }

// Resumes the listed program when the id still names it, and drops it from the
// list once resumed; a program that cannot be opened stays listed.
void ResumeEntry(const KeptEntry &entry) {
    HANDLE process = OpenProcessPinned(entry.processId, ProcessSuspendResume);
    if (!process) return;
    if (!IsReplaced(entry.created, ProcessCreationTime(process))) ResumeAndForget(process, entry.processId);
    CloseHandle(process);
}

// "<exe> (<id>)"; the id alone when the name cannot be read.
void EntryLabel(const KeptEntry &entry, char *label, int capacity) {
    char exeName[260], text[300];
    CopyExeName(entry.processId, exeName);
    if (exeName[0]) FormatText(text, sizeof text, "%s (%lu)", exeName, static_cast<unsigned long>(entry.processId));
    else FormatText(text, sizeof text, "%lu", static_cast<unsigned long>(entry.processId));
    MenuItemText(text, label, capacity);
}

}  // namespace

// ntdll is in every process and is the system's own: it is found, not loaded.
bool SetProcessSuspended(HANDLE process, bool suspend) {
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    FARPROC entry = ntdll ? GetProcAddress(ntdll, suspend ? "NtSuspendProcess" : "NtResumeProcess") : nullptr;
    return process && entry && EntryPointAs<ProcessStateFunction>(entry)(process) >= 0;
}

bool IsRememberedSuspended(DWORD processId) {
    SuspendedList list;
    LoadSuspended(&list);
    return FindKeptEntry(list.entries, list.count, processId) >= 0;
}

bool SuspendAndRemember(HANDLE process, DWORD processId) {
    SuspendedList list;
    LoadSuspended(&list);
    if (FindKeptEntry(list.entries, list.count, processId) >= 0) return true;
    if (list.count >= SuspendedProgramLimit) {
        MessageBeep(MB_ICONWARNING);
        return false;
    }
    KeptEntry entry = {processId, processId, ProcessCreationTime(process)};
    if (!SetProcessSuspended(process, true)) return false;
    if (WriteKeptEntry(SUSPENDED_PROGRAMS_SECTION, entry)) return true;
    SetProcessSuspended(process, false);
    MessageBeep(MB_ICONWARNING);
    return false;
}

bool ResumeAndForget(HANDLE process, DWORD processId) {
    if (!SetProcessSuspended(process, false)) return false;
    DeleteKeptEntry(SUSPENDED_PROGRAMS_SECTION, processId);
    return true;
}

void FillSuspendedProgramsMenu(HMENU trayMenu) {
    SuspendedList list;
    LoadSuspended(&list);
    static char labels[SuspendedProgramLimit][300];
    const char *texts[SuspendedProgramLimit];
    for (int i = 0; i < list.count; ++i) {
        EntryLabel(list.entries[i], labels[i], sizeof labels[i]);
        texts[i] = labels[i];
    }
    FillKeptEntriesMenu(SuspendedProgramsMenu(trayMenu), texts, list.entries, list.count, IDC_CMD_SUSPENDED_FIRST,
                        IDC_CMD_RESUME_ALL, IDS_RESUME_ALL);
}

bool OnSuspendedProgramCommand(HMENU trayMenu, int commandId) {
    if (commandId < IDC_CMD_SUSPENDED_FIRST || commandId > IDC_CMD_SUSPENDED_LAST) return false;
    DWORD key = 0;
    if (!KeptEntryOfCommand(SuspendedProgramsMenu(trayMenu), commandId, &key)) return true;
    // Read again: the program is resumed only if it is still the one listed.
    SuspendedList list;
    LoadSuspended(&list);
    int index = FindKeptEntry(list.entries, list.count, key);
    if (index >= 0) ResumeEntry(list.entries[index]);
    return true;
}

void ResumeAllSuspendedPrograms() {
    SuspendedList list;
    LoadSuspended(&list);
    for (int i = 0; i < list.count; ++i) ResumeEntry(list.entries[i]);
}
