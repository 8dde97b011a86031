// Costs of the selection work, each as a multiple of one bare WindowFromPoint
// measured in the same run: light resolution (with no desktop, and with the
// desktop's shell view under a "WorkerW" window), full resolution, an idle and
// a painting capture tick; and the delay from the hot key to the first outline
// pixel of the real Zorvane.exe. Run from the bin folder (it starts zv_windows.exe and
// Zorvane.exe beside it) on a display nobody else uses.
#include <windows.h>
#include <stdio.h>

#include <algorithm>

#include "harness.h"
#include "selection/capture.h"
#include "selection/highlight.h"
#include "selection/target.h"
#include "selection_support.h"
#include "shell/application.h"

namespace {

const int BoxLeft = 300, BoxTop = 300;

double Now() {
    static LARGE_INTEGER frequency;
    if (!frequency.QuadPart) QueryPerformanceFrequency(&frequency);
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return (double)counter.QuadPart * 1e6 / (double)frequency.QuadPart;  // microseconds
}

// Average microseconds of one call over the repetitions.
template <typename F> double Measure(int repetitions, F f) {
    double start = Now();
    for (int i = 0; i < repetitions; ++i) f();
    return (Now() - start) / repetitions;
}

// This process's Application set up as Zorvane's start-up does, holding the capture.
void SetUpCapture() {
    OSVERSIONINFOA version;
    version.dwOSVersionInfoSize = sizeof version;
    GetVersionExA(&version);
    SetCapture(PrepareInProcessCapture(version.dwPlatformId, version.dwMajorVersion, version.dwMinorVersion));
}

void PumpPending() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
}

// Milliseconds from the hot key to the first outline pixel on the screen, or -1.
double HotKeyToOutline(HWND zorvane) {
    COLORREF green = HighlightShade(3, 0);
    WaitPixel(BoxLeft, BoxTop, green, false, 5000);
    double start = Now();
    PressHotKey();
    while (!PixelIs(BoxLeft, BoxTop, green)) {
        if (Now() - start > 10e6) return -1;
    }
    double elapsed = (Now() - start) / 1000;
    // Held until the next tick has seen it.
    KeyDown(VK_ESCAPE);
    WaitCaptureHeld(zorvane, false, 5000);
    KeyUp(VK_ESCAPE);
    return elapsed;
}

}  // namespace

int main() {
    ReleaseAllInput();
    ResetZorvaneRegistry();
    SetPreferenceDword("Startup", 5);
    Program box;
    if (!StartWindows("zv_windows.exe", "box 300 300 400 250", &box)) {
        printf("zv_windows.exe did not start\n");
        return 1;
    }
    MovePointer(BoxLeft + 200, BoxTop + 125);
    PumpMessages(200);

    POINT point = {BoxLeft + 200, BoxTop + 125};
    double bare = Measure(3000, [&] { WindowFromPoint(point); });
    TargetWindow target;
    double light = Measure(3000, [&] { ResolveTarget(&target, false); });
    double full = Measure(200, [&] { ResolveTarget(&target, true); });
    int processes = CountProcesses();

    // The same light resolution once the desktop's shell view has moved from
    // the program manager to a "WorkerW" window (away from the box).
    double lightWorker = 0;
    {
        Program desktop;
        if (!StartWindows("zv_windows.exe", "workerw", &desktop)) {
            printf("zv_windows.exe workerw did not start\n");
            return 1;
        }
        lightWorker = Measure(3000, [&] { ResolveTarget(&target, false); });
    }

    // Capture ticks resting on one window: three idle ticks, then one that paints.
    SetUpCapture();
    CaptureTick();  // the first tick finds a new window
    PumpPending();
    double idleTotal = 0, paintTotal = 0;
    int idleCount = 0, paintCount = 0;
    for (int i = 0; i < 800; ++i) {
        double start = Now();
        CaptureTick();
        double spent = Now() - start;
        if (App().capture.RedrawPhase == 0) paintTotal += spent, ++paintCount;
        else idleTotal += spent, ++idleCount;
        PumpPending();
    }
    EndCapture("Normal end capture\n");
    PumpPending();
    double idle = idleTotal / std::max(idleCount, 1), paint = paintTotal / std::max(paintCount, 1);

    printf("bare WindowFromPoint      %8.1f us  (1.0)\n", bare);
    printf("light resolution          %8.1f us  x %.1f  (no program manager)\n", light, light / bare);
    printf("light, view under WorkerW %8.1f us  x %.1f  (\"Progman\" without a shell view)\n", lightWorker,
           lightWorker / bare);
    printf("full resolution           %8.1f us  x %.1f  (%d processes)\n", full, full / bare, processes);
    printf("idle capture tick         %8.1f us  x %.1f  (%d ticks)\n", idle, idle / bare, idleCount);
    printf("painting capture tick     %8.1f us  x %.1f  (%d ticks)\n", paint, paint / bare, paintCount);

    Program zorvane;
    HWND main = nullptr;
    SetPreferenceDword("Methode", 1000);
    if (!StartZorvaneWithHotKey("", &zorvane, &main)) {
        printf("Zorvane.exe did not start with the hot key\n");
        return 1;
    }
    double delays[5];
    for (double &delay : delays) delay = HotKeyToOutline(main);
    std::sort(delays, delays + 5);
    printf("hot key to first outline  %8.1f ms median, %.1f ms min, %.1f ms max (5 runs; 200 ms of it is the delay timer)\n",
           delays[2], delays[0], delays[4]);
    return 0;
}
