// Small helpers over repeated Windows boilerplate.
#include "shell/winutil.h"

#include <string.h>

#include "shell/application.h"
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

bool ProgramDirectory(char *out, int capacity) {
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return false;
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

FARPROC LinkedEntryPoint(const char *library, const char *name) {
    HMODULE module = LoadLibraryA(library);
    if (!module) return nullptr;
    FARPROC entry = GetProcAddress(module, name);
    FreeLibrary(module);
    return entry;
}
