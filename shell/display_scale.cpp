// Per-monitor DPI awareness declared at start-up, and pixel sizes scaled by a
// window's DPI. The entry points are looked up by name, since older systems
// lack them.
#include "shell/display_scale.h"

#include "shell/winutil.h"

namespace {

typedef BOOL(WINAPI *SetAwarenessContextFunction)(HANDLE context);
typedef HRESULT(WINAPI *SetAwarenessFunction)(int awareness);
typedef BOOL(WINAPI *SetAwareFunction)();
typedef UINT(WINAPI *DpiForWindowFunction)(HWND window);

// DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2 and PROCESS_PER_MONITOR_DPI_AWARE.
const HANDLE PerMonitorAwareV2 = reinterpret_cast<HANDLE>(static_cast<INT_PTR>(-4));
const int ProcessPerMonitorDpiAware = 2;

bool SetPerMonitorContext() {
    SetAwarenessContextFunction set = EntryPointAs<SetAwarenessContextFunction>(
        LinkedEntryPoint("User32.dll", "SetProcessDpiAwarenessContext"));
    return set && set(PerMonitorAwareV2);
}

// Shcore is not linked: the call is made before its handle is released.
bool SetPerMonitorAwareness() {
    HMODULE shcore = LoadSystemLibrary("Shcore.dll");
    if (!shcore) return false;
    SetAwarenessFunction set =
        EntryPointAs<SetAwarenessFunction>(GetProcAddress(shcore, "SetProcessDpiAwareness"));
    bool done = set && SUCCEEDED(set(ProcessPerMonitorDpiAware));
    FreeLibrary(shcore);
    return done;
}

bool SetSystemAwareness() {
    SetAwareFunction set =
        EntryPointAs<SetAwareFunction>(LinkedEntryPoint("User32.dll", "SetProcessDPIAware"));
    return set && set();
}

}  // namespace

bool DeclareDpiAwareness() {
    return SetPerMonitorContext() || SetPerMonitorAwareness() || SetSystemAwareness();
}

UINT WindowDpi(HWND window) {
    DpiForWindowFunction dpiForWindow =
        EntryPointAs<DpiForWindowFunction>(LinkedEntryPoint("User32.dll", "GetDpiForWindow"));
    UINT dpi = dpiForWindow ? dpiForWindow(window) : 0;
    if (dpi) return dpi;
    HDC dc = GetDC(window);
    if (dc) {
        dpi = static_cast<UINT>(GetDeviceCaps(dc, LOGPIXELSX));
        ReleaseDC(window, dc);
    }
    return dpi ? dpi : DefaultDpi;
}

int ScaleToDpi(int pixels, UINT dpi) {
    return MulDiv(pixels, static_cast<int>(dpi), static_cast<int>(DefaultDpi));
}
