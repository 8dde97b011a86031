// The process list's whole-process operations on the real Zorvane: End process
// tree on helper trees (an older process under a reused parent id, children
// started while the tree ends), Suspend and Resume with the tray submenu across
// a restart, and the filter and path columns as the list shows them.
#include <windows.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <tlhelp32.h>

#include <initializer_list>

#include "actions/identity.h"
#include "check.h"
#include "liftrun/liftrun_tree.h"
#include "harness.h"
#include "process_list_support.h"

namespace {

const DWORD Timeout = 30000;

// One running Zorvane, in English, with its process list open.
struct TreeSession {
    Program zorvane;
    HWND main = nullptr, dialog = nullptr;
    RemoteListView list;

    bool start() {
        ResetZorvaneRegistry();
        SetPreferenceDword("Langage", 1033);
        return StartZorvane("", &zorvane, &main) && WaitZorvaneLoop(main) && openList();
    }
    bool openList() {
        PostMessageA(main, WM_COMMAND, 207, 0);
        dialog = WaitForProcessDialog(zorvane.pid(), nullptr, Timeout, 1007);
        return dialog && list.open(GetDlgItem(dialog, 1007));
    }
    int row(DWORD processId) const { return list.rowOfProcess(processId); }
    // Selects the process's row alone, once it is listed.
    bool selectOnly(DWORD processId) const {
        if (!WaitFor([&] { return row(processId) >= 0; }, Timeout)) return false;
        list.selectNone();
        return list.select(row(processId), true) && list.selected(row(processId));
    }
    bool press(DWORD processId, int button) const {
        if (!selectOnly(processId)) return false;
        PressDialogButton(dialog, button);
        return true;
    }
    bool refresh() const {
        PressDialogButton(dialog, 1012);
        return WaitFor([&] { return list.count() > 0; }, Timeout);
    }
    // Answers the confirmation of a tree kill after checking its text.
    bool confirmTree(const char *root, int count) const {
        MessageBoxReading box;
        if (!WaitForMessageBox(zorvane.pid(), Timeout, &box)) return false;
        char expected[300];
        snprintf(expected, sizeof expected, "Kill %s and every process started under it (%d processes in all)?",
                 root, count);
        bool same = strcmp(box.text, expected) == 0;
        if (!same) printf("    box says \"%s\", expected \"%s\"\n", box.text, expected);
        AnswerMessageBox(box.box, IDYES);
        return same && WaitWindowGone(box.box, Timeout);
    }
};

// The window with the keyboard focus on the window's thread (any process), or 0.
HWND FocusOf(HWND window) {
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    return GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info) ? info.hwndFocus : nullptr;
}

bool Running(DWORD processId) {
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, processId);
    if (!process) return false;
    bool running = WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
    CloseHandle(process);
    return running;
}

// Ids of the running processes whose recorded parent is the id.
int ChildrenOf(DWORD parentId, DWORD *children, int capacity) {
    int count = 0;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry))
        if (entry.th32ParentProcessID == parentId && Running(entry.th32ProcessID) && count < capacity)
            children[count++] = entry.th32ProcessID;
    CloseHandle(snapshot);
    return count;
}

void TempFile(const char *name, char *out, int capacity) {
    char folder[MAX_PATH];
    GetTempPathA(sizeof folder, folder);
    snprintf(out, capacity, "%s%s_%lu.txt", folder, name, GetCurrentProcessId());
    DeleteFileA(out);
}

LONGLONG FileSize(const char *path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path, GetFileExInfoStandard, &data)) return -1;
    return (static_cast<LONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

bool Grows(const char *path) {
    LONGLONG before = FileSize(path);
    return WaitFor([&] { return FileSize(path) > before; }, Timeout);
}

// Starts proc_tree_helper.exe in the role; with a file name, file gets the
// path of that (emptied) file in the temporary folder, handed to the helper.
bool StartTreeHelper(const char *role, const char *fileName, char *file, Program *program) {
    char arguments[MAX_PATH + 64];
    if (fileName) TempFile(fileName, file, MAX_PATH);
    snprintf(arguments, sizeof arguments, "%lu %s %s", GetCurrentProcessId(), role, fileName ? file : "");
    return StartProgram("proc_tree_helper.exe", arguments, program);
}

int SuspendedValues() {
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, "software\\Zorvane\\Zorvane\\SuspendedPrograms", 0, KEY_READ, &key))
        return 0;
    DWORD count = 0;
    RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count, nullptr, nullptr, nullptr,
                     nullptr);
    RegCloseKey(key);
    return static_cast<int>(count);
}

}  // namespace

