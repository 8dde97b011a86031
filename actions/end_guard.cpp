// Which processes and threads Windows cannot lose: the system's own processes,
// found by their full path in the system folder, and the System process.
#include "actions/end_guard.h"

#include <string.h>

namespace {

typedef BOOL(WINAPI *FullImageNameFunction)(HANDLE process, DWORD flags, char *name, DWORD *size);

// The processes whose end stops Windows on every version, by file name in the
// system folder; a program of the same name anywhere else is an ordinary one.
const char *const SystemProcessNames[] = {"smss.exe", "csrss.exe", "wininit.exe", "winlogon.exe",
                                          "services.exe", "lsass.exe"};

// The idle and System processes have no image to read.
bool IsSystemProcessId(DWORD processId) { return processId == 0 || processId == 4; }

// The process's image path ("QueryFullProcessImageNameA", bound by name: older
// systems lack it); false when it cannot be read or does not fit.
bool ImagePath(HANDLE process, char *out, DWORD capacity) {
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    FARPROC entry = kernel ? GetProcAddress(kernel, "QueryFullProcessImageNameA") : nullptr;
    if (!entry || !process) return false;
    FullImageNameFunction query = reinterpret_cast<FullImageNameFunction>(reinterpret_cast<void *>(entry));
    DWORD size = capacity;
    return query(process, 0, out, &size) && size > 0 && size < capacity;
}

bool IsSystemProgram(HANDLE process) {
    char path[3 * MAX_PATH];
    char folder[3 * MAX_PATH];
    if (!ImagePath(process, path, sizeof path)) return false;
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

}  // namespace

EndingRisk ProcessEndingRisk(HANDLE process, DWORD processId) {
    if (IsSystemProcessId(processId) || IsSystemProgram(process)) return EndingStopsWindows;
    return EndingOrdinary;
}

EndingRisk ThreadEndingRisk(HANDLE thread, DWORD processId) {
    (void)thread;
    HANDLE process = OpenProcess(0x1000 /* limited query */, FALSE, processId);
    EndingRisk risk = IsSystemProcessId(processId) ? EndingStopsWindows : ProcessEndingRisk(process, processId);
    if (process) CloseHandle(process);
    return risk;
}
