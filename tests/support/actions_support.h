// Support for the action and Liftrun tests: the action target program and
// Zorvane's state set up inside the test process with a user-interface thread
// of its own. Message boxes are found, read and answered through dialogs.h.
#ifndef ZV_ACTIONS_SUPPORT_H
#define ZV_ACTIONS_SUPPORT_H

#include <windows.h>

#include "dialogs.h"
#include "selection/target.h"
#include "harness.h"

// Exit codes of action_target.exe (a terminated process leaves 0).
enum {
    TargetFrameClosed = 10,
    TargetWorkerClosed = 11,
    TargetWorkerQuit = 20,
    TargetWorkerKilled = 30,
    TargetMainQuit = 40
};

// A started action_target.exe with its windows; ended when it goes out of scope.
struct ActionTarget {
    Program program;
    HWND frame = nullptr;   // main-thread window (the "Ghost" window in that mode)
    HWND worker = nullptr;  // worker-thread window, 0 in the ghost and alone modes
    DWORD mainThread = 0;
    DWORD workerThread = 0;
    void stop() { program.stop(); }
};

// Starts the target (exe beside the tests unless a full path is given) and waits
// for its windows. mode: "", "protect", "ghost", "alone", "framehost" or
// "storeapp" (frame: the app's content window inside the host's frame).
bool StartActionTarget(const char *title, int x, int y, int w, int h, const char *mode, ActionTarget *target,
                       const char *exePath = nullptr);

// The "Windows.UI.Core.CoreWindow" child of the app inside the store app frame
// titled title, or 0.
HWND StoreAppContent(DWORD appId, const char *title);

// The process's exit code once it ended within the time, else -1.
long WaitExitCode(Program &program, DWORD timeoutMs);

// Full image path of a running process, empty when it cannot be read.
void ProcessImagePath(DWORD processId, char *out, int capacity);

// Converts a UTF-8 literal to the ANSI code page the programs see.
void Utf8ToAnsi(const char *utf8, char *out, int capacity);

// Zorvane's state in this process: strings from Zorvane.exe (loaded as data),
// the language from a locale id, the system major version (platform NT), and
// the system's OpenThread. False when Zorvane.exe cannot be loaded.
bool PrepareInProcessZorvane(LONG localeId, DWORD majorVersion);

// Runs job on a new thread that owns App().mainWindow (of the ZORVANE window
// procedure) meanwhile and counts the BCM_SETSHIELD messages sent to Retry buttons.
struct UiThread {
    HANDLE thread;
    void (*job)(void *);
    void *context;
    volatile LONG done;
    bool finish(DWORD timeoutMs);  // waits for the job and closes the thread
};
bool StartUiThread(void (*job)(void *), void *context, UiThread *ui);

// One action on a target, carried out by RunActionJob (a UiThread job).
struct ActionJob {
    LONG action;
    TargetWindow target;
    bool result;
};
void RunActionJob(void *context);
LONG ShieldMessagesSeen();
void ResetShieldMessagesSeen();

// A Zorvane.exe started from a clean registry (no balloon) with the action
// setting "Methode" and the language "Langage"; stopped at the end of the scope.
struct ZorvaneSession {
    Program program;
    HWND main = nullptr;
    ~ZorvaneSession() { quit(); }
    // Quits through the menu command when it still runs (the hot key is given
    // back before it ends), else ends the process.
    void quit();
    bool start(const char *arguments, LONG method, LONG locale = 1033);
    // How a capture is started: command 204 posted to the main window (the
    // same StartCapture as the hot key, without keys that could mix with the
    // modifiers a test holds), Win+Alt+X, or nothing ("-x" started one).
    enum Start { ByCommand, ByHotKey, Started };
    // Moves the pointer into the window below its label, starts a capture and
    // waits until the window is outlined in the colour.
    bool captureOver(HWND window, COLORREF colour, Start start = ByCommand);
    bool ends(DWORD timeoutMs = 15000) { return program.waitExit(timeoutMs); }
};

// Colour of the outline for an action.
COLORREF ActionColour(LONG action);

// A thread id and a process id (0 when it did not end in time) that existed and
// have ended, and a destroyed window.
DWORD EndedThreadId();
DWORD EndedProcessId();
HWND DestroyedWindow();

#endif