TEST_CASE(tree_kill_ends_the_tree_and_not_an_older_process_under_a_reused_parent_id) {
    // root -> branch -> leaf, and root -> orphaner -> leaf, the orphaner gone
    // and its id then given to an unrelated, newer process.
    char file[MAX_PATH];
    Program root;
    CHECK(StartTreeHelper("tree", "zv_tree", file, &root));
    DWORD orphanerId = 0, orphanId = 0;
    CHECK(WaitFor([&] {
        FILE *in = fopen(file, "r");
        if (!in) return false;
        bool read = fscanf(in, "%lu %lu", &orphanerId, &orphanId) == 2;
        fclose(in);
        return read;
    }, Timeout));
    DWORD branch[4], leaf[4];
    CHECK(WaitFor([&] { return ChildrenOf(root.pid(), branch, 4) == 1 && ChildrenOf(branch[0], leaf, 4) == 1; },
                  Timeout));
    Program newer;
    char idle[32];
    snprintf(idle, sizeof idle, "%lu", GetCurrentProcessId());
    CHECK(StartProgramOnId(orphanerId, "proc_idle_helper.exe", idle, &newer));

    TreeSession session;
    CHECK(session.start());
    // The newer process's tree is itself alone: the older orphan is no child of it.
    CHECK(session.press(newer.pid(), 1014));
    CHECK(session.confirmTree("proc_idle_helper.exe", 1));
    CHECK(newer.waitExit(Timeout));
    CHECK(WaitFor([&] { return session.row(newer.pid()) < 0; }, Timeout));
    CHECK(Running(orphanId));

    // The root's tree, through the Programmes menu's command: root, branch and its leaf.
    CHECK(session.selectOnly(root.pid()));
    PostMessageA(session.dialog, WM_COMMAND, 220, 0);
    CHECK(session.confirmTree("proc_tree_helper.exe", 3));
    CHECK(root.waitExit(Timeout));
    CHECK(WaitFor([&] { return !Running(branch[0]) && !Running(leaf[0]); }, Timeout));
    CHECK(Running(orphanId));
    CHECK(Running(session.zorvane.pid()));
    DeleteFileA(file);
}

TEST_CASE(children_started_while_the_tree_ends_are_caught) {
    Program root;
    CHECK(StartTreeHelper("spawnroot", nullptr, nullptr, &root));
    DWORD spawner[4], leaves[64];
    CHECK(WaitFor([&] { return ChildrenOf(root.pid(), spawner, 4) == 1 && ChildrenOf(spawner[0], leaves, 64) >= 3; },
                  Timeout));
    TreeSession session;
    CHECK(session.start());
    CHECK(session.press(root.pid(), 1014));
    // The count named is the tree as first found; the spawner goes on meanwhile.
    MessageBoxReading box;
    CHECK(WaitForMessageBox(session.zorvane.pid(), Timeout, &box));
    CHECK(strncmp(box.text, "Kill proc_tree_helper.exe and every process", 43) == 0);
    DWORD seenAtQuestion = ChildrenOf(spawner[0], leaves, 64);
    CHECK(WaitFor([&] { return ChildrenOf(spawner[0], leaves, 64) > static_cast<int>(seenAtQuestion); }, Timeout));
    AnswerMessageBox(box.box, IDYES);
    CHECK(root.waitExit(Timeout));
    CHECK(WaitFor([&] { return CountProcesses("proc_tree_helper.exe") == 0; }, Timeout));
}

