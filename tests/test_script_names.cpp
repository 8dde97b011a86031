// Names in every script with the Zorvane.exe that set-up stamps (UTF-8 as its
// code page): programs named in Cyrillic, CJK and beyond the Basic Multilingual
// Plane in the process list, and a Zorvane run from folders so named, whose
// logon entry, Retry and update check must use its real path. The hidden
// windows submenu is built in this test program, which runs with UTF-8 too, and
// Liftrun shows a message so written.
#include <windows.h>
#include <stdio.h>
#include <string.h>
#include <wchar.h>

#include <initializer_list>
#include <tlhelp32.h>

#include "actions_support.h"
#include "check.h"
#include "harness.h"
#include "http_server.h"
#include "process_list_support.h"
#include "resource_ids.h"
#include "script_names_support.h"
#include "shell/hidden_windows.h"
#include "shell/settings.h"

namespace {

const DWORD Timeout = 20000;

// Eighty CJK characters: under MAX_PATH characters, over 260 bytes in UTF-8.
void LongCjkName(WCHAR *out) {
    for (int i = 0; i < 80; ++i) out[i] = static_cast<WCHAR>(0x65E5 + i % 7);
    out[80] = 0;
}

bool StartHelper(const WideFolder &folder, const char *utf8Name, Program *program) {
    WCHAR name[MAX_PATH], path[MAX_PATH], arguments[32];
    Wide(utf8Name, name, MAX_PATH);
    folder.file(name, path);
    swprintf(arguments, 32, L"%lu", GetCurrentProcessId());
    return folder.copyFromBin("proc_idle_helper.exe", name) && StartProgramW(path, arguments, program);
}

bool CellIs(const RemoteListView &list, int row, const char *utf8Name) {
    WCHAR expected[MAX_PATH], seen[MAX_PATH];
    Wide(utf8Name, expected, MAX_PATH);
    if (row >= 0 && list.cellWide(row, 0, seen, MAX_PATH) && wcscmp(seen, expected) == 0) return true;
    printf("    row %d does not read %s\n", row, utf8Name);
    return false;
}

// The "Zorvane" Run value as the system holds it, in UTF-16.
bool RunValueWide(WCHAR *out, DWORD capacity) {
    DWORD size = capacity * sizeof(WCHAR);
    return RegGetValueW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Run", L"Zorvane",
                        RRF_RT_REG_SZ, nullptr, out, &size) == ERROR_SUCCESS;
}

// Runs "-p" of the folder's Zorvane, ticks the logon entry and presses OK. The
// action stored before (Hide, as an older Zorvane wrote it) must show checked.
bool SetLogonFromPreferences(const WideFolder &folder, Program *zorvane) {
    HWND main = nullptr;
    SetPreferenceDword("Methode", IDC_RADIO_HIDE);
    if (!StartZorvaneIn(folder, L"-p", zorvane, &main)) return false;
    HWND dialog = WaitForProcessDialog(zorvane->pid(), nullptr, Timeout, IDC_RUN_AT_LOGON);
    if (!dialog || IsDlgButtonChecked(dialog, IDC_RADIO_HIDE) != BST_CHECKED) return false;
    SendDlgItemMessageA(dialog, IDC_RUN_AT_LOGON, BM_SETCHECK, BST_CHECKED, 0);
    PressDialogButton(dialog, IDOK);
    return true;
}

bool LogonNamesZorvaneIn(const WideFolder &folder) {
    Program zorvane;
    if (!SetLogonFromPreferences(folder, &zorvane) || !zorvane.waitExit(Timeout)) return false;
    WCHAR expected[MAX_PATH + 2], path[MAX_PATH], value[2 * MAX_PATH];
    folder.file(L"Zorvane.exe", path);
    swprintf(expected, MAX_PATH + 2, L"\"%ls\"", path);
    if (RunValueWide(value, 2 * MAX_PATH) && wcscmp(value, expected) == 0) return true;
    printf("    the logon entry does not name the program's path\n");
    return false;
}

// Ids of the running processes with the image name.
int ProcessesNamed(const WCHAR *name, DWORD *ids, int capacity) {
    int count = 0;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32W entry;
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot, &entry); more && count < capacity;
         more = Process32NextW(snapshot, &entry))
        if (lstrcmpiW(entry.szExeFile, name) == 0) ids[count++] = entry.th32ProcessID;
    CloseHandle(snapshot);
    return count;
}

// The folder's Zorvane started with its process list open, in English.
bool OpenListIn(const WideFolder &folder, Program *zorvane, HWND *dialog, RemoteListView *list) {
    ResetZorvaneRegistry();
    SetPreferenceDword("Langage", 1033);
    HWND main = nullptr;
    if (!StartZorvaneIn(folder, L"-l", zorvane, &main)) return false;
    *dialog = WaitForProcessDialog(zorvane->pid(), nullptr, Timeout, IDC_PROCESS_LIST);
    return *dialog && list->open(GetDlgItem(*dialog, IDC_PROCESS_LIST));
}

}  // namespace

