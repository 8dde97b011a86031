// Process rows in-process: cell formats, the PID round trip, the snapshot fill,
// the statistics, and sorting with the column callbacks and the direction toggle.
#include <windows.h>
#include <commctrl.h>
#include <stdlib.h>
#include <string.h>
#include <tlhelp32.h>

#include "check.h"
#include "harness.h"
#include "process_list_support.h"
#include "processes/process_dialog.h"
#include "processes/process_stats.h"

namespace {

// A hidden window holding a report list view with the ascending-sort style
// and the four columns, as the dialog has it.
struct TestList {
    HWND parent = nullptr;
    HWND list = nullptr;
    TestList() {
        INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_LISTVIEW_CLASSES};
        InitCommonControlsEx(&controls);
        parent = CreateWindowExA(0, "STATIC", "rows", WS_OVERLAPPED, 0, 0, 600, 400, nullptr, nullptr,
                                 GetModuleHandleA(nullptr), nullptr);
        list = CreateWindowExA(0, WC_LISTVIEWA, "", WS_CHILD | LVS_REPORT | LVS_SORTASCENDING, 0, 0, 580,
                               380, parent, nullptr, GetModuleHandleA(nullptr), nullptr);
        for (int column = 0; column < 4; ++column) {
            LVCOLUMNA entry;
            ZeroMemory(&entry, sizeof entry);
            entry.mask = LVCF_WIDTH | LVCF_SUBITEM;
            entry.cx = 80;
            entry.iSubItem = column;
            SendMessageA(list, LVM_INSERTCOLUMNA, column, reinterpret_cast<LPARAM>(&entry));
        }
    }
    ~TestList() { DestroyWindow(parent); }
    int count() const { return static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0)); }
    void cell(int row, int column, char *out) const { ReadProcessCell(list, row, column, out); }
    int rowOf(DWORD pid) const {
        char wanted[32], text[ProcessTextCapacity];
        FormatProcessId(pid, wanted);
        for (int row = 0; row < count(); ++row) {
            cell(row, 1, text);
            if (strcmp(text, wanted) == 0) return row;
        }
        return -1;
    }
    // The column's texts joined with '|', in row order.
    void column(int column, char *out, int capacity) const {
        out[0] = 0;
        char text[ProcessTextCapacity];
        for (int row = 0; row < count(); ++row) {
            cell(row, column, text);
            if (row) strncat(out, "|", capacity - strlen(out) - 1);
            strncat(out, text, capacity - strlen(out) - 1);
        }
    }
    void sort(int column, bool reversed) const {
        ProcessSortSpec spec = {list, column, column == 1 || column == 3};
        SortProcessRows(list, reversed ? CompareProcessRowsReversed : CompareProcessRows, &spec);
    }
    // Sorts by one column and gives another's texts joined in the new row order.
    const char *sorted(int by, bool reversed, int shown, char *out, int capacity) const {
        sort(by, reversed);
        column(shown, out, capacity);
        return out;
    }
};

int CountSnapshotEntries() {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return -1;
    PROCESSENTRY32 entry;
    entry.dwSize = sizeof entry;
    int count = 0;
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
        ++count;
        entry.dwSize = sizeof entry;
    }
    CloseHandle(snapshot);
    return count;
}

}  // namespace

TEST_CASE(cpu_time_cells_match_worked_values) {
    static const struct { DWORD ms; const char *text; } values[] = {
        {0, "00:00:00.000"},          {999, "00:00:00.999"},         {3723004, "01:02:03.004"},
        {359999999, "99:59:59.999"},  {360000000, "100:00:00.000"},  {4294967295u, "1193:02:47.295"},
    };
    char text[ProcessCellCapacity];
    for (const auto &value : values) {
        FormatCpuTime(value.ms, text);
        CHECK_STR(value.text, text);
    }
}