TEST_CASE(suspend_stops_a_program_and_the_tray_resumes_it_after_a_restart) {
    char file[MAX_PATH];
    Program ticker;
    CHECK(StartTreeHelper("ticker", "zv_ticker", file, &ticker));
    CHECK(Grows(file));

    TreeSession session;
    CHECK(session.start());
    CHECK(session.press(ticker.pid(), 1015));
    char status[64] = "";
    CHECK(WaitFor([&] { return session.list.cell(session.row(ticker.pid()), 4, status, sizeof status) &&
                               strcmp(status, "Suspended") == 0; }, Timeout));
    CHECK_EQ(1, SuspendedValues());
    LONGLONG frozen = FileSize(file);
    PumpMessages(600);  // a window long enough for many ticks
    CHECK_EQ(frozen, FileSize(file));
    // Refresh reads the state back from the system.
    CHECK(session.refresh());
    CHECK(WaitFor([&] { return session.list.cell(session.row(ticker.pid()), 4, status, sizeof status) &&
                               strcmp(status, "Suspended") == 0; }, Timeout));

    // Zorvane quits and comes back; the tray's submenu still has the program.
    PostMessageA(session.dialog, WM_COMMAND, IDCANCEL, 0);
    CHECK(WaitWindowGone(session.dialog, Timeout));
    PostMessageA(session.main, WM_COMMAND, 202, 0);
    CHECK(session.zorvane.waitExit(Timeout));
    CHECK_EQ(frozen, FileSize(file));
    CHECK(StartZorvane("", &session.zorvane, &session.main) && WaitZorvaneLoop(session.main));
    PostMessageA(session.main, WM_USER, 1, WM_RBUTTONDOWN);
    DWORD pid = session.zorvane.pid();
    CHECK(WaitFor([&] { return FindVisibleMenu(pid) != nullptr; }, Timeout));
    // Quit, then (over the separator) the suspended programs, its first entry.
    for (WORD key : {VK_UP, VK_UP, VK_RIGHT, VK_RETURN}) PressKey(key);
    CHECK(Grows(file));
    CHECK(WaitFor([] { return SuspendedValues() == 0; }, Timeout));
    DeleteFileA(file);
}

TEST_CASE(filter_path_and_status_as_the_list_shows_them) {
    ProgramGroup helpers;
    Program *first = helpers.startIdleHelper();
    Program *second = helpers.startIdleHelper();
    Program leafProgram, *leaf = &leafProgram;
    CHECK(first && second && StartTreeHelper("leaf", nullptr, nullptr, leaf));
    TreeSession session;
    CHECK(session.start());
    char text[512], expected[MAX_PATH];
    CHECK(session.list.header(4, text, sizeof text));
    CHECK_STR("Status", text);
    CHECK(session.list.header(5, text, sizeof text));
    CHECK_STR("Path", text);
    CHECK(WaitFor([&] { return session.row(first->pid()) >= 0 && session.row(leaf->pid()) >= 0; }, Timeout));
    BinPath("proc_idle_helper.exe", expected, sizeof expected);
    CHECK(session.list.cell(session.row(first->pid()), 5, text, sizeof text));
    CHECK(_stricmp(text, expected) == 0);
    CHECK(session.list.cell(session.row(first->pid()), 4, text, sizeof text));
    CHECK_STR("", text);
    // A window whose program no longer reads its messages.
    Program hung;
    CHECK(StartTreeHelper("hung", nullptr, nullptr, &hung));
    CHECK(WaitFor([&] { return FindProcessTopWindow(hung.pid(), nullptr, "ZvHung") != nullptr; }, Timeout));
    CHECK(session.refresh());
    CHECK(WaitFor([&] { return session.row(hung.pid()) >= 0; }, Timeout));
    CHECK(session.list.cell(session.row(hung.pid()), 4, text, sizeof text));
    CHECK_STR("Not responding", text);

    // Typed in capitals: the rows whose name holds "idle_h" stay, the selected one selected.
    CHECK(session.list.select(session.row(first->pid()), true));
    HWND filter = GetDlgItem(session.dialog, 1017);
    ClickControl(filter);
    CHECK(WaitFor([&] { return FocusOf(filter) == filter; }, Timeout));
    KeyDown(VK_SHIFT);
    for (WORD key : {'I', 'D', 'L', 'E'}) PressKey(key);
    KeyUp(VK_SHIFT);
    CHECK(WaitFor([&] { return session.row(leaf->pid()) < 0; }, Timeout));
    CHECK(session.row(second->pid()) >= 0);
    CHECK(session.list.selected(session.row(first->pid())));
    CHECK(!session.list.selected(session.row(second->pid())));
    for (int row = 0; row < session.list.count(); ++row) {
        CHECK(session.list.cell(row, 0, text, sizeof text));
        CHECK(strstr(_strlwr(text), "idle") != nullptr);
    }
    // Refresh keeps the filter; Escape in the box clears it and leaves the dialog open.
    CHECK(session.refresh());
    CHECK(session.row(first->pid()) >= 0 && session.row(leaf->pid()) < 0);
    ClickControl(filter);
    CHECK(WaitFor([&] { return FocusOf(filter) == filter; }, Timeout));
    PressKey(VK_ESCAPE);
    CHECK(WaitFor([&] { return session.row(leaf->pid()) >= 0; }, Timeout));
    CHECK(IsWindowVisible(session.dialog));
    CHECK_EQ(0, GetWindowTextLengthA(filter));
    // Escape again, the box empty, closes the dialog as ever.
    PressKey(VK_ESCAPE);
    CHECK(WaitWindowGone(session.dialog, Timeout));
}

