// Test support for the application shell: a stand-in for the shell's tray window
// that records every notify-icon call, a guard that puts back the http "open"
// command, Zorvane started until its loop runs and closed, and the end of a capture.
#ifndef ZV_SHELL_SUPPORT_H
#define ZV_SHELL_SUPPORT_H

#include <windows.h>
#include <shellapi.h>

#include "dialogs.h"
#include "harness.h"

// One notify-icon call as the shell's tray window received it.
struct TrayCall {
    DWORD message;  // NIM_ADD, NIM_MODIFY, NIM_DELETE...
    HWND window;
    UINT id;
    UINT flags;
    UINT callbackMessage;
    char tip[128];
    char info[256];
    char infoTitle[64];
    DWORD infoFlags;
    UINT timeout;
    UINT iconWidth;  // 0 when no icon picture came along
};

// Stands in for the shell's tray window ("Shell_TrayWnd") while it lives:
// Shell_NotifyIcon in any process of the session hands its record to the topmost
// window of that class as WM_COPYDATA (the message in dwData, the caller's window
// in wParam), so the calls of a started Zorvane arrive here. Calls are recorded
// while this thread pumps messages (WaitFor does). Answers TRUE to every call.
class FakeTray {
public:
    enum { Capacity = 64 };
    FakeTray();
    ~FakeTray();
    // True when this window is the one Shell_NotifyIcon reaches.
    bool active() const;
    // True when a notify-icon call of this thread's own arrives here now: the
    // calls of a program started meanwhile are being recorded. The probe call
    // is not kept.
    bool watched();
    int count() const { return count_; }
    const TrayCall &call(int index) const { return calls_[index]; }
    // Number of calls with this message from the window (any window when 0).
    int countOf(DWORD message, HWND window = nullptr) const { return countSince(0, message, window); }
    int countSince(int from, DWORD message, HWND window) const;
    // The first or last call with this message from the window, or null.
    const TrayCall *first(DWORD message, HWND window = nullptr) const;
    const TrayCall *last(DWORD message, HWND window = nullptr) const;
    // Waits until a call with this message from the window has been recorded.
    bool waitFor(DWORD message, HWND window, DWORD timeoutMs);
    // Posts the tray refresh timer (5000) to Zorvane's main window and waits for
    // the NIM_ADD it causes: every message posted to the window before it has
    // been handled by then. Tray mode, after start-up only.
    bool fence(HWND mainWindow, DWORD timeoutMs = 10000);
    // The same right after a start, calls from index `from` on: every add after
    // the start's first one comes from the message loop, so start-up is over
    // once there are two.
    bool startFence(int from, HWND mainWindow, DWORD timeoutMs);
    void clear() { count_ = 0; }

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void record(DWORD message, const void *data, DWORD size);
    HWND window_;
    TrayCall calls_[Capacity];
    int count_;
};

// While it lives, the shell's "open" of an http address starts the helper
// program shell_url_recorder.exe, which stores the address it was given; the
// previous command is put back at the end.
class UrlOpenRecorder {
public:
    UrlOpenRecorder();
    ~UrlOpenRecorder();
    bool ok() const { return ok_; }
    // Waits for an opened address and copies it out (quotes removed).
    bool waitOpened(char *address, int capacity, DWORD timeoutMs);
    // Forgets the address recorded so far.
    void clear();

private:
    char previous[1024];
    DWORD previousSize;
    bool hadPrevious;
    bool ok_;
};

// Registry place where shell_url_recorder.exe stores the address it received.
#define ZV_RECORDER_KEY "Software\\ZorvaneShellTest"
#define ZV_RECORDER_VALUE "Opened"

// Starts Zorvane.exe and waits until its message loop runs. With a tray (tray
// mode) that is the tray's fence, so start-up is over and every notify-icon call
// of it has been recorded; without one, an answered WM_NULL (which start-up may
// also answer while it waits on a call of its own).
bool StartZorvaneReady(const char *arguments, Program *program, HWND *mainWindow,
                       FakeTray *tray = nullptr);

// Posts WM_CLOSE to the main window and waits for the exit; code filled.
bool CloseAndWait(Program &program, HWND mainWindow, DWORD *exitCode);

// Posts WM_RBUTTONDOWN to the window (ends a running capture) and waits until
// the thread holds no capture.
bool EndCaptureOf(HWND window, DWORD timeoutMs = 5000);

#endif