TEST_CASE(working_set_cells_match_worked_values) {
    static const struct { DWORD bytes; const char *text; } values[] = {
        {0, "0 K"},          {1023, "0 K"},           {1024, "1 K"},
        {1022976, "999 K"},  {1024000, "1 000 K"},    {12293120, "12 005 K"},
        {1023998976, "999 999 K"}, {1024000000, "1 000 000 K"}, {1264196608, "1 234 567 K"},
        {4294967295u, "4 194 303 K"},
    };
    char text[ProcessCellCapacity];
    for (const auto &value : values) {
        FormatWorkingSet(value.bytes, text);
        CHECK_STR(value.text, text);
    }
}

TEST_CASE(pid_text_round_trips_every_id) {
    static const struct { DWORD id; const char *text; } values[] = {
        {0, "0"}, {4, "4"}, {2147483647u, "2147483647"}, {2147483648u, "-2147483648"},
        {0x80001234u, "-2147478988"}, {4294967295u, "-1"},
    };
    char text[ProcessCellCapacity];
    for (const auto &value : values) {
        FormatProcessId(value.id, text);
        CHECK_STR(value.text, text);
        CHECK_EQ(value.id, ParseProcessId(text));
    }
    // Through a row: the PID cell is where the dialog reads the id back from.
    TestList rows;
    AddProcessRow(rows.list, 0x80000004u, "high.exe", 0, 0);
    AddProcessRow(rows.list, 0xFFFFFFF0u, "higher.exe", 0, 0);
    CHECK_EQ(0, rows.rowOf(0x80000004u));
    CHECK_EQ(1, rows.rowOf(0xFFFFFFF0u));
    char cell[ProcessTextCapacity];
    rows.cell(1, 1, cell);
    CHECK_EQ(0xFFFFFFF0u, ParseProcessId(cell));
}

TEST_CASE(added_rows_have_four_cells_and_come_in_name_order) {
    TestList rows;
    AddProcessRow(rows.list, 300, "gamma.exe", 3723004, 1264196608);
    AddProcessRow(rows.list, 100, "alpha.exe", 0, 1023);
    AddProcessRow(rows.list, 200, "beta.exe", 4294967295u, 1024000);
    char joined[512];
    rows.column(0, joined, sizeof joined);
    CHECK_STR("alpha.exe|beta.exe|gamma.exe", joined);
    rows.column(1, joined, sizeof joined);
    CHECK_STR("100|200|300", joined);
    rows.column(2, joined, sizeof joined);
    CHECK_STR("00:00:00.000|1193:02:47.295|01:02:03.004", joined);
    rows.column(3, joined, sizeof joined);
    CHECK_STR("0 K|1 000 K|1 234 567 K", joined);
    // Text only: no item data rides on the row.
    LVITEMA item;
    ZeroMemory(&item, sizeof item);
    item.mask = LVIF_PARAM;
    item.iItem = 1;
    item.lParam = 77;
    CHECK(SendMessageA(rows.list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item)));
    CHECK_EQ(0, item.lParam);
    CHECK_STR("x.exe", ExecutableDisplayName("C:\\dir\\sub\\x.exe"));
    CHECK_STR("y.exe", ExecutableDisplayName("y.exe"));
}

