// Selection test support behind selection_support.h.
#include "selection_support.h"

#include <stdio.h>
#include <string.h>

#include "selection/highlight.h"
#include "shell/application.h"

namespace {

enum { MonitorCapacity = 256, MonitorTextSize = 256, DebugBufferSize = 4096 };

// The debug output monitor's state; the monitor thread fills it.
struct DebugMonitor {
    HANDLE bufferReady, dataReady, mapping, thread;
    const char *view;
    volatile LONG stopping;
    CRITICAL_SECTION lock;
    bool lockReady;
    int count;
    DWORD processIds[MonitorCapacity];
    char texts[MonitorCapacity][MonitorTextSize];
};

DebugMonitor monitor;

DWORD WINAPI MonitorThread(void *) {
    while (!monitor.stopping) {
        SetEvent(monitor.bufferReady);
        if (WaitForSingleObject(monitor.dataReady, 50) != WAIT_OBJECT_0) continue;
        EnterCriticalSection(&monitor.lock);
        if (monitor.count < MonitorCapacity) {
            memcpy(&monitor.processIds[monitor.count], monitor.view, sizeof(DWORD));
            lstrcpynA(monitor.texts[monitor.count], monitor.view + sizeof(DWORD), MonitorTextSize);
            ++monitor.count;
        }
        LeaveCriticalSection(&monitor.lock);
    }
    return 0;
}

void CloseMonitorHandles() {
    if (monitor.view) UnmapViewOfFile(monitor.view);
    if (monitor.mapping) CloseHandle(monitor.mapping);
    if (monitor.bufferReady) CloseHandle(monitor.bufferReady);
    if (monitor.dataReady) CloseHandle(monitor.dataReady);
    monitor.view = nullptr;
    monitor.mapping = monitor.bufferReady = monitor.dataReady = nullptr;
}

enum { RegionProbeLimit = 70000 };
HRGN probeRegions[RegionProbeLimit];

// How many more regions this process can make before GDI refuses.
long FreeGdiCapacity() {
    long made = 0;
    while (made < RegionProbeLimit && (probeRegions[made] = CreateRectRgn(0, 0, 1, 1)) != nullptr) ++made;
    for (long i = 0; i < made; ++i) DeleteObject(probeRegions[i]);
    return made;
}

}  // namespace

bool StartDebugMonitor() {
    if (!monitor.lockReady) {
        InitializeCriticalSection(&monitor.lock);
        monitor.lockReady = true;
    }
    if (monitor.thread) return true;
    monitor.bufferReady = CreateEventA(nullptr, FALSE, FALSE, "DBWIN_BUFFER_READY");
    monitor.dataReady = CreateEventA(nullptr, FALSE, FALSE, "DBWIN_DATA_READY");
    monitor.mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, DebugBufferSize,
                                         "DBWIN_BUFFER");
    if (monitor.mapping)
        monitor.view = static_cast<const char *>(MapViewOfFile(monitor.mapping, FILE_MAP_READ, 0, 0, 0));
    if (!monitor.bufferReady || !monitor.dataReady || !monitor.view) {
        CloseMonitorHandles();
        return false;
    }
    monitor.stopping = 0;
    monitor.count = 0;
    monitor.thread = CreateThread(nullptr, 0, MonitorThread, nullptr, 0, nullptr);
    if (!monitor.thread) CloseMonitorHandles();
    return monitor.thread != nullptr;
}

void StopDebugMonitor() {
    if (!monitor.thread) return;
    InterlockedExchange(&monitor.stopping, 1);
    WaitForSingleObject(monitor.thread, 5000);
    CloseHandle(monitor.thread);
    monitor.thread = nullptr;
    CloseMonitorHandles();
}

void ClearDebugTexts() {
    if (!monitor.lockReady) return;
    EnterCriticalSection(&monitor.lock);
    monitor.count = 0;
    LeaveCriticalSection(&monitor.lock);
}

int DebugTextCount(DWORD processId, const char *text) {
    if (!monitor.lockReady) return 0;
    int found = 0;
    EnterCriticalSection(&monitor.lock);
    for (int i = 0; i < monitor.count; ++i)
        if (monitor.processIds[i] == processId && (!text || strcmp(monitor.texts[i], text) == 0)) ++found;
    LeaveCriticalSection(&monitor.lock);
    return found;
}

