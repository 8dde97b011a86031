// Drives the process list dialog of a running Zorvane from the test process:
// list-view requests whose records live in Zorvane's own memory, the dialog
// and failure-box look-ups, and helper processes that end with the test.
#ifndef ZV_PROCESS_LIST_SUPPORT_H
#define ZV_PROCESS_LIST_SUPPORT_H

#include <windows.h>

#include "dialogs.h"
#include "harness.h"

// A list view of another process, read and changed through a buffer that is
// allocated in that process (the list view dereferences the record there).
struct RemoteListView {
    HWND listView = nullptr;
    HANDLE process = nullptr;
    char *remote = nullptr;

    bool open(HWND window);
    void close();
    ~RemoteListView() { close(); }

    int count() const;
    // The cell text, empty when the row or column is missing.
    bool cell(int row, int column, char *out, int capacity) const;
    // The same read as UTF-16, whatever code page the two programs have.
    bool cellWide(int row, int column, WCHAR *out, int capacity) const;
    bool header(int column, char *out, int capacity) const;
    int columnWidth(int column) const;
    bool selected(int row) const;
    // The row's bounds in screen coordinates, after scrolling it into view.
    bool itemRect(int row, RECT *screen) const;
    bool select(int row, bool on) const;
    void selectNone() const;
    // Row whose PID cell is the id, or -1.
    int rowOfProcess(DWORD processId) const;
    int rowsNamed(const char *name) const;
    // True when the column's texts are in order by the comparison (-1 descending).
    bool ordered(int column, int direction, int (*compare)(const char *, const char *)) const;

private:
    LRESULT send(UINT message, WPARAM wParam, const void *record, int size) const;
    // Copies out the text that the last request wrote into the remote buffer.
    bool remoteText(char *out, int capacity) const;
};

// Programs that are stopped together when the group goes out of scope.
struct ProgramGroup {
    Program programs[24];
    int count = 0;
    Program *start(const char *exe, const char *arguments);
    // A proc_window_helper.exe with the title, once its window exists.
    Program *startWindowHelper(const char *title, HWND *window);
    Program *startIdleHelper();
    void stopAll();
    ~ProgramGroup() { stopAll(); }
};

// Zorvane's process list dialog (a dialog holding control 1007), or 0.
inline HWND FindProcessListDialog(DWORD zorvaneId) { return FindProcessDialog(zorvaneId, nullptr, 1007); }

// How many process list dialogs the process shows.
inline int CountProcessListDialogs(DWORD zorvaneId) { return CountProcessDialogs(zorvaneId, true, 1007); }

// A failure box of Zorvane (a box captioned "Zorvane"), or 0.
inline HWND FindFailureBox(DWORD zorvaneId) { return FindZorvaneBox(zorvaneId); }

// The message text of a failure box.
inline void FailureBoxText(HWND box, char *out, int capacity) { MessageBoxText(box, out, capacity); }

// Waits for a failure box, checks nothing; returns it or 0 after the time.
HWND WaitForFailureBox(DWORD zorvaneId, DWORD timeoutMs);

// Answers a failure box with Cancel (or OK) and waits until it is gone.
bool DismissFailureBox(HWND box);

// Clicks the header of a list-view column (columns of the given widths).
void ClickColumnHeader(HWND listView, int column);

#endif
