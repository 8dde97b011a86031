// The process list dialog of the real Zorvane, driven from outside: its rows,
// the five operations on helper processes with and without windows, failure
// boxes, the context menu, sorting with the direction toggle, and Refresh.
#include <windows.h>
#include <commctrl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "actions_support.h"
#include "check.h"
#include "display_support.h"
#include "harness.h"
#include "process_list_support.h"
#include "processes/process_dialog.h"

namespace {

const DWORD Timeout = 60000;  // a fill under qemu on a busy machine takes long

// One running Zorvane with its process list open, in English.
struct ListSession {
    Program zorvane;
    HWND mainWindow = nullptr;
    HWND dialog = nullptr;
    RemoteListView list;

    bool start(const char *arguments) {
        ResetZorvaneRegistry();
        SetPreferenceDword("Langage", 1033);
        if (!StartZorvane(arguments, &zorvane, &mainWindow)) return false;
        if (!*arguments) PostMessageA(mainWindow, WM_COMMAND, 207, 0);
        return waitForDialog();
    }
    bool waitForDialog() {
        dialog = WaitForProcessDialog(zorvane.pid(), nullptr, Timeout, 1007);  // the one with the list
        // Activated before the first click, which its activation could otherwise take.
        return dialog && WaitWindowShown(dialog, Timeout) && list.open(GetDlgItem(dialog, 1007));
    }
    int row(const Program *program) const { return list.rowOfProcess(program->pid()); }
    // Selects exactly the rows of the programs.
    bool selectOnly(const Program *const *programs, int count) const {
        list.selectNone();
        for (int i = 0; i < count; ++i) {
            int index = row(programs[i]);
            if (index < 0 || !list.select(index, true)) return false;
        }
        return true;
    }
    bool selectOnly(const Program *program) const { return selectOnly(&program, 1); }
    void press(int button) const { ClickControl(GetDlgItem(dialog, button)); }
    // Waits until the row has left the selection (the operation on it is done).
    bool rowSettled(const Program *program) const {
        return WaitFor([&] { int index = row(program); return index >= 0 && !list.selected(index); }, Timeout);
    }
    bool rowGone(const Program *program) const {
        return WaitFor([&] { return row(program) < 0; }, Timeout);
    }
    HWND failureBox() const { return WaitForFailureBox(zorvane.pid(), Timeout); }
    bool inFront() const { return WaitFor([&] { return GetForegroundWindow() == dialog; }, Timeout); }
    // Every message posted before this one has been handled by the dialog's thread.
    bool drained() const {
        int width = list.columnWidth(3);
        PostMessageA(list.listView, LVM_SETCOLUMNWIDTH, 3, width + 1);
        bool done = WaitFor([&] { return list.columnWidth(3) == width + 1; }, Timeout);
        PostMessageA(list.listView, LVM_SETCOLUMNWIDTH, 3, width);
        return done;
    }
    bool ended(DWORD timeoutMs = Timeout) { return zorvane.waitExit(timeoutMs); }
};

bool ExitedWith(Program *program, DWORD expected) {
    DWORD code = 12345;
    return program->waitExit(Timeout, &code) && code == expected;
}

bool BoxSays(HWND box, const char *expected) {
    char text[256];
    FailureBoxText(box, text, sizeof text);
    if (strcmp(text, expected) == 0) return true;
    printf("    failure box says \"%s\", expected \"%s\"\n", text, expected);
    return false;
}

// Names are compared as letters, with case folded in every script.
int CompareNames(const char *a, const char *b) { return lstrcmpiA(a, b); }
int CompareListOrder(const char *a, const char *b) { return lstrcmpiA(a, b); }
int ComparePids(const char *a, const char *b) { return atoi(a) < atoi(b) ? -1 : (atoi(a) > atoi(b) ? 1 : 0); }
int CompareWorkingSets(const char *a, const char *b) {
    long long x = NumericCellKey(a), y = NumericCellKey(b);
    return x < y ? -1 : (x > y ? 1 : 0);
}

// Opens ProcessMenu on the row with a right click and takes the item that
// lies the given number of steps up from the bottom of the menu (1 = "Resume").
bool ChooseFromProcessMenu(const ListSession &session, const Program *program, int stepsUp) {
    RECT bounds;
    if (!session.list.itemRect(session.row(program), &bounds)) return false;
    // Never twice on one spot: two quick right clicks there make a double click.
    static int clicks = 0;
    int x = bounds.left + 20 + 40 * (clicks++ % 4);
    MovePointer(x, (bounds.top + bounds.bottom) / 2);
    Click(false);
    DWORD pid = session.zorvane.pid();
    HWND menu = nullptr;
    WaitFor([&] { return (menu = FindVisibleMenu(pid)) != nullptr; }, Timeout);
    if (!menu) {
        printf("    no menu after the right click at %d,%ld\n", x, (bounds.top + bounds.bottom) / 2);
        return false;
    }
    for (int i = 0; i < stepsUp; ++i) PressKey(VK_UP);
    PressKey(VK_RETURN);
    if (WaitFor([&] { return !IsWindowVisible(menu); }, Timeout)) return true;
    printf("    the menu stayed open; foreground %p\n", (void *)GetForegroundWindow());
    return false;
}

// Below "Hide" stand "Kill tree", "Suspend" and "Resume" (the separator is skipped).
enum { MenuHide = 4, MenuKill = 5, MenuQuit = 6, MenuClose = 7, MenuShow = 8 };

}  // namespace