TEST_CASE(liftrun_ends_only_the_listed_members_that_are_still_the_ones_named) {
    ProgramGroup helpers;
    Program *listed = helpers.startIdleHelper();
    Program *replaced = helpers.startIdleHelper();
    CHECK(listed && replaced);
    CreationTime created = CurrentProcessCreationTime(listed->pid(), nullptr);
    CreationTime other = CurrentProcessCreationTime(replaced->pid(), nullptr) + 1;
    CHECK(created != 0);
    char list[200];
    // An item without its creation time, one that is no item, one named with
    // another creation time, and the one to end.
    snprintf(list, sizeof list, "%lu,x:1,%lu:%llu,%lu:%llu", replaced->pid(), replaced->pid(), other, listed->pid(),
             created);
    CHECK(IsKillTreeVerb("-KillTree") && !IsKillTreeVerb("-killps"));
    CHECK(EndListedProcesses(list));
    CHECK(listed->waitExit(Timeout));
    CHECK(Running(replaced->pid()));
}

TEST_CASE(a_tree_whose_root_windows_needs_is_left_whole) {
    // Wine's services.exe lies in the system folder: the guard keeps it, and
    // with it the services it started.
    DWORD services = 0;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry))
        if (_stricmp(entry.szExeFile, "services.exe") == 0) services = entry.th32ProcessID;
    CloseHandle(snapshot);
    DWORD children[16];
    CHECK(services != 0);
    int childCount = ChildrenOf(services, children, 16);
    CHECK(childCount > 0);
    TreeSession session;
    CHECK(session.start());
    CHECK(session.press(services, 1014));
    MessageBoxReading box;
    CHECK(WaitForMessageBox(session.zorvane.pid(), Timeout, &box));
    AnswerMessageBox(box.box, IDYES);
    CHECK(WaitWindowGone(box.box, Timeout));
    // The guard asks before it ends what Windows needs: No keeps the whole tree.
    MessageBoxReading warning;
    CHECK(WaitForMessageBox(session.zorvane.pid(), Timeout, &warning));
    CHECK(strstr(warning.text, "services.exe") != nullptr);
    AnswerMessageBox(warning.box, IDNO);
    CHECK(WaitWindowGone(warning.box, Timeout));
    CHECK(WaitFor([&] { return session.list.count() > 0 && !session.list.selected(session.row(services)); }, Timeout));
    CHECK(Running(services));
    for (int i = 0; i < childCount; ++i) CHECK(Running(children[i]));
}
