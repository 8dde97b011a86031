// Test support for the application shell: fake tray window, guards and probes.
#include "shell_support.h"

#include <stdio.h>
#include <string.h>

#include "site.h"

namespace {

const char TrayClassName[] = "Shell_TrayWnd";

// The record Wine's shell hands to the tray window: the fields of the caller's
// notify record in a fixed, pointer-free layout, with the icon's picture after it.
struct NotifyRecord {
    LONG window;
    UINT id;
    UINT flags;
    UINT callbackMessage;
    WCHAR tip[128];
    DWORD state;
    DWORD stateMask;
    WCHAR info[256];
    UINT timeout;
    WCHAR infoTitle[64];
    DWORD infoFlags;
    GUID item;
    UINT iconWidth;
    UINT iconHeight;
    UINT iconPlanes;
    UINT iconBitsPerPixel;
};
static_assert(sizeof(NotifyRecord) == 960, "tray record layout");

void ToUtf8(const WCHAR *text, int length, char *out, int capacity) {
    int end = 0;
    while (end < length && text[end]) ++end;
    int written = WideCharToMultiByte(CP_UTF8, 0, text, end, out, capacity - 1, nullptr, nullptr);
    out[written > 0 ? written : 0] = 0;
}

// The protocol of the product site's addresses.
const char *const HttpOpenKey = strncmp(ZORVANE_SITE, "https:", 6) == 0
                                    ? "Software\\Classes\\https\\shell\\open\\command"
                                    : "Software\\Classes\\http\\shell\\open\\command";

}  // namespace

FakeTray::FakeTray() : window_(nullptr), count_(0) {
    ZeroMemory(calls_, sizeof calls_);
    WNDCLASSA windowClass;
    ZeroMemory(&windowClass, sizeof windowClass);
    windowClass.lpfnWndProc = Procedure;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = TrayClassName;
    RegisterClassA(&windowClass);  // already there from an earlier tray: fine
    window_ = CreateWindowExA(WS_EX_NOACTIVATE, TrayClassName, nullptr, WS_POPUP, 0, 0, 0, 0, nullptr,
                              nullptr, windowClass.hInstance, nullptr);
    if (window_) SetWindowLongPtrA(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

FakeTray::~FakeTray() {
    if (window_) DestroyWindow(window_);
}

bool FakeTray::active() const {
    return window_ && FindWindowExA(nullptr, nullptr, TrayClassName, nullptr) == window_;
}

LRESULT CALLBACK FakeTray::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COPYDATA) {
        FakeTray *tray = reinterpret_cast<FakeTray *>(GetWindowLongPtrA(window, GWLP_USERDATA));
        const COPYDATASTRUCT *copy = reinterpret_cast<const COPYDATASTRUCT *>(lParam);
        if (tray && copy) tray->record((DWORD)copy->dwData, copy->lpData, copy->cbData);
        return TRUE;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

void FakeTray::record(DWORD message, const void *data, DWORD size) {
    if (count_ >= Capacity || size < sizeof(NotifyRecord) - 4 * sizeof(UINT)) return;
    NotifyRecord notify;
    ZeroMemory(&notify, sizeof notify);
    memcpy(&notify, data, size < sizeof notify ? size : sizeof notify);
    TrayCall &call = calls_[count_++];
    call.message = message;
    call.window = (HWND)LongToHandle(notify.window);
    call.id = notify.id;
    call.flags = notify.flags;
    call.callbackMessage = notify.callbackMessage;
    ToUtf8(notify.tip, 128, call.tip, sizeof call.tip);
    ToUtf8(notify.info, 256, call.info, sizeof call.info);
    ToUtf8(notify.infoTitle, 64, call.infoTitle, sizeof call.infoTitle);
    call.infoFlags = notify.infoFlags;
    call.timeout = notify.timeout;
    call.iconWidth = size > sizeof notify ? notify.iconWidth : 0;
}

bool FakeTray::watched() {
    if (!active()) return false;
    int before = count_;
    NOTIFYICONDATAA probe;
    ZeroMemory(&probe, sizeof probe);
    probe.cbSize = sizeof probe;
    probe.hWnd = window_;
    probe.uID = 0x7A7A;
    Shell_NotifyIconA(NIM_MODIFY, &probe);
    bool arrived = WaitFor([&] { return countSince(before, NIM_MODIFY, window_) > 0; }, 15000);
    count_ = before;
    return arrived;
}

int FakeTray::countSince(int from, DWORD message, HWND window) const {
    int n = 0;
    for (int i = from; i < count_; ++i)
        if (calls_[i].message == message && (!window || calls_[i].window == window)) ++n;
    return n;
}

const TrayCall *FakeTray::first(DWORD message, HWND window) const {
    for (int i = 0; i < count_; ++i)
        if (calls_[i].message == message && (!window || calls_[i].window == window)) return &calls_[i];
    return nullptr;
}

const TrayCall *FakeTray::last(DWORD message, HWND window) const {
    for (int i = count_ - 1; i >= 0; --i)
        if (calls_[i].message == message && (!window || calls_[i].window == window)) return &calls_[i];
    return nullptr;
}

bool FakeTray::waitFor(DWORD message, HWND window, DWORD timeoutMs) {
    return WaitFor([&] { return countOf(message, window) > 0; }, timeoutMs);
}

bool FakeTray::fence(HWND mainWindow, DWORD timeoutMs) {
    int before = countOf(NIM_ADD, mainWindow);
    if (!PostMessageA(mainWindow, WM_TIMER, 5000, 0)) return false;
    return WaitFor([&] { return countOf(NIM_ADD, mainWindow) > before; }, timeoutMs);
}

bool FakeTray::startFence(int from, HWND mainWindow, DWORD timeoutMs) {
    if (!PostMessageA(mainWindow, WM_TIMER, 5000, 0)) return false;
    return WaitFor([&] { return countSince(from, NIM_ADD, mainWindow) >= 2; }, timeoutMs);
}

UrlOpenRecorder::UrlOpenRecorder() : previousSize(0), hadPrevious(false), ok_(false) {
    RegDeleteTreeA(HKEY_CURRENT_USER, ZV_RECORDER_KEY);
    HKEY key;
    // The protocol keys are shared by the 32- and 64-bit views.
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, HttpOpenKey, 0, nullptr, 0, KEY_ALL_ACCESS | KEY_WOW64_64KEY,
                        nullptr, &key, nullptr) != ERROR_SUCCESS)
        return;
    previousSize = sizeof previous;
    hadPrevious = RegQueryValueExA(key, nullptr, nullptr, nullptr, reinterpret_cast<BYTE *>(previous),
                                   &previousSize) == ERROR_SUCCESS;
    char recorder[MAX_PATH], command[MAX_PATH + 16];
    BinPath("shell_url_recorder.exe", recorder, sizeof recorder);
    snprintf(command, sizeof command, "\"%s\" \"%%1\"", recorder);
    ok_ = RegSetValueExA(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE *>(command),
                         (DWORD)strlen(command) + 1) == ERROR_SUCCESS;
    RegCloseKey(key);
}