int DebugTextTotal(DWORD processId) { return DebugTextCount(processId, nullptr); }

bool WaitDebugText(DWORD processId, const char *text, DWORD timeoutMs) {
    return WaitFor([&] {
        RepeatHeldKeys();
        return DebugTextCount(processId, text) > 0;
    }, timeoutMs);
}

bool PressHotKeyAndWaitCapture(HWND window, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    do {
        PressHotKey();
        if (WaitCaptureHeld(window, true, 2500)) return true;
    } while (GetTickCount() - start < timeoutMs);
    return false;
}

bool WaitCaptureHeld(HWND window, bool held, DWORD timeoutMs) {
    return WaitFor([&] {
        RepeatHeldKeys();
        return (CaptureWindowOf(window) == window) == held;
    }, timeoutMs);
}

bool StartZorvaneWithHotKey(const char *arguments, Program *program, HWND *mainWindow) {
    // A Zorvane ended just before may still hold it for a moment.
    if (!WaitFor([] { return !HotKeyTaken(); }, 10000)) return false;
    return StartZorvane(arguments, program, mainWindow) && WaitZorvaneLoop(*mainWindow) && HotKeyTaken();
}

bool StartWindows(const char *exe, const char *arguments, Program *program) {
    bool started =
        strchr(exe, '\\') ? StartProgramAt(exe, arguments, program) : StartProgram(exe, arguments, program);
    if (!started) return false;
    DWORD pid = program->pid();
    return WaitFor([&] { return FindProcessTopWindow(pid, "ZvReady", nullptr) != nullptr; }, 20000);
}

bool PixelIs(int x, int y, COLORREF colour) { return ScreenPixel(x, y) == colour; }

bool WaitPixel(int x, int y, COLORREF colour, bool want, DWORD timeoutMs) {
    return WaitFor([&] {
        RepeatHeldKeys();
        return PixelIs(x, y, colour) == want;
    }, timeoutMs);
}

SwappedButtons::SwappedButtons() {
    SystemParametersInfoA(SPI_SETMOUSEBUTTONSWAP, TRUE, nullptr, SPIF_UPDATEINIFILE | SPIF_SENDCHANGE);
}

SwappedButtons::~SwappedButtons() {
    SystemParametersInfoA(SPI_SETMOUSEBUTTONSWAP, FALSE, nullptr, SPIF_UPDATEINIFILE | SPIF_SENDCHANGE);
}

GdiCount MeasureGdiObjects() {
    GdiCount count;
    count.value = (long)GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    count.counted = count.value != 0;
    if (!count.counted) count.value = FreeGdiCapacity();
    return count;
}

long GdiObjectsGained(const GdiCount &before, const GdiCount &after) {
    return before.counted ? after.value - before.value : before.value - after.value;
}

bool CopyProgramAs(const char *exe, const char *folderName, const char *name, char *path, int capacity) {
    char source[MAX_PATH], folder[MAX_PATH], temp[MAX_PATH];
    BinPath(exe, source, sizeof source);
    if (!GetTempPathA(sizeof temp, temp)) return false;
    snprintf(folder, sizeof folder, "%szv-selection-%s", temp, folderName);
    CreateDirectoryA(folder, nullptr);
    snprintf(path, capacity, "%s\\%s", folder, name);
    return CopyFileA(source, path, FALSE) != FALSE;
}

const char CaptureWindowClass[] = "ZvCaptureMain";

HWND PrepareInProcessCapture(DWORD platformId, DWORD majorVersion, DWORD minorVersion) {
    Application &app = App();
    app.instance = GetModuleHandleA(nullptr);
    WNDCLASSA windowClass;
    ZeroMemory(&windowClass, sizeof windowClass);
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = app.instance;
    windowClass.hbrBackground = (HBRUSH)GetStockObject(WHITE_BRUSH);
    windowClass.lpszClassName = CaptureWindowClass;
    RegisterClassA(&windowClass);  // already there from an earlier case: fine
    app.mainWindow = CreateWindowExA(0, CaptureWindowClass, "Zorvane", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                     app.instance, nullptr);
    app.OsVersion.platformId = platformId;
    app.OsVersion.major = majorVersion;
    app.OsVersion.minor = minorVersion;
    app.ActionMethod = 1000;
    CreateHighlightBrushes();
    return app.mainWindow;
}