TEST_CASE(numeric_columns_sort_by_value) {
    TestList rows;
    AddProcessRow(rows.list, 10, "a.exe", 0, 1024000);        // 1 000 K
    AddProcessRow(rows.list, 9, "b.exe", 0, 1022976);         // 999 K
    AddProcessRow(rows.list, 0x80000000u, "c.exe", 0, 2048000000u);  // 2 000 000 K
    AddProcessRow(rows.list, 100, "d.exe", 0, 2047998976u);   // 1 999 999 K
    AddProcessRow(rows.list, 7, "e.exe", 0, 4294967295u);     // 4 194 303 K
    AddProcessRow(rows.list, 8, "f.exe", 0, 0);               // 0 K
    char joined[512];
    CHECK_STR("0 K|999 K|1 000 K|1 999 999 K|2 000 000 K|4 194 303 K",
              rows.sorted(3, false, 3, joined, sizeof joined));
    CHECK_STR("4 194 303 K|2 000 000 K|1 999 999 K|1 000 K|999 K|0 K",
              rows.sorted(3, true, 3, joined, sizeof joined));
    CHECK_STR("-2147483648|7|8|9|10|100", rows.sorted(1, false, 1, joined, sizeof joined));
    CHECK_EQ(9990, NumericCellKey("999 K"));
    CHECK_EQ(100000, NumericCellKey("1 000 K"));
    CHECK_EQ(4019403030LL, NumericCellKey("4 194 303 K"));
    CHECK_EQ(-12, NumericCellKey("-12"));
    CHECK_EQ(0, NumericCellKey(" -12"));  // the blank reads as a digit 0
}

