// Test harness: starts and stops the programs under test, finds their windows,
// waits on conditions with bounded timeouts, resets the registry, drives the
// pointer and keyboard, reads screen pixels, and clears up after each case.
#ifndef ZV_HARNESS_H
#define ZV_HARNESS_H

#include <windows.h>

// A started program; it is ended, if it still runs, when it goes out of scope.
struct Program {
    PROCESS_INFORMATION info = {};
    Program() = default;
    Program(const Program &) = delete;
    Program &operator=(const Program &) = delete;
    ~Program() { stop(); }
    bool running() const;
    DWORD pid() const { return info.dwProcessId; }
    // Waits for the exit; true when it ended within the time (code filled).
    bool waitExit(DWORD timeoutMs, DWORD *exitCode = nullptr);
    void stop();
};

// Path of a file beside the test program (the build's bin folder).
void BinPath(const char *fileName, char *out, int capacity);

// Starts the program at the full path with the arguments, in the folder (the
// test's own current folder when null); false when it cannot be started.
bool StartProgramAt(const char *path, const char *arguments, Program *program, const char *folder = nullptr);

// Starts bin\<exe> with the arguments; false when it cannot be started.
bool StartProgram(const char *exe, const char *arguments, Program *program);

// Starts Zorvane.exe with the arguments and waits for its main window.
bool StartZorvane(const char *arguments, Program *program, HWND *mainWindow,
                  DWORD timeoutMs = 60000);

// Waits until Zorvane's message loop answers a sent WM_NULL (start-up is over).
bool WaitZorvaneLoop(HWND mainWindow, DWORD timeoutMs = 60000);

// Zorvane's hidden main window ("ZORVANE" / "Zorvane") in the process, or 0.
HWND FindZorvaneWindow(DWORD processId);

// What a search among the top-level windows looks for; null and 0 fields
// match anything.
struct WindowMatch {
    DWORD processId;       // the owning process
    bool anyProcess;       // true: windows of every process
    const char *className; // compared without case
    const char *title;     // compared exactly
    bool visibleOnly;
    int controlId;         // the window holds this control
    int withoutControlId;  // the window does not hold this control
};

// The first matching top-level window, or 0; count (when asked) gets how many match.
HWND FindTopWindow(const WindowMatch &match, int *count = nullptr);

// A visible or hidden top-level window of the process with the class (or any
// class when null) and title (any when null), or 0.
HWND FindProcessTopWindow(DWORD processId, const char *className, const char *title);

// Waits until the new window is shown and its activation has settled: a
// window shown with the system's default activation takes the foreground a
// moment later, and taking it while a click on another window is under way
// makes that click lose its button (false when it was not shown in time; the
// foreground is waited for 3 s at most, as a window may not be activated).
bool WaitWindowShown(HWND window, DWORD timeoutMs = 20000);

// Polls the condition every 20 ms until it holds or the time runs out.
bool WaitUntil(bool (*condition)(void *), void *context, DWORD timeoutMs);
template <typename F> bool WaitFor(F f, DWORD timeoutMs) {
    return WaitUntil([](void *c) { return (*static_cast<F *>(c))(); }, &f, timeoutMs);
}

// Lets this thread's own windows handle their messages for a while.
void PumpMessages(DWORD milliseconds);

// Deletes HKCU\software\Zorvane and the "Zorvane" Run value.
void ResetZorvaneRegistry();
// Values under HKCU\software\Zorvane\Zorvane\Preferences, of any type or REG_DWORD.
bool SetPreferenceRaw(const char *name, DWORD type, const void *data, DWORD size);
bool SetPreferenceDword(const char *name, DWORD value);
bool PreferenceKeyExists();
// The raw value, or false when absent.
bool GetPreferenceDword(const char *name, DWORD *value);

// Values of HKCU\...\CurrentVersion\Run, the start-at-logon entries: the
// "Zorvane" one (REG_SZ) set and read, and any value by name.
bool SetRunValue(const char *data);
// Copies the "Zorvane" value's data; false when absent. Type and size are filled.
bool GetRunValue(char *out, DWORD capacity, DWORD *type = nullptr, DWORD *size = nullptr);
bool SetRunValueRaw(const char *name, DWORD type, const void *data, DWORD size);
bool RunValueExists(const char *name);
void DeleteRunValue(const char *name);

// Pointer and keyboard through SendInput.
void MovePointer(int x, int y);
void MouseButton(bool left, bool down);
void Click(bool left = true);
// Moves the pointer to the point and waits until it has settled there, over the
// window, on two looks in a row (late pointer events may still move it, and a
// window just restored may still be on its way back).
bool PointAt(int x, int y, HWND expected);
void KeyDown(WORD virtualKey);
void KeyUp(WORD virtualKey);
void PressKey(WORD virtualKey);
// Releases every key and button a test may have left down, held keys too.
void ReleaseAllInput();
// Win+Alt+X (or other modifiers, or another key) through SendInput.
void PressHotKey(bool win = true, bool alt = true, bool ctrl = false, bool shift = false, WORD key = 'X');

// Keys held down by a test. Wine forgets injected keys when the focus moves
// (it takes the key state from the X server again), so holding is played as a
// keyboard does it: key-down again and again, like typematic repeat. The waits
// of the selection support repeat the held keys while they wait.
void HoldKeys(WORD first, WORD second = 0);
void RepeatHeldKeys();
void ReleaseHeldKeys();

// True when Win+Alt+X is free to register (no running program holds it).
// Probing registers it for an instant, so never call it while a Zorvane may be starting.
bool HotKeyIsFree();
inline bool HotKeyTaken() { return !HotKeyIsFree(); }

// The window holding the mouse capture on the window's thread (any process), or 0.
HWND CaptureWindowOf(HWND window);

// The screen pixel, read through the screen's drawing context.
COLORREF ScreenPixel(int x, int y);

// A rectangle of the screen copied at once, its pixels as 0x00RRGGBB, rows top down.
struct ScreenImage {
    int width = 0, height = 0;
    const DWORD *pixels = nullptr;
    ScreenImage() = default;
    ScreenImage(const ScreenImage &) = delete;
    ScreenImage &operator=(const ScreenImage &) = delete;
    ~ScreenImage();
    bool read(int x, int y, int w, int h);
    // A colour as the pixels hold it.
    static DWORD Pixel(COLORREF colour) {
        return (GetRValue(colour) << 16) | (GetGValue(colour) << 8) | GetBValue(colour);
    }

private:
    HBITMAP bitmap = nullptr;
};

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

// True when no process of the id can be opened any more: it ended and the
// system has let go of it (until then Wine still opens, and even terminates, it).
bool ProcessGone(DWORD processId);

// Starts bin\<exe> as a process with the id of a process that has ended, as
// the system hands ids out again. False when the id did not come round in time.
bool StartProgramOnId(DWORD wantedId, const char *exe, const char *arguments, Program *program);

// A bystander with one visible window titled "ZvBystander" (proc_window_helper.exe)
// started on the id as above; window (may be null) gets its window once shown.
bool StartBystanderOnId(DWORD wantedId, Program *program, HWND *window = nullptr);

// Number of running processes of the image name (all processes when null).
int CountProcesses(const char *exeName = nullptr);

// Wraps one test case, so that a failing check leaves nothing behind for the
// next: at its end every program started since it began from the build's bin
// folder or the temporary folder is ended (also those that Zorvane or the shell
// started), and held keys and buttons are released. The test runner makes one
// for every case.
class CaseScope {
public:
    CaseScope();
    ~CaseScope();

private:
    enum { Capacity = 1024 };
    DWORD known[Capacity];
    int knownCount;
};

#endif
