// Libraries from the system folder only, for Zorvane, Liftrun and Stampwell.
// A library found by name elsewhere (the program's folder, a Downloads folder
// a web page wrote into, the current folder, PATH) would run its code inside
// the program, with the program's rights and signature.
#include "shell/system_library.h"

#include <string.h>

namespace {

typedef BOOL(WINAPI *SetDefaultDirectoriesFunction)(DWORD flags);

// Present from Windows 8, and on Windows 7 with its update for the search
// flags; where it is missing, LoadLibraryEx knows no LOAD_LIBRARY_SEARCH_* flag.
SetDefaultDirectoriesFunction SetDefaultDirectoriesEntry() {
    HMODULE kernel = GetModuleHandleA("kernel32.dll");  // in every process: nothing is loaded
    SetDefaultDirectoriesFunction entry;
    BindEntryPoint(kernel, "SetDefaultDllDirectories", &entry);
    return entry;
}

}  // namespace

void RestrictLibrarySearch() {
    SetDefaultDirectoriesFunction setDefault = SetDefaultDirectoriesEntry();
    if (setDefault && setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32)) return;
    // Older systems: at least the current folder leaves the search.
    SetDllDirectoryA("");
}

HMODULE LoadSystemLibrary(const char *name) {
    if (!name || !name[0] || strchr(name, '\\') || strchr(name, '/')) return nullptr;
    if (SetDefaultDirectoriesEntry()) return LoadLibraryExA(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    // Without the search flags: by the full path in the system folder, whose
    // own imports are then searched from there.
    char path[MAX_PATH];
    UINT length = GetSystemDirectoryA(path, MAX_PATH);
    if (length == 0 || length + 1 + strlen(name) >= MAX_PATH) return nullptr;
    if (path[length - 1] != '\\') path[length++] = '\\';
    strcpy(path + length, name);
    return LoadLibraryExA(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

FARPROC LinkedEntryPoint(const char *library, const char *name) {
    HMODULE module = LoadSystemLibrary(library);
    if (!module) return nullptr;
    FARPROC entry = GetProcAddress(module, name);
    FreeLibrary(module);
    return entry;
}