TEST_CASE(text_columns_sort_without_regard_to_case) {
    TestList rows;
    AddProcessRow(rows.list, 1, "beta.exe", 360000000, 0);   // 100:00:00.000
    AddProcessRow(rows.list, 2, "ALPHA.EXE", 359999999, 0);  // 99:59:59.999
    AddProcessRow(rows.list, 3, "Gamma.exe", 999, 0);
    AddProcessRow(rows.list, 4, "alpha2.exe", 3723004, 0);
    char joined[512];
    CHECK_STR("ALPHA.EXE|alpha2.exe|beta.exe|Gamma.exe", rows.sorted(0, false, 0, joined, sizeof joined));
    CHECK_STR("Gamma.exe|beta.exe|alpha2.exe|ALPHA.EXE", rows.sorted(0, true, 0, joined, sizeof joined));
    // The selection moves with its row, and no item data stays on the rows.
    LVITEMA item;
    ZeroMemory(&item, sizeof item);
    item.stateMask = LVIS_SELECTED;
    item.state = LVIS_SELECTED;
    SendMessageA(rows.list, LVM_SETITEMSTATE, 1, reinterpret_cast<LPARAM>(&item));  // beta.exe
    CHECK_STR("00:00:00.999|01:02:03.004|100:00:00.000|99:59:59.999",
              rows.sorted(2, false, 2, joined, sizeof joined));
    CHECK_EQ(2, SendMessageA(rows.list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
    CHECK_EQ(1, SendMessageA(rows.list, LVM_GETSELECTEDCOUNT, 0, 0));
    for (int row = 0; row < rows.count(); ++row) {
        ZeroMemory(&item, sizeof item);
        item.mask = LVIF_PARAM;
        item.iItem = row;
        item.lParam = 77;
        CHECK(SendMessageA(rows.list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item)));
        CHECK_EQ(0, item.lParam);
    }
}

TEST_CASE(sorting_keeps_the_order_of_equal_cells) {
    // Eleven rows, so that the merge works on runs of 1, 2, 4 and 8 rows with
    // uneven ends; three working sets, each shared by several rows.
    TestList rows;
    const char *const names[] = {"a", "b", "c", "d", "e", "f", "g", "h", "i", "j", "k"};
    const DWORD kilobytes[] = {3, 1, 2, 1, 3, 2, 1, 3, 2, 1, 3};
    for (int i = 0; i < 11; ++i) AddProcessRow(rows.list, i + 1, names[i], 0, kilobytes[i] * 1024);
    char joined[512];
    CHECK_STR("b|d|g|j|c|f|i|a|e|h|k", rows.sorted(3, false, 0, joined, sizeof joined));
    CHECK_STR("a|e|h|k|c|f|i|b|d|g|j", rows.sorted(3, true, 0, joined, sizeof joined));
}

TEST_CASE(direction_toggle_flips_on_every_click_across_columns) {
    TestList rows;
    AddProcessRow(rows.list, 20, "b.exe", 2000, 2048);
    AddProcessRow(rows.list, 10, "a.exe", 1000, 1024);
    AddProcessRow(rows.list, 30, "c.exe", 3000, 3072);
    char joined[512];
    // No column click has happened in this process yet: the first sorts descending.
    CHECK(NextProcessSortDescending());
    SortProcessList(rows.list, 0);
    rows.column(0, joined, sizeof joined);
    CHECK_STR("c.exe|b.exe|a.exe", joined);
    CHECK(!NextProcessSortDescending());
    SortProcessList(rows.list, 1);
    rows.column(1, joined, sizeof joined);
    CHECK_STR("10|20|30", joined);
    // The toggle belongs to the program, not to a list: a new list goes on from it.
    TestList other;
    AddProcessRow(other.list, 1, "x.exe", 0, 1024);
    AddProcessRow(other.list, 2, "y.exe", 0, 4096);
    SortProcessList(other.list, 3);
    other.column(3, joined, sizeof joined);
    CHECK_STR("4 K|1 K", joined);
    SortProcessList(other.list, 3);
    other.column(3, joined, sizeof joined);
    CHECK_STR("1 K|4 K", joined);
    CHECK(NextProcessSortDescending());
}

TEST_CASE(statistics_of_own_process_and_of_missing_one) {
    // Use some processor time so that the figure is above zero.
    volatile unsigned spin = 0;
    DWORD start = GetTickCount();
    while (GetTickCount() - start < 150) spin = spin + 1;
    DWORD cpu = 0, workingSet = 0;
    QueryProcessStats(GetCurrentProcessId(), &cpu, &workingSet);
    CHECK(cpu > 0);
    CHECK(workingSet > 100 * 1024);
    // A process that cannot be opened leaves both values as the caller set them.
    cpu = 77;
    workingSet = 88;
    QueryProcessStats(0xFFFFFFF8u, &cpu, &workingSet);
    CHECK_EQ(77, cpu);
    CHECK_EQ(88, workingSet);
}

TEST_CASE(fill_lists_every_snapshot_entry) {
    ProgramGroup helpers;
    Program *first = helpers.startIdleHelper();
    Program *second = helpers.startIdleHelper();
    CHECK(first && second);
    TestList rows;
    AddProcessRow(rows.list, 1, "stale.exe", 0, 0);
    int filled = 0, before = 0, after = 0;
    // Other processes may come or go during a fill: compare on a quiet moment.
    for (int attempt = 0; attempt < 5; ++attempt) {
        before = CountSnapshotEntries();
        filled = FillProcessList(rows.list);
        after = CountSnapshotEntries();
        if (before == after) break;
    }
    CHECK_EQ(before, after);
    CHECK_EQ(before, filled);
    CHECK_EQ(filled, rows.count());
    CHECK_EQ(-1, rows.rowOf(1));
    int firstRow = rows.rowOf(first->pid()), secondRow = rows.rowOf(second->pid());
    CHECK(firstRow >= 0 && secondRow >= 0 && firstRow != secondRow);
    char name[ProcessTextCapacity];
    rows.cell(firstRow, 0, name);
    CHECK_STR("proc_idle_helper.exe", name);
    rows.cell(secondRow, 0, name);
    CHECK_STR("proc_idle_helper.exe", name);
    int own = rows.rowOf(GetCurrentProcessId());
    CHECK(own >= 0);
    rows.cell(own, 0, name);
    CHECK_STR("test_process_stats.exe", name);
    char cell[ProcessTextCapacity];
    rows.cell(own, 3, cell);
    CHECK(strcmp(cell, "0 K") != 0);
    char previous[ProcessTextCapacity] = "";
    for (int row = 0; row < rows.count(); ++row) {
        rows.cell(row, 0, name);
        CHECK(strchr(name, '\\') == nullptr);
        CHECK(lstrcmpiA(previous, name) <= 0);
        strcpy(previous, name);
    }
}
