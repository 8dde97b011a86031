// Test harness behind harness.h.
#include "harness.h"

#include <stdio.h>
#include <string.h>
#include <tlhelp32.h>

namespace {

const char PreferencesKey[] = "software\\Zorvane\\Zorvane\\Preferences";
const char RunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

}  // namespace

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

bool StartProgramAt(const char *path, const char *arguments, Program *program, const char *folder) {
    program->stop();
    char commandLine[2048];
    snprintf(commandLine, sizeof commandLine, "\"%s\"%s%s", path, arguments && *arguments ? " " : "",
             arguments ? arguments : "");
    STARTUPINFOA startup;
    ZeroMemory(&startup, sizeof startup);
    startup.cb = sizeof startup;
    return CreateProcessA(path, commandLine, nullptr, nullptr, FALSE, 0, nullptr, folder, &startup,
                          &program->info) != FALSE;
}

bool StartProgram(const char *exe, const char *arguments, Program *program) {
    char path[MAX_PATH];
    BinPath(exe, path, MAX_PATH);
    return StartProgramAt(path, arguments, program);
}

namespace {

struct WindowSearch {
    const WindowMatch *match;
    HWND found;
    int count;
};

bool Matches(HWND window, const WindowMatch &match) {
    if (!match.anyProcess) {
        DWORD pid = 0;
        GetWindowThreadProcessId(window, &pid);
        if (pid != match.processId) return false;
    }
    if (match.visibleOnly && !IsWindowVisible(window)) return false;
    char text[1024];
    if (match.className &&
        (!GetClassNameA(window, text, sizeof text) || lstrcmpiA(text, match.className) != 0))
        return false;
    if (match.title) {
        GetWindowTextA(window, text, sizeof text);
        if (strcmp(text, match.title) != 0) return false;
    }
    if (match.controlId && !GetDlgItem(window, match.controlId)) return false;
    if (match.withoutControlId && GetDlgItem(window, match.withoutControlId)) return false;
    return true;
}

BOOL CALLBACK MatchWindow(HWND window, LPARAM lParam) {
    WindowSearch *search = reinterpret_cast<WindowSearch *>(lParam);
    if (!Matches(window, *search->match)) return TRUE;
    if (!search->found) search->found = window;
    ++search->count;
    return TRUE;
}

}  // namespace

HWND FindTopWindow(const WindowMatch &match, int *count) {
    WindowSearch search = {&match, nullptr, 0};
    EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
    if (count) *count = search.count;
    return search.found;
}

