// Which processes and threads Windows or the user's desktop cannot lose: the
// system's own critical flag where it answers, the system's own processes by
// their full path in the system folder and the System process where it does
// not, and the process that owns the shell window.
#include "actions/end_guard.h"

#include <string.h>

namespace {

typedef BOOL(WINAPI *FullImageNameFunction)(HANDLE process, DWORD flags, char *name, DWORD *size);
typedef BOOL(WINAPI *ProcessCriticalFunction)(HANDLE process, BOOL *critical);
typedef LONG(WINAPI *QueryInformationFunction)(HANDLE object, int infoClass, void *info, ULONG size,
                                               ULONG *returned);

// The information classes of the break-on-termination flag, which marks a
// process or thread whose end stops the system.
const int ProcessBreakOnTermination = 29;
const int ThreadBreakOnTermination = 18;

// The processes whose end stops Windows on every version, by file name in the
// system folder; a program of the same name anywhere else is an ordinary one.
const char *const SystemProcessNames[] = {"smss.exe", "csrss.exe", "wininit.exe", "winlogon.exe",
                                          "services.exe", "lsass.exe"};

// The idle and System processes have no image to read.
bool IsSystemProcessId(DWORD processId) { return processId == 0 || processId == 4; }

// An entry point of a module every process has loaded (kernel32, ntdll): no
// library is loaded for it.
FARPROC LoadedEntryPoint(const char *module, const char *name) {
    HMODULE handle = GetModuleHandleA(module);
    return handle ? GetProcAddress(handle, name) : nullptr;
}

bool IsSystemProgram(HANDLE process) {
    char path[3 * MAX_PATH];
    char folder[3 * MAX_PATH];
    if (!HeldProcessImagePath(process, path, sizeof path)) return false;
    UINT length = GetSystemDirectoryA(folder, sizeof folder);
    if (length == 0 || length >= sizeof folder - 1) return false;
    if (folder[length - 1] != '\\') lstrcatA(folder, "\\");
    size_t folderLength = strlen(folder);
    if (CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, path, (int)folderLength, folder, (int)folderLength) !=
        CSTR_EQUAL)
        return false;
    const char *name = path + folderLength;
    for (const char *known : SystemProcessNames)
        if (lstrcmpiA(name, known) == 0) return true;
    return false;
}

// The break-on-termination flag of a process or thread; false when the system
// does not answer.
bool BreakOnTermination(HANDLE object, bool isThread) {
    if (!object) return false;
    FARPROC entry = LoadedEntryPoint("ntdll.dll", isThread ? "NtQueryInformationThread" : "NtQueryInformationProcess");
    if (!entry) return false;
    QueryInformationFunction query =
        reinterpret_cast<QueryInformationFunction>(reinterpret_cast<void *>(entry));
    ULONG flag = 0;
    int infoClass = isThread ? ThreadBreakOnTermination : ProcessBreakOnTermination;
    return query(object, infoClass, &flag, sizeof flag, nullptr) >= 0 && flag != 0;
}

// The system's own verdict: "IsProcessCritical" (Windows 8.1 and later), else
// the flag it reads.
bool MarkedCritical(HANDLE process) {
    if (!process) return false;
    FARPROC entry = LoadedEntryPoint("kernel32.dll", "IsProcessCritical");
    BOOL critical = FALSE;
    if (entry && reinterpret_cast<ProcessCriticalFunction>(reinterpret_cast<void *>(entry))(process, &critical))
        return critical != FALSE;
    return BreakOnTermination(process, false);
}

// The process of the shell's desktop window, which also keeps the taskbar.
bool OwnsShellWindow(DWORD processId) {
    HWND shell = GetShellWindow();
    DWORD owner = 0;
    if (shell) GetWindowThreadProcessId(shell, &owner);
    return owner != 0 && owner == processId;
}

}  // namespace

// "QueryFullProcessImageNameA" is bound by name: older systems lack it.
bool HeldProcessImagePath(HANDLE process, char *out, DWORD capacity) {
    FARPROC entry = LoadedEntryPoint("kernel32.dll", "QueryFullProcessImageNameA");
    if (!entry || !process || capacity == 0) return false;
    FullImageNameFunction query = reinterpret_cast<FullImageNameFunction>(reinterpret_cast<void *>(entry));
    DWORD size = capacity;
    return query(process, 0, out, &size) && size > 0 && size < capacity;
}

DWORD ProcessIdOfThread(HANDLE thread) {
    typedef DWORD(WINAPI * ProcessOfThreadFunction)(HANDLE thread);
    FARPROC entry = LoadedEntryPoint("kernel32.dll", "GetProcessIdOfThread");
    if (!entry || !thread) return 0;
    return reinterpret_cast<ProcessOfThreadFunction>(reinterpret_cast<void *>(entry))(thread);
}

EndingRisk ProcessEndingRisk(HANDLE process, DWORD processId) {
    // A system that says "not critical" is not trusted over the list of its own
    // processes: some systems answer without keeping the flag.
    if (IsSystemProcessId(processId) || MarkedCritical(process) || IsSystemProgram(process))
        return EndingStopsWindows;
    if (OwnsShellWindow(processId)) return EndingShell;
    return EndingOrdinary;
}

EndingRisk ThreadEndingRisk(HANDLE thread, DWORD processId) {
    if (BreakOnTermination(thread, true)) return EndingStopsWindows;
    if (!processId) processId = ProcessIdOfThread(thread);
    // A thread whose process cannot be told has only its own flag to go by.
    if (!processId) return EndingOrdinary;
    if (IsSystemProcessId(processId)) return EndingStopsWindows;
    HANDLE process = OpenProcess(0x1000 /* limited query */, FALSE, processId);
    if (!process) process = OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, processId);
    EndingRisk risk = ProcessEndingRisk(process, processId);
    if (process) CloseHandle(process);
    return risk;
}
