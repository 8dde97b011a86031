// Test harness: starts and stops the programs under test, waits on conditions
// with bounded timeouts, resets the registry, drives the pointer and keyboard,
// and reads screen pixels.
#ifndef ZV_HARNESS_H
#define ZV_HARNESS_H

#include <windows.h>

// A started program; Stop() ends it if it still runs and closes its handles.
struct Program {
    PROCESS_INFORMATION info;
    bool running() const;
    DWORD pid() const { return info.dwProcessId; }
    // Waits for the exit; true when it ended within the time (code filled).
    bool waitExit(DWORD timeoutMs, DWORD *exitCode = nullptr);
    void stop();
};

// Path of a file beside the test program (the build's bin folder).
void BinPath(const char *fileName, char *out, int capacity);

// Starts bin\<exe> with the arguments; false when it cannot be started.
bool StartProgram(const char *exe, const char *arguments, Program *program);

// Starts Zorvane.exe with the arguments and waits for its main window.
bool StartZorvane(const char *arguments, Program *program, HWND *mainWindow,
                  DWORD timeoutMs = 20000);

// Zorvane's hidden main window ("ZORVANE" / "Zorvane") in the process, or 0.
HWND FindZorvaneWindow(DWORD processId);

// A visible or hidden top-level window of the process with the class (or any
// class when null) and title (any when null), or 0.
HWND FindProcessTopWindow(DWORD processId, const char *className, const char *title);

// Polls the condition every 20 ms until it holds or the time runs out.
bool WaitUntil(bool (*condition)(void *), void *context, DWORD timeoutMs);
template <typename F> bool WaitFor(F f, DWORD timeoutMs) {
    return WaitUntil([](void *c) { return (*static_cast<F *>(c))(); }, &f, timeoutMs);
}

// Lets this thread's own windows handle their messages for a while.
void PumpMessages(DWORD milliseconds);

// Deletes HKCU\software\Zorvane and the "Zorvane" Run value.
void ResetZorvaneRegistry();
bool SetPreferenceDword(const char *name, DWORD value);
// The raw value, or false when absent.
bool GetPreferenceDword(const char *name, DWORD *value);

// Pointer and keyboard through SendInput.
void MovePointer(int x, int y);
void MouseButton(bool left, bool down);
void Click(bool left = true);
void KeyDown(WORD virtualKey);
void KeyUp(WORD virtualKey);
void PressKey(WORD virtualKey);
// Releases every key and button a test may have left down.
void ReleaseAllInput();
// Win+Alt+X (or other modifiers) through SendInput.
void PressHotKey(bool win = true, bool alt = true, bool ctrl = false, bool shift = false);

// The window holding the mouse capture on the window's thread (any process), or 0.
HWND CaptureWindowOf(HWND window);

// The screen pixel, read through the screen's drawing context.
COLORREF ScreenPixel(int x, int y);

// Makes Wine report another Windows version ("win2k", "winxp", "winxp64",
// "nt40", "win98"...) to programs named exeName while it lives.
class WineVersionOverride {
public:
    WineVersionOverride(const char *exeName, const char *version);
    ~WineVersionOverride();
    bool ok() const { return ok_; }

private:
    char keyPath[MAX_PATH];
    bool ok_;
};

#endif
