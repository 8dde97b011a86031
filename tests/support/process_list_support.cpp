// Driving the process list dialog of a running Zorvane from the test process.
#include "process_list_support.h"

#include <commctrl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

namespace {

const int RemoteSize = 4096;
const int RemoteTextOffset = 1024;  // records sit at the start, texts behind them

}  // namespace

bool RemoteListView::open(HWND window) {
    close();
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    if (!process) return false;
    remote = static_cast<char *>(VirtualAllocEx(process, nullptr, RemoteSize, MEM_COMMIT | MEM_RESERVE,
                                                PAGE_READWRITE));
    listView = window;
    return remote != nullptr;
}

void RemoteListView::close() {
    if (remote) VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    if (process) CloseHandle(process);
    remote = nullptr;
    process = nullptr;
    listView = nullptr;
}

LRESULT RemoteListView::send(UINT message, WPARAM wParam, const void *record, int size) const {
    if (!remote) return -1;
    SIZE_T written = 0;
    if (record && !WriteProcessMemory(process, remote, record, size, &written)) return -1;
    DWORD_PTR result = static_cast<DWORD_PTR>(-1);
    if (!SendMessageTimeoutA(listView, message, wParam, record ? reinterpret_cast<LPARAM>(remote) : 0,
                             SMTO_NORMAL, 5000, &result))
        return -1;
    return static_cast<LRESULT>(result);
}

int RemoteListView::count() const {
    return static_cast<int>(send(LVM_GETITEMCOUNT, 0, nullptr, 0));
}

bool RemoteListView::cell(int row, int column, char *out, int capacity) const {
    out[0] = 0;
    LVITEMA item;
    ZeroMemory(&item, sizeof item);
    item.iSubItem = column;
    item.pszText = remote + RemoteTextOffset;
    item.cchTextMax = 255;
    return send(LVM_GETITEMTEXTA, row, &item, sizeof item) >= 0 && remoteText(out, capacity);
}

bool RemoteListView::cellWide(int row, int column, WCHAR *out, int capacity) const {
    out[0] = 0;
    LVITEMW item;
    ZeroMemory(&item, sizeof item);
    item.iSubItem = column;
    item.pszText = reinterpret_cast<WCHAR *>(remote + RemoteTextOffset);
    item.cchTextMax = (RemoteSize - RemoteTextOffset) / sizeof(WCHAR);
    if (send(LVM_GETITEMTEXTW, row, &item, sizeof item) < 0 || capacity <= 0) return false;
    SIZE_T read = 0;
    int units = capacity < item.cchTextMax ? capacity : item.cchTextMax;
    if (!ReadProcessMemory(process, remote + RemoteTextOffset, out, units * sizeof(WCHAR), &read)) return false;
    out[units - 1] = 0;
    return true;
}

bool RemoteListView::header(int column, char *out, int capacity) const {
    out[0] = 0;
    LVCOLUMNA entry;
    ZeroMemory(&entry, sizeof entry);
    entry.mask = LVCF_TEXT;
    entry.pszText = remote + RemoteTextOffset;
    entry.cchTextMax = 255;
    return send(LVM_GETCOLUMNA, column, &entry, sizeof entry) && remoteText(out, capacity);
}

bool RemoteListView::remoteText(char *out, int capacity) const {
    char text[256] = {0};
    SIZE_T read = 0;
    if (!ReadProcessMemory(process, remote + RemoteTextOffset, text, 255, &read)) return false;
    snprintf(out, capacity, "%s", text);
    return true;
}

int RemoteListView::columnWidth(int column) const {
    return static_cast<int>(send(LVM_GETCOLUMNWIDTH, column, nullptr, 0));
}

bool RemoteListView::selected(int row) const {
    DWORD_PTR state = 0;
    SendMessageTimeoutA(listView, LVM_GETITEMSTATE, row, LVIS_SELECTED, SMTO_NORMAL, 5000, &state);
    return (state & LVIS_SELECTED) != 0;
}

