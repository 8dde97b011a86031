// The process list dialog: lists processes and shows, closes, quits, kills or
// hides the selected ones through their windows.
#ifndef ZORVANE_PROCESS_DIALOG_H
#define ZORVANE_PROCESS_DIALOG_H

#include <windows.h>
#include <commctrl.h>

struct TargetWindow;

struct ProcessSortSpec {
    HWND listView;
    int column;
    BOOL numeric;
};

INT_PTR CALLBACK ProcessListDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
int CALLBACK CompareProcessRows(LPARAM first, LPARAM second, LPARAM spec);
int CALLBACK CompareProcessRowsReversed(LPARAM first, LPARAM second, LPARAM spec);

// EnumWindows callback; lParam is the TargetWindow with processId set.
BOOL CALLBACK FindProcessWindow(HWND window, LPARAM lParam);

// Size of the buffers that cell texts are read into: an executable name in UTF-8.
enum { ProcessTextCapacity = 3 * MAX_PATH };

// Reads one cell of a row (empty when the row or column is missing).
void ReadProcessCell(HWND listView, int row, int column, char *out);

// Puts the rows in the order of the comparison (stable). The callback gets
// indexes of rows of the unchanged list: the order is worked out first and
// the rows are moved after, so that every comparison reads the rows it names
// (a list view that moves rows while it sorts would hand it stale indexes).
void SortProcessRows(HWND listView, PFNLVCOMPARE compare, ProcessSortSpec *spec);

// Sorts by the clicked column and flips the program-wide direction toggle:
// the first click since start sorts descending, the next ascending, and so on.
void SortProcessList(HWND listView, int column);

// True when the next column click sorts descending.
bool NextProcessSortDescending();

// Key of a numeric cell: blanks read as zeros, then the leading signed number
// (in 64 bits, so that working sets of 2 000 000 K and more keep their order).
long long NumericCellKey(const char *text);

// The operations on the selected processes: the five through their windows,
// and three on the whole process.
enum ProcessOperation {
    ProcessShow, ProcessClose, ProcessQuit, ProcessKill, ProcessHide,
    ProcessKillTree, ProcessSuspend, ProcessResume
};

// The operation of a button (1008 to 1011, 1013 to 1016) or ProcessMenu item
// (210 to 214, 220 to 222).
bool OperationForCommand(int command, ProcessOperation *operation);

// Applies the operation to every selected row in list order, removing or
// deselecting each; failures go through a failure box owned by the dialog,
// which keeps the dialog disabled meanwhile.
void ApplyToSelection(HWND dialog, ProcessOperation operation);

// True while ApplyToSelection walks the selection (a failure box may be open).
bool ProcessOperationRunning();

// Fills the list and keeps what each row's id names for the operations; the
// filter set last stays, unless it is to be cleared (a dialog that opens).
int RefillProcessList(HWND listView, bool clearFilter = false);

// Shows the listed processes whose name holds the text, case folded, without
// asking the system anew; the rows that stay keep their selection.
void FilterProcessList(HWND listView, const char *filter);

#endif