TEST_CASE(dialog_lists_processes_in_its_columns) {
    ProgramGroup helpers;
    Program *first = helpers.startIdleHelper();
    Program *second = helpers.startIdleHelper();
    HWND window;
    Program *windowed = helpers.startWindowHelper("ZvListed", &window);
    CHECK(first && second && windowed);
    ListSession session;
    CHECK(session.start("-l"));

    char text[256];
    GetWindowTextA(session.dialog, text, sizeof text);
    CHECK_STR("Process", text);
    static const char *headers[] = {"Process", "PID", "CPU Time", "Working Set"};
    static const int widths[] = {146, 64, 83, 96};
    for (int column = 0; column < 4; ++column) {
        CHECK(session.list.header(column, text, sizeof text));
        CHECK_STR(headers[column], text);
        CHECK_EQ(widths[column], session.list.columnWidth(column));
    }
    HWND listView = session.list.listView;
    CHECK_EQ(LVS_EX_FULLROWSELECT, static_cast<DWORD>(SendMessageA(listView, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0)));
    CHECK_EQ(CLR_NONE, static_cast<COLORREF>(SendMessageA(listView, LVM_GETTEXTBKCOLOR, 0, 0)));

    // Two helpers of one name: two rows, each with its own PID.
    CHECK_EQ(2, session.list.rowsNamed("proc_idle_helper.exe"));
    CHECK(session.row(first) >= 0 && session.row(second) >= 0 && session.row(first) != session.row(second));
    CHECK(session.list.cell(session.row(windowed), 0, text, sizeof text));
    CHECK_STR("proc_window_helper.exe", text);
    CHECK(session.row(&session.zorvane) >= 0);
    CHECK(session.list.rowOfProcess(GetCurrentProcessId()) >= 0);
    int hours, minutes, seconds, milliseconds;
    CHECK(session.list.cell(session.row(windowed), 2, text, sizeof text));
    CHECK_EQ(4, sscanf(text, "%d:%d:%d.%d", &hours, &minutes, &seconds, &milliseconds));
    CHECK(session.list.cell(session.row(&session.zorvane), 3, text, sizeof text));
    CHECK(strlen(text) > 2 && strcmp(text + strlen(text) - 2, " K") == 0 && strcmp(text, "0 K") != 0);
    CHECK(session.list.ordered(0, 1, CompareListOrder));

    // The caption's close box ends the dialog, and with "-l" the program.
    PostMessageA(session.dialog, WM_CLOSE, 0, 0);
    CHECK(session.ended());
}

