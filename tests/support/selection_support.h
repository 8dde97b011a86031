// Support for the selection tests: the debug output monitor that hears the
// reasons a capture ends with, the capture holder of another program's thread,
// screen colour checks, button swapping and the count of live GDI objects.
#ifndef ZV_SELECTION_SUPPORT_H
#define ZV_SELECTION_SUPPORT_H

#include <windows.h>

#include "harness.h"

// Collects the texts that other programs write with OutputDebugStringA.
// Only one monitor can run on a system at a time.
bool StartDebugMonitor();
void StopDebugMonitor();
void ClearDebugTexts();
// Number of texts equal to the text heard from the process since the last clear.
int DebugTextCount(DWORD processId, const char *text);
// Total number of texts heard from the process since the last clear.
int DebugTextTotal(DWORD processId);
bool WaitDebugText(DWORD processId, const char *text, DWORD timeoutMs);

// Stops the monitor at the end of a scope.
struct DebugMonitorScope {
    bool started;
    DebugMonitorScope() : started(StartDebugMonitor()) { ClearDebugTexts(); }
    ~DebugMonitorScope() { StopDebugMonitor(); }
};

// Presses Win+Alt+X and waits until the window holds the mouse capture. The
// press is made again when it was lost: a focus change in the middle of it
// makes Wine forget the injected modifiers, as with held keys (harness.h).
bool PressHotKeyAndWaitCapture(HWND window, DWORD timeoutMs = 10000);

bool WaitCaptureHeld(HWND window, bool held, DWORD timeoutMs);

// Starts Zorvane.exe once the hot key is free and waits until its start-up is
// over (its loop answers) and it holds the hot key.
bool StartZorvaneWithHotKey(const char *arguments, Program *program, HWND *mainWindow);

// Starts zv_windows.exe (or a copy of it at a full path) with the arguments
// and waits until all its windows exist; false when they did not come.
bool StartWindows(const char *exe, const char *arguments, Program *program);

// True when the pixel has the colour (exact match).
bool PixelIs(int x, int y, COLORREF colour);
// Waits until the pixel has (or, with want false, no longer has) the colour.
bool WaitPixel(int x, int y, COLORREF colour, bool want, DWORD timeoutMs);

// Swaps the mouse buttons for the system (stored, so that programs started
// afterwards see it) and swaps them back at the end of the scope.
struct SwappedButtons {
    SwappedButtons();
    ~SwappedButtons();
};

// Live GDI objects of this process: GetGuiResources where the system counts
// them, else the handles still free before the table is full (so a rising
// number of free handles means fewer live objects).
struct GdiCount {
    bool counted;  // true: value is GetGuiResources; false: value is free capacity
    long value;
};
GdiCount MeasureGdiObjects();
// Objects made and not freed between two measurements.
long GdiObjectsGained(const GdiCount &before, const GdiCount &after);

// Sets this process's Application up as Zorvane's start-up does for drawing:
// a main window of the white class below, the system version, the action
// Close and the highlight brushes. Returns the main window.
extern const char CaptureWindowClass[];
HWND PrepareInProcessCapture(DWORD platformId, DWORD majorVersion, DWORD minorVersion = 1);

// Copies a program from the bin folder to %TEMP%\zv-selection-<folder>\<name>.
bool CopyProgramAs(const char *exe, const char *folder, const char *name, char *path, int capacity);

#endif
