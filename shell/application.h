// The one application object of Zorvane: the state that every window procedure,
// dialog procedure and timer handler reaches through App().
#ifndef ZORVANE_APPLICATION_H
#define ZORVANE_APPLICATION_H

#include <windows.h>
#include <shellapi.h>

#include "shell/code_page.h"

// Thread-opening entry point: the system's "OpenThread", or OpenThreadFallback.
typedef HANDLE(WINAPI *OpenThreadFunction)(DWORD access, BOOL inherit, DWORD threadId);

// System version, read once at start-up.
struct OsVersionInfo {
    DWORD platformId;
    DWORD major;
    DWORD minor;
    DWORD build;
};

// One window found by the ghost search; flags: 1 caption match, 2 size match.
struct GhostCandidate {
    HWND window;
    WORD flags;
};

enum { GhostCandidateLimit = 16 };

// State of the search for the real window behind a hung application's ghost.
struct GhostSearch {
    char caption[TEXT_BYTES(1024)];
    RECT rect;
    GhostCandidate candidates[GhostCandidateLimit];
    int count;
};

// State of a running capture and of its outline on the screen.
struct CaptureState {
    HWND LastPointedWindow;
    LONG RedrawPhase;  // 0 to 3
    char LabelText[TEXT_BYTES(260)];
    DWORD PidMode;  // 0 or 0x8000
    RECT HighlightRect;
    HRGN BandRegion;
    RECT LabelRect;
    bool KeySelection;  // while Enter or Space selects
};

// A global hot key: MOD_ flags and a virtual key; key 0 means none.
struct HotKeyChoice {
    UINT modifiers;
    UINT key;
};

// One hot key of Zorvane: the key chosen in the settings, whether the system
// granted it, and the id it is registered under (two ids per slot, so that a
// new key is taken before the old one goes).
struct HotKeySlot {
    HotKeyChoice chosen;
    bool held;
    int id;
};

struct Application {
    char productName[100];
    char companyKey[100];
    char applicationKey[100];
    HINSTANCE instance;
    HWND mainWindow;
    HICON trayIcon;
    HMENU TrayMenu;
    HMENU ProcessMenu;
    NOTIFYICONDATAA TrayIconData;  // used with the version-1 size
    HWND ActiveDialog;
    DWORD OneShotMode;
    OpenThreadFunction OpenThreadEntry;
    CaptureState capture;
    GhostSearch ghost;
    HBRUSH HighlightBrushes[5][4];  // [colour][shade]
    LONG ActionMethod;
    HFONT LinkFont;
    OsVersionInfo OsVersion;
    HotKeySlot CaptureKey;
    HotKeySlot ForegroundKey;
    HANDLE InstanceClaim;  // the running tray Zorvane's mark in the session; 0 when none
};

// The one Application of the process, made on first use.
Application &App();

// Start-up steps before the message loop; false when the main window cannot be made.
bool Initialise(HINSTANCE instance, int startCommand);

// Frees brushes and the tray icon after the message loop.
void Release();

// Runs the program: switch parsing, Initialise, the loop with accelerators, Release.
int RunZorvane(HINSTANCE instance, const char *commandLine, int showState);

// Start command for a command-line switch ("-x", "-p", "-l" in any case), or 0.
int StartCommandForArgument(const char *argument);

// Stands in for "OpenThread" where the system lacks it: never opens anything.
HANDLE WINAPI OpenThreadFallback(DWORD access, BOOL inherit, DWORD threadId);

// True when OpenThreadEntry is the system's function.
bool ThreadOpeningAvailable();

// Binds the system's "OpenThread" by name, or returns the fallback.
OpenThreadFunction BindOpenThread();

// The version-2 notify record that shows the first-start balloon.
void ShowStartBalloon();

// The tray icon's balloon with the text (cut to 255 characters), or with
// string baseId + LanguageBase.
void ShowTrayBalloon(const char *text);
void ShowLocalBalloon(UINT baseId);

#endif