TEST_CASE(operations_act_on_helpers_with_windows) {
    ProgramGroup helpers;
    HWND shown, closed, quitted, killed;
    Program *showHide = helpers.startWindowHelper("ZvShowHide", &shown);
    Program *close = helpers.startWindowHelper("ZvClose", &closed);
    Program *quit = helpers.startWindowHelper("ZvQuit", &quitted);
    Program *kill = helpers.startWindowHelper("ZvKill", &killed);
    CHECK(showHide && close && quit && kill);
    ListSession session;
    CHECK(session.start("-l"));

    CHECK(session.selectOnly(showHide));
    session.press(1013);  // Hide
    CHECK(WaitFor([&] { return !IsWindowVisible(shown); }, Timeout));
    CHECK(session.rowSettled(showHide));
    CHECK(session.selectOnly(showHide));
    session.press(1008);  // Show
    CHECK(WaitFor([&] { return IsWindowVisible(shown) != FALSE; }, Timeout));
    CHECK(session.rowSettled(showHide));
    CHECK(WaitFor([&] { return GetForegroundWindow() == shown; }, Timeout));
    CHECK(showHide->running());

    CHECK(session.selectOnly(close));
    session.press(1009);  // Close: WM_CLOSE to the frame window
    CHECK(ExitedWith(close, 11));
    CHECK(session.rowGone(close));

    CHECK(session.selectOnly(quit));
    session.press(1010);  // Quit: WM_QUIT to the window's thread
    CHECK(ExitedWith(quit, 0));
    CHECK(session.rowGone(quit));

    CHECK(session.selectOnly(kill));
    session.press(1011);  // Kill
    CHECK(ExitedWith(kill, 0));
    CHECK(session.rowGone(kill));
    CHECK(FindFailureBox(session.zorvane.pid()) == nullptr);

    session.press(IDCANCEL);  // the Close button ends the dialog and the program
    CHECK(session.ended());
}

TEST_CASE(operations_on_helpers_without_windows_report_failures) {
    ProgramGroup helpers;
    Program *idle = helpers.startIdleHelper();
    CHECK(idle);
    ListSession session;
    CHECK(session.start("-l"));

    // Show and Hide find nothing to act on and report nothing.
    CHECK(session.selectOnly(idle));
    session.press(1008);
    CHECK(session.rowSettled(idle));
    CHECK(session.selectOnly(idle));
    session.press(1013);
    CHECK(session.rowSettled(idle));
    CHECK(FindFailureBox(session.zorvane.pid()) == nullptr);

    // Close without a window fails: message 202, the row stays, deselected.
    CHECK(session.selectOnly(idle));
    session.press(1009);
    HWND box = session.failureBox();
    CHECK(box);
    CHECK(BoxSays(box, "Unable to close selected Window."));
    // While the box is open the dialog takes no second operation.
    CHECK(!IsWindowEnabled(session.dialog));
    PostMessageA(session.dialog, WM_COMMAND, 1011, 0);
    CHECK(session.drained());
    CHECK(idle->running());
    CHECK(DismissFailureBox(box));
    CHECK(session.rowSettled(idle));
    CHECK(WaitFor([&] { return IsWindowEnabled(session.dialog) != FALSE; }, Timeout));
    CHECK(idle->running());

    // Quit has no thread to post to: message 203.
    CHECK(session.selectOnly(idle));
    session.press(1010);
    box = session.failureBox();
    CHECK(box);
    CHECK(BoxSays(box, "Unable to quit selected Window."));
    CHECK(DismissFailureBox(box));
    CHECK(session.rowSettled(idle));

    // Kill works by the process id.
    CHECK(session.selectOnly(idle));
    session.press(1011);
    CHECK(ExitedWith(idle, 0));
    CHECK(session.rowGone(idle));

    // Enter with no button focused (command 1) ends the dialog too.
    PostMessageA(session.dialog, WM_COMMAND, IDOK, 0);
    CHECK(session.ended());
}

TEST_CASE(selection_is_handled_in_list_order_with_a_box_per_failure) {
    ProgramGroup helpers;
    Program *idle[3] = {helpers.startIdleHelper(), helpers.startIdleHelper(), helpers.startIdleHelper()};
    CHECK(idle[0] && idle[1] && idle[2]);
    ListSession session;
    CHECK(session.start("-l"));
    // Order the helpers as the list shows them.
    for (int i = 0; i < 3; ++i)
        for (int j = i + 1; j < 3; ++j)
            if (session.row(idle[j]) < session.row(idle[i])) {
                Program *swap = idle[i];
                idle[i] = idle[j];
                idle[j] = swap;
            }
    CHECK(session.selectOnly(idle, 3));
    // The first and last rows now name processes that are gone.
    DWORD gone[2] = {idle[0]->pid(), idle[2]->pid()};
    idle[0]->stop();
    idle[2]->stop();
    for (DWORD pid : gone) CHECK(WaitFor([&] { return ProcessGone(pid); }, Timeout));
    session.press(1011);

    HWND box = session.failureBox();
    CHECK(box);
    CHECK(BoxSays(box, "Unable to kill selected Window process."));
    CHECK(idle[1]->running());  // its row comes after the failing one
    CHECK(DismissFailureBox(box));
    CHECK(ExitedWith(idle[1], 0));
    box = session.failureBox();
    CHECK(box);
    CHECK(DismissFailureBox(box));
    CHECK(WaitFor([&] { return session.row(idle[1]) < 0; }, Timeout));
    for (DWORD pid : gone) {
        int row = session.list.rowOfProcess(pid);
        CHECK(row >= 0);
        CHECK(WaitFor([&] { return !session.list.selected(row); }, Timeout));
    }
    CHECK(FindFailureBox(session.zorvane.pid()) == nullptr);

    // Zorvane's own row is not protected: killing it ends the program.
    CHECK(session.selectOnly(&session.zorvane));
    session.press(1011);
    DWORD code = 12345;
    CHECK(session.zorvane.waitExit(Timeout, &code));
    CHECK_EQ(0, code);
}