TEST_CASE(process_list_shows_and_sorts_names_of_every_script) {
    WideFolder programs(L"Журнал 日本語 😀"), home(L"zv");
    CHECK(StampZorvaneIn(home));
    const char *names[] = {"Журнал.exe", "日本語.exe", "😀 émoji.exe", "альфа.exe", "Бета.exe", "ВЕГА.exe"};
    Program helpers[6];
    for (int i = 0; i < 6; ++i) CHECK(StartHelper(programs, names[i], &helpers[i]));
    Program zorvane;
    HWND dialog = nullptr;
    RemoteListView list;
    CHECK(OpenListIn(home, &zorvane, &dialog, &list));
    for (int i = 0; i < 6; ++i) CHECK(CellIs(list, list.rowOfProcess(helpers[i].pid()), names[i]));

    // The first click sorts descending, with case folded in Cyrillic too: byte
    // order would put the small "а" (D0 B0) after the capitals (D0 91, D0 92).
    ClickColumnHeader(list.listView, 0);
    CHECK(WaitFor([&] {
        int alpha = list.rowOfProcess(helpers[3].pid()), beta = list.rowOfProcess(helpers[4].pid()),
            vega = list.rowOfProcess(helpers[5].pid());
        return vega >= 0 && vega < beta && beta < alpha;
    }, Timeout));
}

TEST_CASE(hidden_windows_submenu_shows_names_and_cuts_titles_whole) {
    CHECK_EQ(CP_UTF8, GetACP());  // this program runs as the stamped Zorvane does
    CHECK(PrepareInProcessZorvane(1033, 6));
    ResetZorvaneRegistry();
    SetSettingsKey("Zorvane");
    WideFolder programs(L"日本語");
    CHECK(programs.copyWithUtf8("proc_window_helper.exe", L"日本語.exe"));
    // A title of 100 Cyrillic letters, each two bytes in UTF-8.
    char title[512] = "", arguments[600];
    for (int i = 0; i < 100; ++i) strcat(title, i % 2 ? "ж" : "Я");
    snprintf(arguments, sizeof arguments, "%lu %s", GetCurrentProcessId(), title);
    WCHAR wideArguments[600], path[MAX_PATH];
    Wide(arguments, wideArguments, 600);
    programs.file(L"日本語.exe", path);
    Program helper;
    CHECK(StartProgramW(path, wideArguments, &helper));
    DWORD pid = helper.pid();
    HWND window = nullptr;
    // Found once shown: a window being made is still hidden, and Zorvane leaves a hidden one alone.
    CHECK(WaitFor([&] {
        window = FindProcessTopWindow(pid, "ZvProcWindowHelper", nullptr);
        return window && IsWindowVisible(window);
    }, Timeout));
    CHECK(HideAndRemember(window));

    HMENU tray = CreatePopupMenu(), submenu = CreatePopupMenu();
    AppendMenuA(tray, MF_POPUP, reinterpret_cast<UINT_PTR>(submenu), "Hidden windows");
    FillHiddenWindowsMenu(tray);
    CHECK_EQ(3, GetMenuItemCount(submenu));
    // 57 whole letters and "...": 60 characters.
    char expected[512] = "日本語.exe - ";
    for (int i = 0; i < 57; ++i) strcat(expected, i % 2 ? "ж" : "Я");
    strcat(expected, "...");
    WCHAR wideExpected[512], item[512] = L"";
    Wide(expected, wideExpected, 512);
    GetMenuStringW(submenu, 0, item, 512, MF_BYPOSITION);
    CHECK(wcscmp(item, wideExpected) == 0);
    DestroyMenu(tray);
    ShowWindow(window, SW_SHOW);
    ResetZorvaneRegistry();
}

TEST_CASE(logon_entry_names_the_real_path_or_is_not_written) {
    WCHAR cjk[81];
    LongCjkName(cjk);
    WideFolder named(L"Журнал 日本語 😀"), parent(L"zv"), deep(cjk, &parent);
    CHECK(StampZorvaneIn(named) && StampZorvaneIn(deep));
    for (const WideFolder *folder : {&named, &deep}) {
        ResetZorvaneRegistry();
        SetPreferenceDword("Langage", 1033);
        CHECK(LogonNamesZorvaneIn(*folder));
        DWORD method = 0;
        CHECK(GetPreferenceDword("Methode", &method) && method == IDC_RADIO_HIDE);
    }

    // Unstamped, as on Windows before 1903: the path has no narrow form, so
    // no entry is written and Preferences says so.
    WideFolder plain(L"Журнал");
    CHECK(plain.copyFromBin("Zorvane.exe", L"Zorvane.exe"));
    ResetZorvaneRegistry();
    SetPreferenceDword("Langage", 1033);
    Program zorvane;
    CHECK(SetLogonFromPreferences(plain, &zorvane));
    MessageBoxReading reading;
    CHECK(WaitForMessageBox(zorvane.pid(), Timeout, &reading));
    CHECK_STR("Launching Zorvane at startup could not be set.", reading.text);
    AnswerMessageBox(reading.box, IDOK);
    CHECK(zorvane.waitExit(Timeout));
    WCHAR value[2 * MAX_PATH];
    CHECK(!RunValueWide(value, 2 * MAX_PATH));
}