UrlOpenRecorder::~UrlOpenRecorder() {
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, HttpOpenKey, 0, KEY_ALL_ACCESS | KEY_WOW64_64KEY, &key) ==
        ERROR_SUCCESS) {
        if (hadPrevious)
            RegSetValueExA(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE *>(previous), previousSize);
        else
            RegDeleteValueA(key, nullptr);
        RegCloseKey(key);
    }
    RegDeleteTreeA(HKEY_CURRENT_USER, ZV_RECORDER_KEY);
}

bool UrlOpenRecorder::waitOpened(char *address, int capacity, DWORD timeoutMs) {
    address[0] = 0;
    return WaitFor(
        [&] {
            DWORD size = (DWORD)capacity;
            return RegGetValueA(HKEY_CURRENT_USER, ZV_RECORDER_KEY, ZV_RECORDER_VALUE, RRF_RT_REG_SZ,
                                nullptr, address, &size) == ERROR_SUCCESS;
        },
        timeoutMs);
}

void UrlOpenRecorder::clear() { RegDeleteTreeA(HKEY_CURRENT_USER, ZV_RECORDER_KEY); }

bool StartZorvaneReady(const char *arguments, Program *program, HWND *mainWindow, FakeTray *tray) {
    int from = tray ? tray->count() : 0;
    if (!StartZorvane(arguments, program, mainWindow, 30000)) return false;
    // A posted message waits for the loop; a sent one does not.
    if (tray) return tray->startFence(from, *mainWindow, 30000);
    return WaitZorvaneLoop(*mainWindow, 30000);
}

bool CloseAndWait(Program &program, HWND mainWindow, DWORD *exitCode) {
    PostMessageA(mainWindow, WM_CLOSE, 0, 0);
    bool ended = false;
    WaitFor([&] { return (ended = program.waitExit(0, exitCode)); }, 30000);
    return ended;
}

bool EndCaptureOf(HWND window, DWORD timeoutMs) {
    PostMessageA(window, WM_RBUTTONDOWN, 0, 0);
    return WaitFor([&] { return CaptureWindowOf(window) == nullptr; }, timeoutMs);
}