TEST_CASE(context_menu_items_act_like_the_buttons) {
    ProgramGroup helpers;
    HWND window;
    Program *windowed = helpers.startWindowHelper("ZvMenu", &window);
    Program *idle = helpers.startIdleHelper();
    CHECK(windowed && idle);
    ListSession session;
    CHECK(session.start("-l"));

    CHECK(session.selectOnly(windowed));
    CHECK(ChooseFromProcessMenu(session, windowed, MenuHide));
    CHECK(WaitFor([&] { return !IsWindowVisible(window); }, Timeout));
    CHECK(session.rowSettled(windowed));
    CHECK(session.selectOnly(windowed));
    CHECK(ChooseFromProcessMenu(session, windowed, MenuShow));
    CHECK(WaitFor([&] { return IsWindowVisible(window) != FALSE; }, Timeout));
    CHECK(session.rowSettled(windowed));

    CHECK(session.selectOnly(idle));
    CHECK(ChooseFromProcessMenu(session, idle, MenuClose));
    HWND box = session.failureBox();
    CHECK(box);
    CHECK(BoxSays(box, "Unable to close selected Window."));
    CHECK(DismissFailureBox(box));
    CHECK(session.rowSettled(idle));
    CHECK(session.selectOnly(idle));
    CHECK(ChooseFromProcessMenu(session, idle, MenuKill));
    CHECK(ExitedWith(idle, 0));
    CHECK(session.rowGone(idle));

    CHECK(session.selectOnly(windowed));
    CHECK(ChooseFromProcessMenu(session, windowed, MenuQuit));
    CHECK(ExitedWith(windowed, 0));
    CHECK(session.rowGone(windowed));
    PostMessageA(session.dialog, WM_COMMAND, IDCANCEL, 0);
    CHECK(session.ended());
}

TEST_CASE(column_clicks_toggle_direction_for_the_whole_program) {
    ListSession session;
    CHECK(session.start(""));  // tray mode: the dialog can close and open again
    HWND listView = session.list.listView;
    // First click since start: descending, on the names.
    ClickColumnHeader(listView, 0);
    CHECK(WaitFor([&] { return session.list.ordered(0, -1, CompareNames); }, Timeout));

    PostMessageA(session.dialog, WM_COMMAND, IDCANCEL, 0);
    CHECK(WaitFor([&] { return !IsWindow(session.dialog); }, Timeout));
    CHECK(session.zorvane.running());
    PostMessageA(session.mainWindow, WM_COMMAND, 207, 0);
    CHECK(session.waitForDialog());
    listView = session.list.listView;

    // The open dialog is brought forward instead of a second one.
    PostMessageA(session.mainWindow, WM_COMMAND, 207, 0);
    CHECK(session.drained());
    CHECK_EQ(1, CountProcessListDialogs(session.zorvane.pid()));

    // Second click, another column, a new dialog: ascending.
    ClickColumnHeader(listView, 1);
    CHECK(WaitFor([&] { return session.list.ordered(1, 1, ComparePids); }, Timeout));
    ClickColumnHeader(listView, 3);
    CHECK(WaitFor([&] { return session.list.ordered(3, -1, CompareWorkingSets); }, Timeout));

    // Refresh brings back name order and leaves the toggle alone.
    session.press(1012);
    CHECK(WaitFor([&] { return session.list.ordered(0, 1, CompareListOrder); }, Timeout));
    ClickColumnHeader(listView, 2);
    CHECK(WaitFor([&] { return session.list.ordered(2, 1, CompareNames); }, Timeout));

    PostMessageA(session.dialog, WM_COMMAND, IDCANCEL, 0);
    CHECK(WaitFor([&] { return !IsWindow(session.dialog); }, Timeout));
    PostMessageA(session.mainWindow, WM_COMMAND, 202, 0);
    CHECK(session.ended());
}

