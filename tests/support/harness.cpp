// Test harness behind harness.h.
#include "harness.h"

#include <stdio.h>
#include <string.h>

bool Program::running() const {
    return info.hProcess && WaitForSingleObject(info.hProcess, 0) == WAIT_TIMEOUT;
}

bool Program::waitExit(DWORD timeoutMs, DWORD *exitCode) {
    if (!info.hProcess) return false;
    if (WaitForSingleObject(info.hProcess, timeoutMs) != WAIT_OBJECT_0) return false;
    if (exitCode) GetExitCodeProcess(info.hProcess, exitCode);
    return true;
}

void Program::stop() {
    if (info.hProcess) {
        if (running()) {
            TerminateProcess(info.hProcess, 99);
            WaitForSingleObject(info.hProcess, 10000);
        }
        CloseHandle(info.hProcess);
    }
    if (info.hThread) CloseHandle(info.hThread);
    ZeroMemory(&info, sizeof info);
}

void BinPath(const char *fileName, char *out, int capacity) {
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) path[0] = 0;
    char *slash = strrchr(path, '\\');
    if (slash) slash[1] = 0;
    snprintf(out, capacity, "%s%s", path, fileName);
}

bool StartProgram(const char *exe, const char *arguments, Program *program) {
    ZeroMemory(&program->info, sizeof program->info);
    char path[MAX_PATH];
    BinPath(exe, path, MAX_PATH);
    char commandLine[2048];
    snprintf(commandLine, sizeof commandLine, "\"%s\"%s%s", path, arguments && *arguments ? " " : "",
             arguments ? arguments : "");
    STARTUPINFOA startup;
    ZeroMemory(&startup, sizeof startup);
    startup.cb = sizeof startup;
    return CreateProcessA(path, commandLine, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                          &program->info) != FALSE;
}

namespace {

struct WindowQuery {
    DWORD processId;
    const char *className;
    const char *title;
    HWND found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM lParam) {
    WindowQuery *query = reinterpret_cast<WindowQuery *>(lParam);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid != query->processId) return TRUE;
    char text[1024];
    if (query->className) {
        if (!GetClassNameA(window, text, sizeof text) || lstrcmpiA(text, query->className) != 0)
            return TRUE;
    }
    if (query->title) {
        GetWindowTextA(window, text, sizeof text);
        if (strcmp(text, query->title) != 0) return TRUE;
    }
    query->found = window;
    return FALSE;
}

}  // namespace

HWND FindProcessTopWindow(DWORD processId, const char *className, const char *title) {
    WindowQuery query = {processId, className, title, nullptr};
    EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&query));
    return query.found;
}

HWND FindZorvaneWindow(DWORD processId) {
    return FindProcessTopWindow(processId, "ZORVANE", "Zorvane");
}

bool StartZorvane(const char *arguments, Program *program, HWND *mainWindow, DWORD timeoutMs) {
    *mainWindow = nullptr;
    if (!StartProgram("Zorvane.exe", arguments, program)) return false;
    DWORD pid = program->pid();
    HWND found = nullptr;
    WaitFor([&] { return (found = FindZorvaneWindow(pid)) != nullptr || !program->running(); },
            timeoutMs);
    *mainWindow = found;
    if (!found) {
        DWORD code = STILL_ACTIVE;
        if (program->waitExit(0, &code))
            printf("    Zorvane.exe ended: no main window found (exit code %lu)\n", (unsigned long)code);
        else
            printf("    Zorvane.exe still running: no main window found\n");
    }
    return found != nullptr;
}

bool WaitUntil(bool (*condition)(void *), void *context, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    for (;;) {
        if (condition(context)) return true;
        if (GetTickCount() - start >= timeoutMs) return condition(context);
        PumpMessages(20);
    }
}

void PumpMessages(DWORD milliseconds) {
    DWORD start = GetTickCount();
    do {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    } while (GetTickCount() - start < milliseconds);
}

void ResetZorvaneRegistry() {
    RegDeleteTreeA(HKEY_CURRENT_USER, "software\\Zorvane");
    HKEY run;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Run", 0,
                      KEY_ALL_ACCESS, &run) == ERROR_SUCCESS) {
        RegDeleteValueA(run, "Zorvane");
        RegCloseKey(run);
    }
}

bool SetPreferenceDword(const char *name, DWORD value) {
    HKEY key;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, "software\\Zorvane\\Zorvane\\Preferences", 0, nullptr, 0,
                        KEY_ALL_ACCESS, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return false;
    bool ok = RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE *>(&value),
                             sizeof value) == ERROR_SUCCESS;
    RegCloseKey(key);
    return ok;
}

