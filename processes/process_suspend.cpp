// Suspend and Resume from the process list, with the refusals that keep the
// desktop alive.
#include "processes/process_suspend.h"

#include <string.h>

#include "actions/end_guard.h"
#include "actions/identity.h"
#include "processes/process_stats.h"
#include "resources/resource_ids.h"
#include "shell/application.h"
#include "shell/suspended_programs.h"
#include "shell/winutil.h"

namespace {

// The window manager draws every window: frozen, the screen no longer changes.
bool IsWindowManager(HANDLE process) {
    char path[ProcessPathCapacity], expected[ProcessPathCapacity];
    UINT length = GetSystemDirectoryA(expected, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return false;
    lstrcatA(expected, "\\dwm.exe");
    return ProcessImagePath(process, path, sizeof path) && lstrcmpiA(path, expected) == 0;
}

// The process that owns the desktop window of the shell, or the guard's own
// verdict that ending it takes the shell.
bool IsShell(DWORD processId, EndingRisk risk) {
    DWORD shellProcess = 0;
    HWND shell = GetShellWindow();
    if (shell) GetWindowThreadProcessId(shell, &shellProcess);
    return risk == EndingShell || (shellProcess && shellProcess == processId);
}

void ShowRowMessage(HWND owner, UINT stringId, const char *name) {
    char format[256], text[512];
    LoadLocalString(stringId, format, sizeof format);
    FormatText(text, sizeof text, format, name);
    MessageBoxA(owner, text, App().productName, MB_OK | MB_ICONWARNING);
}

}  // namespace

UINT SuspendRefusal(HANDLE process, DWORD processId) {
    if (processId == GetCurrentProcessId()) return IDS_SUSPEND_REFUSED_SELF;
    EndingRisk risk = ProcessEndingRisk(process, processId);
    if (risk == EndingStopsWindows) return IDS_SUSPEND_REFUSED_SYSTEM;
    if (IsShell(processId, risk)) return IDS_SUSPEND_REFUSED_SHELL;
    if (IsWindowManager(process)) return IDS_SUSPEND_REFUSED_WINDOW_MANAGER;
    return 0;
}

bool SuspendProcessRow(HWND owner, DWORD processId, const char *name) {
    HANDLE process = OpenProcessPinned(processId, ProcessSuspendResume);
    UINT refusal = process ? SuspendRefusal(process, processId) : IDS_SUSPEND_FAILED;
    bool done = !refusal && SuspendAndRemember(process, processId);
    if (process) CloseHandle(process);
    if (!done) ShowRowMessage(owner, refusal ? refusal : IDS_SUSPEND_FAILED, name);
    return done;
}

bool ResumeProcessRow(HWND owner, DWORD processId, const char *name) {
    HANDLE process = OpenProcessPinned(processId, ProcessSuspendResume);
    bool done = process && ResumeAndForget(process, processId);
    if (process) CloseHandle(process);
    if (!done) ShowRowMessage(owner, IDS_RESUME_FAILED, name);
    return done;
}