HWND FindProcessTopWindow(DWORD processId, const char *className, const char *title) {
    WindowMatch match = {processId, false, className, title, false, 0, 0};
    return FindTopWindow(match);
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

bool WaitZorvaneLoop(HWND mainWindow, DWORD timeoutMs) {
    DWORD_PTR answer = 0;
    return SendMessageTimeoutA(mainWindow, WM_NULL, 0, 0, SMTO_NORMAL, timeoutMs, &answer) != 0;
}

bool WaitUntil(bool (*condition)(void *), void *context, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    for (;;) {
        if (condition(context)) return true;
        if (GetTickCount() - start >= timeoutMs) return condition(context);
        PumpMessages(20);
    }
}

bool WaitWindowShown(HWND window, DWORD timeoutMs) {
    if (!WaitFor([&] { return IsWindowVisible(window) != FALSE; }, timeoutMs)) return false;
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    WaitFor(
        [&] {
            DWORD foreground = 0;
            GetWindowThreadProcessId(GetForegroundWindow(), &foreground);
            return foreground == processId;
        },
        3000);
    return true;
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
    DeleteRunValue("Zorvane");
}

bool SetPreferenceRaw(const char *name, DWORD type, const void *data, DWORD size) {
    HKEY key;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, PreferencesKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        return false;
    bool ok = RegSetValueExA(key, name, 0, type, static_cast<const BYTE *>(data), size) == ERROR_SUCCESS;
    RegCloseKey(key);
    return ok;
}

bool SetPreferenceDword(const char *name, DWORD value) {
    return SetPreferenceRaw(name, REG_DWORD, &value, sizeof value);
}

bool PreferenceKeyExists() {
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, PreferencesKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

bool GetPreferenceDword(const char *name, DWORD *value) {
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, PreferencesKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    DWORD size = sizeof *value;
    *value = 0;
    bool ok = RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE *>(value), &size) ==
              ERROR_SUCCESS;
    RegCloseKey(key);
    return ok;
}

bool SetRunValueRaw(const char *name, DWORD type, const void *data, DWORD size) {
    HKEY key;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, RunKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return false;
    bool ok = RegSetValueExA(key, name, 0, type, static_cast<const BYTE *>(data), size) == ERROR_SUCCESS;
    RegCloseKey(key);
    return ok;
}

bool SetRunValue(const char *data) {
    return SetRunValueRaw("Zorvane", REG_SZ, data, (DWORD)strlen(data) + 1);
}

bool GetRunValue(char *out, DWORD capacity, DWORD *type, DWORD *size) {
    out[0] = 0;
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, RunKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    DWORD valueType = 0, valueSize = capacity - 1;
    bool ok = RegQueryValueExA(key, "Zorvane", nullptr, &valueType, reinterpret_cast<BYTE *>(out),
                               &valueSize) == ERROR_SUCCESS;
    RegCloseKey(key);
    if (ok) out[valueSize < capacity ? valueSize : capacity - 1] = 0;
    if (type) *type = valueType;
    if (size) *size = valueSize;
    return ok;
}

bool RunValueExists(const char *name) {
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, RunKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    bool found = RegQueryValueExA(key, name, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
    RegCloseKey(key);
    return found;
}

void DeleteRunValue(const char *name) {
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, RunKey, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return;
    RegDeleteValueA(key, name);
    RegCloseKey(key);
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

WORD heldKeys[2];

}  // namespace

void MovePointer(int x, int y) {
    SetCursorPos(x, y);
    int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    SendMouse(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, (x * 65535 + width / 2) / (width - 1),
              (y * 65535 + height / 2) / (height - 1));
}

bool PointAt(int x, int y, HWND expected) {
    MovePointer(x, y);
    int settled = 0;
    return WaitFor(
        [&] {
            POINT point;
            bool there = GetCursorPos(&point) && point.x == x && point.y == y && WindowFromPoint(point) == expected;
            settled = there ? settled + 1 : 0;
            return settled >= 2;
        },
        15000);
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
    heldKeys[0] = heldKeys[1] = 0;
    static const WORD keys[] = {VK_LSHIFT, VK_RSHIFT, VK_LCONTROL, VK_RCONTROL, VK_LMENU,
                                VK_RMENU,  VK_LWIN,   VK_RWIN,     VK_ESCAPE,   'X'};
    for (WORD key : keys)
        if (GetAsyncKeyState(key) & 0x8000) KeyUp(key);
    if (GetAsyncKeyState(VK_LBUTTON) & 0x8000) SendMouse(MOUSEEVENTF_LEFTUP);
    if (GetAsyncKeyState(VK_RBUTTON) & 0x8000) SendMouse(MOUSEEVENTF_RIGHTUP);
}

void PressHotKey(bool win, bool alt, bool ctrl, bool shift, WORD key) {
    if (win) KeyDown(VK_LWIN);
    if (alt) KeyDown(VK_LMENU);
    if (ctrl) KeyDown(VK_LCONTROL);
    if (shift) KeyDown(VK_LSHIFT);
    PressKey(key);
    if (shift) KeyUp(VK_LSHIFT);
    if (ctrl) KeyUp(VK_LCONTROL);
    if (alt) KeyUp(VK_LMENU);
    if (win) KeyUp(VK_LWIN);
}

void HoldKeys(WORD first, WORD second) {
    heldKeys[0] = first;
    heldKeys[1] = second;
    for (WORD key : heldKeys)
        if (key) KeyDown(key);
}

void RepeatHeldKeys() {
    for (WORD key : heldKeys)
        if (key && !(GetAsyncKeyState(key) & 0x8000)) KeyDown(key);
}

void ReleaseHeldKeys() {
    for (WORD &key : heldKeys) {
        if (key) KeyUp(key);
        key = 0;
    }
}

bool HotKeyIsFree() {
    const int probeId = 0x5A17;
    if (!RegisterHotKey(nullptr, probeId, MOD_ALT | MOD_WIN, 'X')) return false;
    UnregisterHotKey(nullptr, probeId);
    return true;
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

ScreenImage::~ScreenImage() {
    if (bitmap) DeleteObject(bitmap);
}

bool ScreenImage::read(int x, int y, int w, int h) {
    if (bitmap) DeleteObject(bitmap);
    bitmap = nullptr;
    pixels = nullptr;
    width = height = 0;
    if (w <= 0 || h <= 0) return false;
    BITMAPINFO info;
    ZeroMemory(&info, sizeof info);
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = -h;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    void *bits = nullptr;
    bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap && bits) {
        HGDIOBJ old = SelectObject(memory, bitmap);
        BitBlt(memory, 0, 0, w, h, screen, x, y, SRCCOPY);
        GdiFlush();
        SelectObject(memory, old);
        pixels = static_cast<const DWORD *>(bits);
        width = w;
        height = h;
    }
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return pixels != nullptr;
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

namespace {

// Calls visit with every process's entry; stops when it returns false.
template <typename F> void ForEachProcess(F visit) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return;
    PROCESSENTRY32 entry;
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
        if (!visit(entry)) break;
        entry.dwSize = sizeof entry;
    }
    CloseHandle(snapshot);
}

bool StartsWith(const char *text, const char *prefix) {
    size_t length = strlen(prefix);
    return length && strlen(text) >= length && _strnicmp(text, prefix, length) == 0;
}

// Ends the process when its image lies in the bin or the temporary folder.
void EndIfOurs(DWORD processId) {
    HANDLE process = OpenProcess(PROCESS_TERMINATE | PROCESS_QUERY_LIMITED_INFORMATION | SYNCHRONIZE, FALSE,
                                 processId);
    if (!process) return;
    char image[MAX_PATH] = "", bin[MAX_PATH], temp[MAX_PATH] = "";
    DWORD size = sizeof image;
    QueryFullProcessImageNameA(process, 0, image, &size);
    BinPath("", bin, sizeof bin);
    GetTempPathA(sizeof temp, temp);
    bool ours = StartsWith(image, bin) || StartsWith(image, temp);
    if (ours && WaitForSingleObject(process, 0) == WAIT_TIMEOUT) {
        printf("    left running by the case, ended: %s\n", image);
        fflush(stdout);
        TerminateProcess(process, 98);
        WaitForSingleObject(process, 10000);
    }
    CloseHandle(process);
}

}  // namespace

bool ProcessGone(DWORD processId) {
    HANDLE process = OpenProcess(PROCESS_TERMINATE, FALSE, processId);
    if (process) CloseHandle(process);
    return process == nullptr;
}

namespace {

DWORD WINAPI EndAtOnce(void *) { return 0; }

// Frees a thread's id: the id goes back once the thread has ended and its last
// handle is closed, at the end of the queue of free ids.
void FreeThreadId(HANDLE thread) {
    WaitForSingleObject(thread, 30000);
    CloseHandle(thread);
}

// Makes threads that end at once, each taking the id at the head of the queue of
// free ids (once fresh ids are used up), until one gets the wanted id; that one
// is freed right behind the one made just before it, whose id is returned (0
// when the time ran out).
DWORD QueueBehindAnother(DWORD wantedId, DWORD deadline) {
    HANDLE previous = nullptr;
    DWORD previousId = 0, before = 0;
    while (!before && (LONG)(deadline - GetTickCount()) > 0) {
        DWORD id = 0;
        HANDLE thread = CreateThread(nullptr, 0, EndAtOnce, nullptr, 0, &id);
        if (!thread) break;
        if (id == wantedId && previous) {
            FreeThreadId(previous);
            before = previousId;
        } else if (previous) {
            FreeThreadId(previous);
        }
        previous = thread;
        previousId = id;
    }
    if (previous) FreeThreadId(previous);
    return before;
}

// Turns the queue with threads that end at once until the id comes round.
bool TurnQueueTo(DWORD id, DWORD deadline) {
    while ((LONG)(deadline - GetTickCount()) > 0) {
        DWORD got = 0;
        HANDLE thread = CreateThread(nullptr, 0, EndAtOnce, nullptr, 0, &got);
        if (!thread) return false;
        FreeThreadId(thread);
        if (got == id) return true;
    }
    return false;
}

}  // namespace

bool StartProgramOnId(DWORD wantedId, const char *exe, const char *arguments, Program *program) {
    // Another process may take the id first: a few tries. Each turns the queue of
    // free ids twice, a few hundred threads: minutes on a busy machine under qemu.
    for (int attempt = 0; attempt < 3; ++attempt) {
        if (!WaitFor([&] { return ProcessGone(wantedId); }, 30000)) {
            printf("    id %lu still held\n", static_cast<unsigned long>(wantedId));
            return false;
        }
        DWORD deadline = GetTickCount() + 240000;
        DWORD before = QueueBehindAnother(wantedId, deadline);
        if (!before || !TurnQueueTo(before, deadline)) {
            printf("    id %lu did not come round in time\n", static_cast<unsigned long>(wantedId));
            return false;
        }
        // The wanted id is now the next one handed out.
        if (StartProgram(exe, arguments, program) && program->pid() == wantedId) return true;
        printf("    id %lu went to another (attempt %d)\n", static_cast<unsigned long>(wantedId), attempt + 1);
        program->stop();
    }
    return false;
}

bool StartBystanderOnId(DWORD wantedId, Program *program, HWND *window) {
    char arguments[64];
    snprintf(arguments, sizeof arguments, "%lu ZvBystander", GetCurrentProcessId());
    if (!StartProgramOnId(wantedId, "proc_window_helper.exe", arguments, program)) return false;
    HWND shown = nullptr;
    bool found = WaitFor([&] { return (shown = FindProcessTopWindow(wantedId, nullptr, "ZvBystander")) != nullptr; },
                         20000);
    if (window) *window = shown;
    return found && WaitWindowShown(shown);
}

int CountProcesses(const char *exeName) {
    int count = 0;
    ForEachProcess([&](const PROCESSENTRY32 &entry) {
        if (!exeName || lstrcmpiA(entry.szExeFile, exeName) == 0) ++count;
        return true;
    });
    return count;
}

CaseScope::CaseScope() : knownCount(0) {
    ForEachProcess([&](const PROCESSENTRY32 &entry) {
        known[knownCount++] = entry.th32ProcessID;
        return knownCount < Capacity;
    });
}

CaseScope::~CaseScope() {
    ReleaseAllInput();
    ForEachProcess([&](const PROCESSENTRY32 &entry) {
        DWORD id = entry.th32ProcessID;
        for (int i = 0; i < knownCount; ++i)
            if (known[i] == id) return true;
        if (id != GetCurrentProcessId()) EndIfOurs(id);
        return true;
    });
}
