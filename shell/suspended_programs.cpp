// The list of programs that Zorvane suspended, in the settings key, and the
// tray submenu that resumes them.
#include "shell/suspended_programs.h"

#include "actions/identity.h"
#include "resources/resource_ids.h"
#include "selection/target.h"
#include "shell/code_page.h"
#include "shell/kept_entries.h"
#include "shell/winutil.h"

static_assert(IDC_CMD_SUSPENDED_LAST - IDC_CMD_SUSPENDED_FIRST + 1 == SuspendedProgramLimit,
              "one submenu command per listed program");
static_assert(static_cast<int>(SuspendedProgramLimit) == static_cast<int>(KeptEntryLimit), "the list holds what the submenu shows");

namespace {

typedef LONG(WINAPI *ProcessStateFunction)(HANDLE process);

bool StillThere(const KeptEntry &entry) { return SameProcessStillThere(entry.processId, entry.created); }

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
    char exeName[TEXT_BYTES(MAX_PATH)], text[TEXT_BYTES(300)];
    CopyExeName(entry.processId, exeName);
    if (exeName[0]) FormatText(text, sizeof text, "%s (%lu)", exeName, static_cast<unsigned long>(entry.processId));
    else FormatText(text, sizeof text, "%lu", static_cast<unsigned long>(entry.processId));
    MenuItemText(text, label, capacity);
}

// The second submenu of the tray menu.
const KeptList SuspendedPrograms = {SUSPENDED_PROGRAMS_SECTION, StillThere, EntryLabel, 1, IDC_CMD_SUSPENDED_FIRST,
                                    IDC_CMD_SUSPENDED_LAST, IDC_CMD_RESUME_ALL, IDS_RESUME_ALL};

}  // namespace

// ntdll is in every process and is the system's own: it is found, not loaded.
bool SetProcessSuspended(HANDLE process, bool suspend) {
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    FARPROC entry = ntdll ? GetProcAddress(ntdll, suspend ? "NtSuspendProcess" : "NtResumeProcess") : nullptr;
    return process && entry && EntryPointAs<ProcessStateFunction>(entry)(process) >= 0;
}

bool SuspendAndRemember(HANDLE process, DWORD processId) {
    KeptEntry entries[KeptEntryLimit];
    int count = LoadKeptList(SuspendedPrograms, entries);
    if (FindKeptEntry(entries, count, processId) >= 0) return true;
    if (count >= SuspendedProgramLimit) {
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

void FillSuspendedProgramsMenu(HMENU trayMenu) { FillKeptListMenu(trayMenu, SuspendedPrograms); }

bool OnSuspendedProgramCommand(HMENU trayMenu, int commandId) {
    KeptEntry entry;
    if (!KeptEntryOfCommand(trayMenu, SuspendedPrograms, commandId, &entry)) return false;
    if (entry.key) ResumeEntry(entry);
    return true;
}

void ResumeAllSuspendedPrograms() {
    KeptEntry entries[KeptEntryLimit];
    int count = LoadKeptList(SuspendedPrograms, entries);
    for (int i = 0; i < count; ++i) ResumeEntry(entries[i]);
}
