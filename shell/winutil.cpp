// Small helpers over repeated Windows boilerplate.
#include "shell/winutil.h"

#include <commctrl.h>
#include <stdarg.h>
#include <stdio.h>
#include <string.h>

#include "shell/application.h"
#include "shell/code_page.h"
#include "shell/settings.h"

int LoadLocalString(UINT baseId, char *buffer, int capacity) {
    buffer[0] = 0;
    return LoadStringA(App().instance, baseId + LanguageBase, buffer, capacity);
}

int ShowLocalMessage(UINT baseId) {
    char text[100];
    LoadLocalString(baseId, text, sizeof text);
    return MessageBoxA(App().mainWindow, text, App().productName, MB_OK);
}

void OpenWithShell(HWND owner, const char *target) {
    ShellExecuteA(owner, "open", target, nullptr, nullptr, SW_SHOW);
}

int ReadControlText(HWND dialog, int controlId, char *buffer, int capacity) {
    buffer[0] = 0;
    HWND control = GetDlgItem(dialog, controlId);
    return control ? GetWindowTextA(control, buffer, capacity) : 0;
}

bool ProgramPath(char *out, int capacity) {
    // A path cut to the buffer would name another file: never used.
    return ModulePathText(nullptr, out, capacity);
}

int FormatText(char *out, int capacity, const char *format, ...) {
    if (capacity <= 0) return -1;
    va_list arguments;
    va_start(arguments, format);
    // One place kept for the terminator, which _vsnprintf leaves out when the text fills the count.
    int length = _vsnprintf(out, capacity - 1, format, arguments);
    va_end(arguments);
    out[capacity - 1] = 0;
    return length;
}

bool ProgramDirectory(char *out, int capacity) {
    char path[TEXT_BYTES(MAX_PATH)];
    if (!ProgramPath(path, sizeof path)) return false;
    char *slash = strrchr(path, '\\');
    if (!slash) return false;
    slash[1] = 0;
    if ((int)strlen(path) >= capacity) return false;
    strcpy(out, path);
    return true;
}

const char *ReadCommandLineWord(const char *line, char *out, int capacity) {
    int length = 0;
    out[0] = 0;
    while (*line == ' ' || *line == '\t') ++line;
    if (!*line) return nullptr;
    bool quoted = false;
    while (*line && (quoted || (*line != ' ' && *line != '\t'))) {
        if (*line == '"') quoted = !quoted;
        else if (length < capacity - 1) out[length++] = *line;
        ++line;
    }
    out[length] = 0;
    return line;
}

bool ShowWindowBounded(HWND window, int command, UINT timeoutMs) {
    if (!ShowWindowAsync(window, command)) return false;
    bool hide = command == SW_HIDE;
    DWORD start = GetTickCount();
    for (;;) {
        if (!IsWindow(window)) return false;
        if ((IsWindowVisible(window) == FALSE) == hide) return true;
        if (GetTickCount() - start >= timeoutMs) return false;
        Sleep(10);
    }
}

bool SystemCountsHung(HWND window) {
    typedef BOOL(WINAPI * HungFunction)(HWND window);
    FARPROC hungEntry = LinkedEntryPoint("user32.dll", "IsHungAppWindow");
    return window && hungEntry && EntryPointAs<HungFunction>(hungEntry)(window);
}

bool WindowNotResponding(HWND window, UINT timeoutMs) {
    if (!window || !IsWindow(window)) return false;
    if (SystemCountsHung(window)) return true;
    DWORD_PTR result = 0;
    // Abort at once when the system already counts the thread as hung, and
    // never longer than the bound otherwise.
    if (SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG | SMTO_BLOCK, timeoutMs, &result)) return false;
    return IsWindow(window) != FALSE;
}

bool RegisterCommonControls(DWORD classes) {
    typedef BOOL(WINAPI * InitControlsFunction)(const INITCOMMONCONTROLSEX *controls);
    HMODULE controlsLibrary = LoadSystemLibrary("comctl32.dll");
    InitControlsFunction initControls;
    if (!BindEntryPoint(controlsLibrary, "InitCommonControlsEx", &initControls)) return false;
    INITCOMMONCONTROLSEX controls = {sizeof controls, classes};
    return initControls(&controls) != FALSE;
}
