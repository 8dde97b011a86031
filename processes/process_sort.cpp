// Sorting of the process list by a clicked column, with the program-wide
// direction toggle.
#include "processes/process_dialog.h"

#include <commctrl.h>
#include <ctype.h>
#include <string.h>

#include "shell/code_page.h"

namespace {

// One flag for the whole program, never reset: the first click sorts descending.
bool sortDescendingNext = true;

void SetRowParam(HWND listView, int row, LPARAM value) {
    LVITEMA item;
    ZeroMemory(&item, sizeof item);
    item.mask = LVIF_PARAM;
    item.iItem = row;
    item.lParam = value;
    SendMessageA(listView, LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item));
}

// Merges the sorted runs order[begin, middle) and order[middle, end) through
// scratch; a row of the second run goes first only when it compares less, so
// equal rows keep their order.
void MergeRuns(int *order, int *scratch, int begin, int middle, int end, PFNLVCOMPARE compare,
               LPARAM sortSpec) {
    int left = begin, right = middle, out = begin;
    while (left < middle && right < end)
        scratch[out++] = compare(order[right], order[left], sortSpec) < 0 ? order[right++] : order[left++];
    while (left < middle) scratch[out++] = order[left++];
    while (right < end) scratch[out++] = order[right++];
    memcpy(order + begin, scratch + begin, (end - begin) * sizeof *order);
}

// Stable bottom-up merge sort of row indexes by the list's comparison.
void StableSortRows(int *order, int *scratch, int count, PFNLVCOMPARE compare, LPARAM sortSpec) {
    for (int width = 1; width < count; width *= 2) {
        for (int begin = 0; begin + width < count; begin += 2 * width) {
            int end = begin + 2 * width < count ? begin + 2 * width : count;
            MergeRuns(order, scratch, begin, begin + width, end, compare, sortSpec);
        }
    }
}

// Orders rows by the rank that SortProcessRows gave them.
int CALLBACK CompareRanks(LPARAM first, LPARAM second, LPARAM) {
    return first < second ? -1 : (first > second ? 1 : 0);
}

}  // namespace

void SortProcessRows(HWND listView, PFNLVCOMPARE compare, ProcessSortSpec *spec) {
    int count = static_cast<int>(SendMessageA(listView, LVM_GETITEMCOUNT, 0, 0));
    if (count < 2) return;
    // The order and the merge's scratch space, one block of two arrays.
    int *order = static_cast<int *>(HeapAlloc(GetProcessHeap(), 0, 2 * count * sizeof(int)));
    if (!order) return;
    int *scratch = order + count;
    for (int row = 0; row < count; ++row) order[row] = row;
    StableSortRows(order, scratch, count, compare, reinterpret_cast<LPARAM>(spec));
    // The rank rides on the rows only while the list view moves them (with
    // their texts, selection and focus); rows carry no item data otherwise.
    for (int rank = 0; rank < count; ++rank) SetRowParam(listView, order[rank], rank);
    SendMessageA(listView, LVM_SORTITEMS, 0, reinterpret_cast<LPARAM>(CompareRanks));
    for (int row = 0; row < count; ++row) SetRowParam(listView, row, 0);
    HeapFree(GetProcessHeap(), 0, order);
}

void ReadProcessCell(HWND listView, int row, int column, char *out) {
    out[0] = 0;
    LVITEMA item;
    ZeroMemory(&item, sizeof item);
    item.iSubItem = column;
    item.pszText = out;
    item.cchTextMax = ProcessTextCapacity;
    SendMessageA(listView, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
}

long long NumericCellKey(const char *text) {
    char digits[ProcessTextCapacity];
    strncpy(digits, text, sizeof digits - 1);
    digits[sizeof digits - 1] = 0;
    for (char *c = digits; *c; ++c)
        if (*c == ' ') *c = '0';
    // atoi's grammar: leading white space, an optional sign, decimal digits.
    const char *c = digits;
    while (isspace(static_cast<unsigned char>(*c))) ++c;
    bool negative = *c == '-';
    if (*c == '-' || *c == '+') ++c;
    long long value = 0;
    for (; isdigit(static_cast<unsigned char>(*c)) && value < 100000000000000000LL; ++c)
        value = value * 10 + (*c - '0');
    return negative ? -value : value;
}

int CALLBACK CompareProcessRows(LPARAM first, LPARAM second, LPARAM spec) {
    const ProcessSortSpec *sort = reinterpret_cast<const ProcessSortSpec *>(spec);
    char firstText[ProcessTextCapacity], secondText[ProcessTextCapacity];
    ReadProcessCell(sort->listView, static_cast<int>(first), sort->column, firstText);
    ReadProcessCell(sort->listView, static_cast<int>(second), sort->column, secondText);
    if (!sort->numeric) return CompareNamesFolded(firstText, secondText);
    long long a = NumericCellKey(firstText), b = NumericCellKey(secondText);
    return a < b ? -1 : (a > b ? 1 : 0);
}

int CALLBACK CompareProcessRowsReversed(LPARAM first, LPARAM second, LPARAM spec) {
    return -CompareProcessRows(first, second, spec);
}

bool NextProcessSortDescending() { return sortDescendingNext; }

void SortProcessList(HWND listView, int column) {
    ProcessSortSpec spec = {listView, column, column == 1 || column == 3};
    bool descending = sortDescendingNext;
    sortDescendingNext = !sortDescendingNext;
    SortProcessRows(listView, descending ? CompareProcessRowsReversed : CompareProcessRows, &spec);
}
