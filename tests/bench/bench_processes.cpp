// Fill time of the process list: the whole fill and its cost per row, with the
// running processes and then with more and more idle helper processes, and
// beside it the bare system calls a fill needs (snapshots, the libraries the
// list loads for each query, opens and queries, one suspend count per process,
// one answer per window, six cells per row)
// made back to back, with the ratio of the two.
// Usage: bench_processes [largest number of helpers, default 300]
#include <windows.h>
#include <commctrl.h>
#include <stdio.h>
#include <stdlib.h>
#include <psapi.h>
#include <tlhelp32.h>

#include <algorithm>
#include <vector>

#include "harness.h"
#include "processes/process_stats.h"

namespace {

double Now() {
    static LARGE_INTEGER frequency = {};
    if (!frequency.QuadPart) QueryPerformanceFrequency(&frequency);
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return counter.QuadPart * 1000.0 / frequency.QuadPart;
}

HWND MakeListView() {
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);
    HWND parent = CreateWindowExA(0, "STATIC", "bench", WS_OVERLAPPED, 0, 0, 600, 400, nullptr, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
    HWND list = CreateWindowExA(0, WC_LISTVIEWA, "", WS_CHILD | LVS_REPORT | LVS_SORTASCENDING, 0, 0, 580, 380,
                                parent, nullptr, GetModuleHandleA(nullptr), nullptr);
    for (int column = 0; column < 6; ++column) {
        LVCOLUMNA entry = {};
        entry.mask = LVCF_WIDTH | LVCF_SUBITEM;
        entry.cx = 80;
        entry.iSubItem = column;
        SendMessageA(list, LVM_INSERTCOLUMNA, column, reinterpret_cast<LPARAM>(&entry));
    }
    return list;
}

typedef LONG(WINAPI *ThreadQuery)(HANDLE thread, ULONG infoClass, void *info, ULONG size, ULONG *returned);

BOOL CALLBACK AskWindow(HWND window, LPARAM) {
    DWORD_PTR result = 0;
    if (IsWindowVisible(window)) SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG | SMTO_BLOCK, 100, &result);
    return TRUE;
}

// The calls of one fill without anything around them. Every visible window is
// asked (a fill asks one per process: this is the upper bound).
double BareCalls(HWND list) {
    ThreadQuery query = reinterpret_cast<ThreadQuery>(
        reinterpret_cast<void *>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQueryInformationThread")));
    double start = Now();
    SendMessageA(list, LVM_DELETEALLITEMS, 0, 0);
    HANDLE threads = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    THREADENTRY32 thread = {};
    thread.dwSize = sizeof thread;
    DWORD lastOwner = 0;
    for (BOOL more = Thread32First(threads, &thread); more; more = Thread32Next(threads, &thread)) {
        if (thread.th32OwnerProcessID == lastOwner) continue;  // one thread read per process
        lastOwner = thread.th32OwnerProcessID;
        HANDLE handle = OpenThread(0x0800, FALSE, thread.th32ThreadID);
        ULONG count = 0, returned = 0;
        if (handle) query(handle, 35, &count, sizeof count, &returned), CloseHandle(handle);
    }
    CloseHandle(threads);
    EnumWindows(AskWindow, 0);
    HANDLE processes = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(processes, &entry); more; more = Process32Next(processes, &entry)) {
        HMODULE kernel = LoadLibraryA("Kernel32.DLL"), psapi = LoadLibraryA("psapi.dll");
        FreeLibrary(psapi);
        FreeLibrary(kernel);
        HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, entry.th32ProcessID);
        if (process) {
            FILETIME a, b, c, d;
            GetProcessTimes(process, &a, &b, &c, &d);
            PROCESS_MEMORY_COUNTERS counters = {};
            GetProcessMemoryInfo(process, &counters, sizeof counters);
            CloseHandle(process);
        }
        char path[MAX_PATH * 3] = "";
        process = OpenProcess(0x1000, FALSE, entry.th32ProcessID);
        if (process) {
            DWORD size = sizeof path;
            QueryFullProcessImageNameA(process, 0, path, &size);
            CloseHandle(process);
        }
        LVITEMA item = {};
        item.mask = LVIF_TEXT;
        item.pszText = entry.szExeFile;
        int index = static_cast<int>(SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
        for (int cell = 1; cell < 6; ++cell) {
            item.iItem = index;
            item.iSubItem = cell;
            item.pszText = path;
            SendMessageA(list, LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item));
        }
        entry.dwSize = sizeof entry;
    }
    CloseHandle(processes);
    return Now() - start;
}

// Median of five fills, with the statistics queries and the row inserts
// timed apart on the same processes.
void Measure(HWND list, int helpers) {
    std::vector<double> fills;
    int rows = 0;
    for (int run = 0; run < 5; ++run) {
        double start = Now();
        rows = FillProcessList(list);
        fills.push_back(Now() - start);
    }
    std::sort(fills.begin(), fills.end());
    double fill = fills[fills.size() / 2];
    std::vector<double> bares;
    for (int run = 0; run < 5; ++run) bares.push_back(BareCalls(list));
    std::sort(bares.begin(), bares.end());
    double bare = bares[bares.size() / 2];

    // The same work in two halves: statistics of every listed process, then rows.
    int count = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    std::vector<DWORD> ids(count);
    for (int row = 0; row < count; ++row) {
        char text[32];
        LVITEMA item = {};
        item.iSubItem = 1;
        item.pszText = text;
        item.cchTextMax = sizeof text;
        SendMessageA(list, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
        ids[row] = ParseProcessId(text);
    }
    double start = Now();
    for (DWORD id : ids) {
        DWORD cpu = 0, workingSet = 0;
        QueryProcessStats(id, &cpu, &workingSet);
    }
    double stats = Now() - start;
    SendMessageA(list, LVM_DELETEALLITEMS, 0, 0);
    start = Now();
    for (int row = 0; row < count; ++row) AddProcessRow(list, ids[row], "proc_idle_helper.exe", 1234, 5678 * 1024);
    double inserts = Now() - start;

    printf("%8d %6d %10.1f %12.1f %12.1f %12.1f %10.1f %8.2f\n", helpers, rows, fill, rows ? fill * 1000 / rows : 0.0,
           count ? stats * 1000 / count : 0.0, count ? inserts * 1000 / count : 0.0, bare, bare > 0 ? fill / bare : 0.0);
    fflush(stdout);
}

}  // namespace

int main(int argc, char **argv) {
    int largest = argc > 1 ? atoi(argv[1]) : 300;
    HWND list = MakeListView();
    static Program helpers[1000];
    largest = std::min(largest, 1000);
    printf("Process list fill (median of 5), with idle helper processes added\n");
    printf("%8s %6s %10s %12s %12s %12s %10s %8s\n", "helpers", "rows", "fill ms", "per row us", "stats us",
           "insert us", "bare ms", "fill/bare");
    char arguments[32];
    snprintf(arguments, sizeof arguments, "%lu", GetCurrentProcessId());
    int started = 0;
    static const int steps[] = {0, 25, 50, 100, 200, 300, 400, 600, 800, 1000};
    for (int step : steps) {
        if (step > largest) break;
        while (started < step && StartProgram("proc_idle_helper.exe", arguments, &helpers[started])) ++started;
        if (started < step) {
            printf("(no more helpers could be started after %d)\n", started);
            Measure(list, started);
            break;
        }
        Measure(list, started);
    }
    for (int i = 0; i < started; ++i) helpers[i].stop();
    return 0;
}
