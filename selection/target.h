// Target resolution: the window under the pointer, its frame window, thread,
// process and executable; desktop views refused, ghost windows seen through.
#ifndef ZORVANE_TARGET_H
#define ZORVANE_TARGET_H

#include <windows.h>

#include "shell/code_page.h"

struct TargetWindow {
    HWND pointedWindow;
    HWND frameWindow;
    DWORD threadId;
    DWORD processId;
    char exeName[TEXT_BYTES(260)];
    DWORD viaGhost;
};

// All bits a framed pop-up window has: the frame walk stops at such a window.
#define FRAMED_POPUP_STYLE 0x80CF0000u

// Light mode (full false) finds pointedWindow only and returns 0; full mode
// returns 1 when a target was found.
int ResolveTarget(TargetWindow *target, bool full);

// The full resolution of a given window (the foreground one) as if it were
// pointed at: 1 when a target was found, 0 for none or a desktop view.
int ResolveWindowTarget(TargetWindow *target, HWND window);

// True for the desktop's top-level window (the program manager or the
// "WorkerW" window that holds its views): never a target when in front.
bool IsDesktopTopWindow(HWND window);

// Fills threadId, processId, frameWindow and exeName from pointedWindow; on a
// store app's frame they name the app, not the frame host.
int ResolveFrame(TargetWindow *target);

// Copies the executable name of the process (260 characters, in a buffer of
// TEXT_BYTES(260)) from a fresh
// snapshot; leaves it empty when the tool help functions, the snapshot or the
// process are missing.
void CopyExeName(DWORD processId, char *exeName);

// From a window up through parents and owners to the first framed pop-up
// window, else the last window of the chain.
HWND FrameWalk(HWND window);

HWND DesktopListView();
HWND DesktopHtmlView();

// True on NT when the major version is above 5 or the version is exactly 5.1.
bool GhostRuleApplies();

// EnumWindows callback of the ghost search; lParam is the Application.
BOOL CALLBACK GhostCandidateTest(HWND window, LPARAM lParam);

#endif