TEST_CASE(column_widths_follow_the_display_dpi) {
    static const int widths[] = {146, 64, 83, 96};
    static const int at144[] = {219, 96, 125, 144};  // one and a half times, rounded
    {
        LogPixelsOverride dpi(144);
        CHECK(dpi.ok());
        ListSession session;
        CHECK(session.start("-l"));
        for (int column = 0; column < 4; ++column) CHECK_EQ(at144[column], session.list.columnWidth(column));
    }
    ListSession session;  // the display as it was: the specified pixels
    CHECK(session.start("-l"));
    for (int column = 0; column < 4; ++column) CHECK_EQ(widths[column], session.list.columnWidth(column));
}

TEST_CASE(list_stays_in_front_after_a_failure_box) {
    ProgramGroup helpers;
    HWND other;
    Program *windowed = helpers.startWindowHelper("ZvBehind", &other);  // could take the activation
    Program *idle = helpers.startIdleHelper();
    CHECK(windowed && idle);
    ListSession session;
    CHECK(session.start("-l"));
    CHECK(session.inFront());
    CHECK(session.selectOnly(idle));
    session.press(1009);  // no window to close: a failure box
    HWND box = session.failureBox();
    CHECK(box);
    CHECK(!IsWindowEnabled(session.dialog));
    CHECK(DismissFailureBox(box));
    CHECK(session.rowSettled(idle));
    CHECK(session.inFront());
    CHECK(IsWindowEnabled(session.dialog));
    PostMessageA(session.dialog, WM_COMMAND, IDCANCEL, 0);
    CHECK(session.ended());
}

// A row is its process, not its number: once the listed process has ended and
// its id is another's, no operation touches the newcomer; the row goes, no box.
TEST_CASE(stale_rows_leave_the_process_now_under_their_id_alone) {
    const int buttons[5] = {1011, 1009, 1010, 1008, 1013};  // Kill, Close, Quit, Show, Hide
    ProgramGroup listed;
    Program *programs[5];
    for (Program *&program : programs) {
        HWND window;
        CHECK((program = listed.startWindowHelper("ZvListed", &window)) != nullptr);
    }
    ListSession session;
    CHECK(session.start("-l"));
    // One at a time: a newcomer's own threads could take the id of a row ended with it.
    for (int i = 0; i < 5; ++i) {
        DWORD id = programs[i]->pid();
        programs[i]->stop();
        Program bystander;
        HWND window = nullptr;
        CHECK(StartBystanderOnId(id, &bystander, &window));
        session.list.selectNone();
        CHECK(session.list.select(session.list.rowOfProcess(id), true));
        session.press(buttons[i]);
        CHECK(WaitFor([&] { return session.list.rowOfProcess(id) < 0; }, Timeout));
        CHECK(session.drained());
        CHECK(bystander.running());
        CHECK(IsWindowVisible(window));
        CHECK(FindFailureBox(session.zorvane.pid()) == nullptr);
    }
}

// Retry on a box whose process ended while it was open, its id given out since:
// Liftrun is not started, and the newcomer runs on.
TEST_CASE(retry_after_the_id_was_given_out_starts_nothing) {
    ActionTarget target;
    CHECK(StartActionTarget("ZvProtectedRow", 100, 100, 300, 200, "protect", &target));
    DWORD id = target.program.pid();
    ListSession session;
    CHECK(session.start("-l"));
    CHECK(session.selectOnly(&target.program));
    session.press(1011);  // Kill: refused
    HWND box = session.failureBox();
    CHECK(box);
    PostMessageA(target.frame, WM_CLOSE, 0, 0);  // the program ends by itself
    CHECK(WaitExitCode(target.program, Timeout) == TargetFrameClosed);
    target.stop();
    Program bystander;
    CHECK(StartBystanderOnId(id, &bystander));
    AnswerMessageBox(box, IDRETRY);
    CHECK(!WaitFor([] { return CountProcesses("Liftrun.exe") > 0; }, 3000));
    CHECK(bystander.running());
}
