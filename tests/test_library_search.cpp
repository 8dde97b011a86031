// Libraries planted beside the programs: stand-ins named as the libraries the
// programs may load, preferred by Wine over its own, stay unloaded while
// Zorvane starts, shows About, checks for an update and lists its processes,
// Stampwell stamps it and Liftrun retries an action.
#include <stdio.h>
#include <string.h>
#include <windows.h>
#include <tlhelp32.h>

#include "check.h"
#include "dialogs.h"
#include "harness.h"

namespace {

// Libraries the programs load by name, and what those bring along. Windows'
// known libraries (kernel32, user32, gdi32, advapi32, shell32, msvcrt, shcore...)
// are never taken from a program's folder; Wine has no such list and takes
// them, and what its own libraries import, from there: they are not planted.
const char *const PlantedNames[] = {"wininet", "comctl32", "psapi", "uxtheme", "crypt32", "secur32"};
const char *const Programs[] = {"Zorvane.exe", "Liftrun.exe", "Stampwell.exe"};

void Append(char *out, int capacity, const char *word) {
    size_t used = strlen(out);
    snprintf(out + used, capacity - used, "%s%s", used ? " " : "", word);
}

// A folder holding copies of the three programs beside the stand-ins.
struct PlantedFolder {
    char folder[MAX_PATH];
    char previousOverrides[1024];
    char found[1024];  // stand-ins seen loaded, as "version wininet ..."

    bool make() {
        found[0] = 0;
        char name[64];
        snprintf(name, sizeof name, "planted_%lu", GetCurrentProcessId());
        BinPath(name, folder, sizeof folder);
        CreateDirectoryA(folder, nullptr);
        char from[MAX_PATH], to[MAX_PATH], overrides[1024] = "";
        for (const char *program : Programs) {
            BinPath(program, from, sizeof from);
            snprintf(to, sizeof to, "%s\\%s", folder, program);
            if (!CopyFileA(from, to, FALSE)) return false;
        }
        BinPath("stand_in_library.dll", from, sizeof from);
        for (const char *library : PlantedNames) {
            snprintf(to, sizeof to, "%s\\%s.dll", folder, library);
            if (!CopyFileA(from, to, FALSE)) return false;
            size_t used = strlen(overrides);
            snprintf(overrides + used, sizeof overrides - used, "%s%s", used ? "," : "", library);
        }
        // Wine's loader reads the overrides of each new process from its environment.
        strcat(overrides, "=n,b;mscoree,mshtml=");
        if (!GetEnvironmentVariableA("WINEDLLOVERRIDES", previousOverrides, sizeof previousOverrides))
            previousOverrides[0] = 0;
        return SetEnvironmentVariableA("WINEDLLOVERRIDES", overrides) != FALSE;
    }

    ~PlantedFolder() {
        SetEnvironmentVariableA("WINEDLLOVERRIDES", previousOverrides[0] ? previousOverrides : nullptr);
        char path[MAX_PATH];
        for (const char *program : Programs) {
            snprintf(path, sizeof path, "%s\\%s", folder, program);
            DeleteFileA(path);
        }
        for (const char *library : PlantedNames) {
            snprintf(path, sizeof path, "%s\\%s.dll", folder, library);
            DeleteFileA(path);
            strcat(path, ".loaded");
            DeleteFileA(path);
        }
        RemoveDirectoryA(folder);
    }

    void path(const char *file, char *out, int capacity) { snprintf(out, capacity, "%s\\%s", folder, file); }

    // Notes the modules of the running process that come from the folder.
    void look(DWORD processId) {
        HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, processId);
        if (snapshot == INVALID_HANDLE_VALUE) return;
        MODULEENTRY32 module;
        module.dwSize = sizeof module;
        size_t length = strlen(folder);
        for (BOOL more = Module32First(snapshot, &module); more; more = Module32Next(snapshot, &module)) {
            const char *modulePath = module.szExePath;
            size_t pathLength = strlen(modulePath);
            if (pathLength > length + 4 && _strnicmp(modulePath, folder, length) == 0 &&
                modulePath[length] == '\\' && _stricmp(modulePath + pathLength - 4, ".dll") == 0)
                Append(found, sizeof found, module.szModule);
        }
        CloseHandle(snapshot);
    }