bool RemoteListView::itemRect(int row, RECT *screen) const {
    DWORD_PTR ignored = 0;
    SendMessageTimeoutA(listView, LVM_ENSUREVISIBLE, row, FALSE, SMTO_NORMAL, 5000, &ignored);
    RECT bounds = {LVIR_BOUNDS, 0, 0, 0};
    if (!send(LVM_GETITEMRECT, row, &bounds, sizeof bounds)) return false;
    SIZE_T read = 0;
    if (!ReadProcessMemory(process, remote, &bounds, sizeof bounds, &read)) return false;
    MapWindowPoints(listView, nullptr, reinterpret_cast<POINT *>(&bounds), 2);
    *screen = bounds;
    return true;
}

bool RemoteListView::select(int row, bool on) const {
    LVITEMA item;
    ZeroMemory(&item, sizeof item);
    item.stateMask = LVIS_SELECTED;
    item.state = on ? LVIS_SELECTED : 0;
    return send(LVM_SETITEMSTATE, row, &item, sizeof item) == TRUE;
}

void RemoteListView::selectNone() const { select(-1, false); }

int RemoteListView::rowOfProcess(DWORD processId) const {
    char wanted[32], text[256];
    snprintf(wanted, sizeof wanted, "%d", static_cast<int>(processId));
    int rows = count();
    for (int row = 0; row < rows; ++row)
        if (cell(row, 1, text, sizeof text) && strcmp(text, wanted) == 0) return row;
    return -1;
}

int RemoteListView::rowsNamed(const char *name) const {
    char text[256];
    int rows = count(), found = 0;
    for (int row = 0; row < rows; ++row)
        if (cell(row, 0, text, sizeof text) && lstrcmpiA(text, name) == 0) ++found;
    return found;
}

bool RemoteListView::ordered(int column, int direction, int (*compare)(const char *, const char *)) const {
    char previous[256], text[256];
    int rows = count();
    if (rows < 2) return false;
    cell(0, column, previous, sizeof previous);
    for (int row = 1; row < rows; ++row) {
        cell(row, column, text, sizeof text);
        if (compare(previous, text) * direction > 0) return false;
        strcpy(previous, text);
    }
    return true;
}

Program *ProgramGroup::start(const char *exe, const char *arguments) {
    if (count >= 24) return nullptr;
    Program *program = &programs[count];
    if (!StartProgram(exe, arguments, program)) return nullptr;
    ++count;
    return program;
}

Program *ProgramGroup::startWindowHelper(const char *title, HWND *window) {
    char arguments[128];
    snprintf(arguments, sizeof arguments, "%lu %s", GetCurrentProcessId(), title);
    Program *program = start("proc_window_helper.exe", arguments);
    *window = nullptr;
    if (!program) return nullptr;
    DWORD pid = program->pid();
    WaitFor([&] { return (*window = FindProcessTopWindow(pid, "ZvProcWindowHelper", title)) != nullptr; },
            20000);
    return *window && WaitWindowShown(*window) ? program : nullptr;
}

Program *ProgramGroup::startIdleHelper() {
    char arguments[32];
    snprintf(arguments, sizeof arguments, "%lu", GetCurrentProcessId());
    return start("proc_idle_helper.exe", arguments);
}

void ProgramGroup::stopAll() {
    for (int i = 0; i < count; ++i) programs[i].stop();
    count = 0;
}

HWND WaitForFailureBox(DWORD zorvaneId, DWORD timeoutMs) {
    HWND box = nullptr;
    WaitFor([&] { return (box = FindFailureBox(zorvaneId)) != nullptr; }, timeoutMs);
    return box;
}

bool DismissFailureBox(HWND box) {
    PressDialogButton(box, GetDlgItem(box, IDCANCEL) ? IDCANCEL : IDOK);
    return WaitWindowGone(box, 10000);
}

void ClickColumnHeader(HWND listView, int column) {
    HWND header = FindWindowExA(listView, nullptr, "SysHeader32", nullptr);
    RECT rect;
    GetWindowRect(header ? header : listView, &rect);
    int x = rect.left;
    for (int i = 0; i < column; ++i)
        x += static_cast<int>(SendMessageA(listView, LVM_GETCOLUMNWIDTH, i, 0));
    x += static_cast<int>(SendMessageA(listView, LVM_GETCOLUMNWIDTH, column, 0)) / 2;
    MovePointer(x, header ? (rect.top + rect.bottom) / 2 : rect.top + 8);
    Click(true);
}