TEST_CASE(retry_starts_the_liftrun_beside_zorvane_never_the_one_above) {
    WCHAR cjk[81];
    LongCjkName(cjk);
    WideFolder parent(L"zv"), deep(cjk, &parent);
    CHECK(StampZorvaneIn(deep));
    CHECK(parent.copyFromBin("Liftrun.exe", L"Liftrun.exe"));  // the one a cut path would find
    ActionTarget target;
    CHECK(StartActionTarget("ZvProtectedRow", 100, 100, 300, 200, "protect", &target));
    Program zorvane;
    HWND dialog = nullptr;
    RemoteListView list;
    CHECK(OpenListIn(deep, &zorvane, &dialog, &list));
    int row = list.rowOfProcess(target.program.pid());
    CHECK(row >= 0 && list.select(row, true));
    ClickControl(dialog, IDC_PROCESS_KILL);  // refused: the target's rights deny it
    HWND box = WaitForFailureBox(zorvane.pid(), Timeout);
    CHECK(box);
    AnswerMessageBox(box, IDRETRY);

    DWORD ids[8];
    int count = 0;
    CHECK(WaitFor([&] { return (count = ProcessesNamed(L"Liftrun.exe", ids, 8)) > 0; }, Timeout));
    WCHAR expected[MAX_PATH], seen[MAX_PATH];
    deep.file(L"Liftrun.exe", expected);
    for (int i = 0; i < count; ++i) {
        ProcessImagePathW(ids[i], seen, MAX_PATH);
        CHECK(wcscmp(seen, expected) == 0);
    }
    // Liftrun failed too and waits on its box: ended now, so its folder can go.
    for (int i = 0; i < count; ++i) {
        HANDLE liftrun = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, ids[i]);
        if (liftrun && TerminateProcess(liftrun, 0)) WaitForSingleObject(liftrun, Timeout);
        if (liftrun) CloseHandle(liftrun);
    }
}

TEST_CASE(update_check_reads_its_own_version_from_such_a_folder) {
    WCHAR cjk[81];
    LongCjkName(cjk);
    WideFolder parent(L"zv"), deep(cjk, &parent);
    CHECK(StampZorvaneIn(deep));
    // The loopback server as the proxy, carrying the built-in https:// address
    // on to a loopback site trusted for the test.
    dlg::TestHttpServer server;
    CHECK(server.start());
    dlg::TestTlsSite site;
    char host[128];
    dlg::SiteHost(host, sizeof host);
    CHECK(site.start(host) && site.trust());
    CHECK(site.setBodyText("<PROGRAM_VERSION>0.9</PROGRAM_VERSION>"));
    server.tunnelTo(site.port());
    ResetZorvaneRegistry();
    SetPreferenceDword("Langage", 1033);
    char proxy[64];
    snprintf(proxy, sizeof proxy, "http://127.0.0.1:%d", server.port());
    SetEnvironmentVariableA("http_proxy", proxy);
    Program zorvane;
    HWND main = nullptr;
    bool started = StartZorvaneIn(deep, L"", &zorvane, &main);
    SetEnvironmentVariableA("http_proxy", nullptr);
    CHECK(started);
    PostMessageA(main, WM_COMMAND, IDC_CMD_CHECK_UPDATE, 0);
    MessageBoxReading reading;
    CHECK(WaitForMessageBox(zorvane.pid(), Timeout, &reading));
    CHECK_EQ(1, server.requests());
    CHECK_STR("Zorvane is up to date.", reading.text);  // a failure says it could not check
    AnswerMessageBox(reading.box, IDOK);
}

// Liftrun has the same code page: the message Zorvane hands it comes back whole.
TEST_CASE(liftrun_shows_a_message_in_every_script) {
    Program liftrun;
    CHECK(StartProgram("Liftrun.exe", "-killps -1 Журнал 日本語 😀", &liftrun));
    MessageBoxReading reading;
    CHECK(WaitForMessageBox(liftrun.pid(), Timeout, &reading));
    CHECK_STR("Журнал 日本語 😀 ", reading.text);
    AnswerMessageBox(reading.box, IDOK);
    CHECK(liftrun.waitExit(Timeout));
}