    // The stand-ins seen loaded or that left their mark; empty when none.
    void loaded(char *out, int capacity) {
        lstrcpynA(out, found, capacity);
        for (const char *library : PlantedNames) {
            char mark[MAX_PATH];
            snprintf(mark, sizeof mark, "%s\\%s.dll.loaded", folder, library);
            if (GetFileAttributesA(mark) != INVALID_FILE_ATTRIBUTES) Append(out, capacity, library);
        }
    }
};

// Runs a menu command of Zorvane, looks at its modules and closes the dialog
// or message box it shows.
bool RunAndClose(PlantedFolder &planted, Program &zorvane, HWND window, int command) {
    PostMessageA(window, WM_COMMAND, command, 0);
    HWND shown = WaitForProcessDialog(zorvane.pid(), nullptr, 30000);
    if (!shown) return false;
    planted.look(zorvane.pid());
    PressDialogButton(shown, IDOK);
    if (!WaitWindowGone(shown)) PressDialogButton(shown, IDCANCEL);
    return WaitWindowGone(shown);
}

// Zorvane from the planted folder, that folder its current one as well.
void ExerciseZorvane(PlantedFolder &planted) {
    char exe[MAX_PATH];
    planted.path("Zorvane.exe", exe, sizeof exe);
    Program zorvane;
    CHECK(StartProgramAt(exe, "", &zorvane, planted.folder));
    HWND window = nullptr;
    CHECK(WaitFor([&] { return (window = FindZorvaneWindow(zorvane.pid())) != nullptr; }, 30000));
    CHECK(WaitZorvaneLoop(window));
    planted.look(zorvane.pid());
    CHECK(RunAndClose(planted, zorvane, window, 201));  // About
    CHECK(RunAndClose(planted, zorvane, window, 208));  // update check: its outcome does not matter here
    CHECK(RunAndClose(planted, zorvane, window, 207));  // process list
    PostMessageA(window, WM_COMMAND, 202, 0);
    CHECK(zorvane.waitExit(20000));
}

}  // namespace

TEST_CASE(planted_libraries_stay_unloaded) {
    ResetZorvaneRegistry();
    SetPreferenceDword("Langage", 1033);
    PlantedFolder planted;
    CHECK(planted.make());
    char loaded[1024];

    ExerciseZorvane(planted);  // without a manifest

    char exe[MAX_PATH];
    planted.path("Stampwell.exe", exe, sizeof exe);
    Program stampwell;
    CHECK(StartProgramAt(exe, "", &stampwell, planted.folder));
    DWORD code = 99;
    CHECK(stampwell.waitExit(30000, &code));
    CHECK_EQ(0, (int)code);

#ifndef _WIN64
    // The manifest names the x86 common controls: an x64 Zorvane gets no dialog from it.
    ExerciseZorvane(planted);  // with the common controls of its manifest
#endif

    // An action on a process that cannot be opened: Liftrun reports it in a box.
    planted.path("Liftrun.exe", exe, sizeof exe);
    Program liftrun;
    CHECK(StartProgramAt(exe, "-killps 0 planted", &liftrun, planted.folder));
    HWND box = nullptr;
    WaitFor([&] { return (box = FindProcessDialog(liftrun.pid())) != nullptr || !liftrun.running(); }, 30000);
    if (box) {
        planted.look(liftrun.pid());
        PressDialogButton(box, IDOK);
    }
    CHECK(liftrun.waitExit(20000));

    planted.loaded(loaded, sizeof loaded);
    CHECK_STR("", loaded);
    ResetZorvaneRegistry();
}
