// The process list dialog: opening with its columns, sorting, the context
// menu, Refresh, and the routing of the five operations.
#include "processes/process_dialog.h"

#include <commctrl.h>

#include "processes/process_stats.h"
#include "resources/resource_ids.h"
#include "shell/application.h"
#include "shell/display_scale.h"
#include "shell/winutil.h"

namespace {

struct ProcessColumn {
    UINT headerString;
    int width;
};

const ProcessColumn Columns[6] = {
    {IDS_COLUMN_PROCESS, 146},
    {IDS_COLUMN_PID, 64},
    {IDS_COLUMN_CPU_TIME, 83},
    {IDS_COLUMN_WORKING_SET, 96},
    {IDS_COLUMN_STATUS, 96},
    {IDS_COLUMN_PATH, 320},
};
const int ColumnCount = sizeof Columns / sizeof Columns[0];

}  // namespace

namespace {

HWND ListOf(HWND dialog) { return GetDlgItem(dialog, IDC_PROCESS_LIST); }

// The widths are pixels at DefaultDpi, scaled to the list's own DPI.
void InsertColumns(HWND listView) {
    UINT dpi = WindowDpi(listView);
    for (int column = 0; column < ColumnCount; ++column) {
        char header[100];
        LoadLocalString(Columns[column].headerString, header, sizeof header);
        LVCOLUMNA entry;
        ZeroMemory(&entry, sizeof entry);
        entry.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
        entry.fmt = LVCFMT_LEFT;
        entry.cx = ScaleToDpi(Columns[column].width, dpi);
        entry.pszText = header;
        entry.iSubItem = column;
        SendMessageA(listView, LVM_INSERTCOLUMNA, column, reinterpret_cast<LPARAM>(&entry));
    }
}

void OnInitDialog(HWND dialog) {
    App().ActiveDialog = dialog;
    HWND listView = ListOf(dialog);
    // Cell texts are drawn without a background box.
    SendMessageA(listView, LVM_SETTEXTBKCOLOR, 0, static_cast<LPARAM>(CLR_NONE));
    SendMessageA(listView, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_FULLROWSELECT);
    InsertColumns(listView);
    RefillProcessList(listView, true);
}

void ShowProcessMenu(HWND dialog) {
    HMENU menu = App().ProcessMenu;
    if (!menu) return;
    POINT cursor;
    GetCursorPos(&cursor);
    TrackPopupMenu(menu, 0, cursor.x, cursor.y, 0, dialog, nullptr);
    PostMessageA(dialog, WM_NULL, 0, 0);
}

// Escape in the filter box empties it (the list shows every row again); with
// the box empty, or from anywhere else, Escape closes the dialog as ever. A
// click on Close takes the focus away from the box first.
bool ClearFilterOnEscape(HWND dialog, int command) {
    HWND filter = GetDlgItem(dialog, IDC_PROCESS_FILTER);
    if (command != IDCANCEL || !filter || GetFocus() != filter || GetWindowTextLengthA(filter) == 0) return false;
    SetWindowTextA(filter, "");
    return true;
}

void OnFilterChanged(HWND dialog) {
    char filter[ProcessFilterCapacity];
    ReadControlText(dialog, IDC_PROCESS_FILTER, filter, sizeof filter);
    FilterProcessList(ListOf(dialog), filter);
}

void OnCommand(HWND dialog, int command, int code) {
    ProcessOperation operation;
    if (ClearFilterOnEscape(dialog, command))
        return;
    else if (command == IDOK || command == IDCANCEL)
        EndDialog(dialog, command);
    else if (ProcessOperationRunning())
        return;  // a failure box of the running walk is open
    else if (command == IDC_PROCESS_REFRESH)
        RefillProcessList(ListOf(dialog));
    else if (command == IDC_PROCESS_FILTER && code == EN_CHANGE)
        OnFilterChanged(dialog);
    else if (OperationForCommand(command, &operation))
        ApplyToSelection(dialog, operation);
}

void OnNotify(HWND dialog, const NMHDR *header) {
    if (header->idFrom != IDC_PROCESS_LIST || ProcessOperationRunning()) return;
    if (header->code == LVN_COLUMNCLICK)
        SortProcessList(header->hwndFrom, reinterpret_cast<const NMLISTVIEW *>(header)->iSubItem);
    else if (header->code == NM_RCLICK)
        ShowProcessMenu(dialog);
}

}  // namespace

INT_PTR CALLBACK ProcessListDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: OnInitDialog(dialog); return TRUE;
    case WM_COMMAND: OnCommand(dialog, LOWORD(wParam), HIWORD(wParam)); return TRUE;
    case WM_NOTIFY: OnNotify(dialog, reinterpret_cast<const NMHDR *>(lParam)); return TRUE;
    case WM_CLOSE: EndDialog(dialog, 0); return TRUE;
    case WM_DESTROY: App().ActiveDialog = nullptr; return TRUE;
    default: return FALSE;
    }
}