bool GetPreferenceDword(const char *name, DWORD *value) {
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, "software\\Zorvane\\Zorvane\\Preferences", 0, KEY_READ,
                      &key) != ERROR_SUCCESS)
        return false;
    DWORD size = sizeof *value;
    *value = 0;
    bool ok = RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE *>(value), &size) ==
              ERROR_SUCCESS;
    RegCloseKey(key);
    return ok;
}

namespace {

void SendMouse(DWORD flags, int x = 0, int y = 0) {
    INPUT input;
    ZeroMemory(&input, sizeof input);
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flags;
    input.mi.dx = x;
    input.mi.dy = y;
    SendInput(1, &input, sizeof input);
}

void SendKey(WORD virtualKey, bool up) {
    INPUT input;
    ZeroMemory(&input, sizeof input);
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = virtualKey;
    input.ki.wScan = (WORD)MapVirtualKeyA(virtualKey, 0);
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    if (virtualKey == VK_RCONTROL || virtualKey == VK_RMENU || virtualKey == VK_LWIN ||
        virtualKey == VK_RWIN)
        input.ki.dwFlags |= KEYEVENTF_EXTENDEDKEY;
    SendInput(1, &input, sizeof input);
}

}  // namespace

void MovePointer(int x, int y) {
    SetCursorPos(x, y);
    int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    SendMouse(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, (x * 65535 + width / 2) / (width - 1),
              (y * 65535 + height / 2) / (height - 1));
}

void MouseButton(bool left, bool down) {
    if (left) SendMouse(down ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP);
    else SendMouse(down ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_RIGHTUP);
}

void Click(bool left) {
    MouseButton(left, true);
    MouseButton(left, false);
}

void KeyDown(WORD virtualKey) { SendKey(virtualKey, false); }
void KeyUp(WORD virtualKey) { SendKey(virtualKey, true); }

void PressKey(WORD virtualKey) {
    KeyDown(virtualKey);
    KeyUp(virtualKey);
}

void ReleaseAllInput() {
    static const WORD keys[] = {VK_LSHIFT, VK_RSHIFT, VK_LCONTROL, VK_RCONTROL, VK_LMENU,
                                VK_RMENU,  VK_LWIN,   VK_RWIN,     VK_ESCAPE,   'X'};
    for (WORD key : keys)
        if (GetAsyncKeyState(key) & 0x8000) KeyUp(key);
    if (GetAsyncKeyState(VK_LBUTTON) & 0x8000) SendMouse(MOUSEEVENTF_LEFTUP);
    if (GetAsyncKeyState(VK_RBUTTON) & 0x8000) SendMouse(MOUSEEVENTF_RIGHTUP);
}

void PressHotKey(bool win, bool alt, bool ctrl, bool shift) {
    if (win) KeyDown(VK_LWIN);
    if (alt) KeyDown(VK_LMENU);
    if (ctrl) KeyDown(VK_LCONTROL);
    if (shift) KeyDown(VK_LSHIFT);
    PressKey('X');
    if (shift) KeyUp(VK_LSHIFT);
    if (ctrl) KeyUp(VK_LCONTROL);
    if (alt) KeyUp(VK_LMENU);
    if (win) KeyUp(VK_LWIN);
}

HWND CaptureWindowOf(HWND window) {
    DWORD thread = GetWindowThreadProcessId(window, nullptr);
    if (!thread) return nullptr;
    GUITHREADINFO info;
    ZeroMemory(&info, sizeof info);
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(thread, &info)) return nullptr;
    return info.hwndCapture;
}

COLORREF ScreenPixel(int x, int y) {
    HDC screen = GetDC(nullptr);
    COLORREF colour = screen ? GetPixel(screen, x, y) : CLR_INVALID;
    if (screen) ReleaseDC(nullptr, screen);
    return colour;
}

WineVersionOverride::WineVersionOverride(const char *exeName, const char *version) : ok_(false) {
    snprintf(keyPath, sizeof keyPath, "Software\\Wine\\AppDefaults\\%s", exeName);
    HKEY key;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, keyPath, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        return;
    ok_ = RegSetValueExA(key, "Version", 0, REG_SZ, reinterpret_cast<const BYTE *>(version),
                         (DWORD)strlen(version) + 1) == ERROR_SUCCESS;
    RegCloseKey(key);
}

WineVersionOverride::~WineVersionOverride() { RegDeleteTreeA(HKEY_CURRENT_USER, keyPath); }
