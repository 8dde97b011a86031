// The Preferences dialog of the real program: the radio button of the stored
// action, what OK, Cancel, Esc and the close box store, the start-at-logon
// entry, the radio text colours, the "-p" switch and the open-dialog guard.
#include <stdio.h>
#include <string.h>

#include "check.h"
#include "dialog_support.h"
#include "harness.h"
#include "shell/application.h"
#include "shell/dialogs.h"

using namespace dlg;

namespace {

const int ActionIds[] = {1004, 1000, 1001, 1002, 1003};

// Zorvane in tray mode with the English interface, stopped with the guard.
struct TrayZorvane {
    Program program;
    HWND window = nullptr;
    bool start(const char *arguments = "") {
        SetPreferenceDword("Langage", 1033);
        return StartZorvane(arguments, &program, &window);
    }
    HWND openPreferences() {
        PostMessageA(window, WM_COMMAND, 203, 0);
        return WaitForProcessDialog(program.pid(), "Preferences");
    }
};

bool Checked(HWND dialog, int id) {
    return SendMessageA(GetDlgItem(dialog, id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

// The id of the one checked action button, 0 when none, -1 when several.
int CheckedAction(HWND dialog) {
    int found = 0;
    for (int id : ActionIds) {
        if (!Checked(dialog, id)) continue;
        if (found) return -1;
        found = id;
    }
    return found;
}

LONG StoredMethod() {
    DWORD value = 0;
    return GetPreferenceDword("Methode", &value) ? (LONG)value : -1;
}

// Clicks a button and waits until the dialog has handled the click.
bool ClickCheck(HWND dialog, int id, bool checked = true) {
    ClickControl(dialog, id);
    return WaitFor([&] { return Checked(dialog, id) == checked; }, 15000);
}

// Gives the dialog the keyboard by clicking an empty corner of it.
void Activate(HWND dialog) {
    RECT client;
    GetClientRect(dialog, &client);
    POINT corner = {client.right - 3, client.bottom - 3};
    ClientToScreen(dialog, &corner);
    MovePointer(corner.x, corner.y);
    Click();
    WaitFor([&] { return GetForegroundWindow() == dialog; }, 10000);
}

}  // namespace

TEST_CASE(preferences_check_the_stored_action) {
    ResetZorvaneRegistry();
    TrayZorvane zorvane;
    CHECK(zorvane.start());
    const LONG stored[] = {1000, 1001, 1002, 1003, 1004, 7};
    for (LONG value : stored) {
        SetPreferenceDword("Methode", (DWORD)value);
        HWND dialog = zorvane.openPreferences();
        CHECK(dialog);
        CHECK_EQ(value == 7 ? 0 : value, CheckedAction(dialog));
        CHECK(IsWindowEnabled(GetDlgItem(dialog, 1002)));  // the system has "OpenThread"
        CHECK(!Checked(dialog, 1006));
        if (value == 7) ClickControl(dialog, IDOK);
        else PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
        CHECK(WaitWindowGone(dialog));
        CHECK_EQ(value, StoredMethod());  // OK without a choice writes 7 back
    }
    CHECK(zorvane.program.running());
}

TEST_CASE(preferences_ok_stores_the_clicked_action_and_the_others_store_nothing) {
    ResetZorvaneRegistry();
    SetPreferenceDword("Methode", 1001);
    TrayZorvane zorvane;
    CHECK(zorvane.start());

    HWND dialog = zorvane.openPreferences();
    CHECK(dialog);
    CHECK(ClickCheck(dialog, 1004));
    CHECK(ClickCheck(dialog, 1006));
    CHECK_EQ(1004, CheckedAction(dialog));
    ClickControl(dialog, IDCANCEL);
    CHECK(WaitWindowGone(dialog));
    CHECK_EQ(1001, StoredMethod());

    dialog = zorvane.openPreferences();
    CHECK(dialog);
    CHECK_EQ(1001, CheckedAction(dialog));
    CHECK(ClickCheck(dialog, 1003));
    CHECK(ClickCheck(dialog, 1006));
    Activate(dialog);
    PressKey(VK_ESCAPE);
    CHECK(WaitWindowGone(dialog));
    CHECK_EQ(1001, StoredMethod());

    dialog = zorvane.openPreferences();
    CHECK(dialog);
    CHECK(ClickCheck(dialog, 1000));
    CHECK(ClickCheck(dialog, 1006));
    PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);  // the close box
    CHECK(WaitWindowGone(dialog));
    CHECK_EQ(1001, StoredMethod());
    char run[MAX_PATH];
    CHECK(!GetRunValue(run, sizeof run));

    dialog = zorvane.openPreferences();
    CHECK(dialog);
    CHECK(ClickCheck(dialog, 1003));
    CHECK_EQ(1003, CheckedAction(dialog));
    ClickControl(dialog, IDOK);
    CHECK(WaitWindowGone(dialog));
    CHECK_EQ(1003, StoredMethod());
    CHECK(!GetRunValue(run, sizeof run));
    CHECK(zorvane.program.running());
}

TEST_CASE(preferences_logon_entry_added_only_when_absent_and_removed) {
    ResetZorvaneRegistry();
    TrayZorvane zorvane;
    CHECK(zorvane.start());
    char run[MAX_PATH * 2];

    HWND dialog = zorvane.openPreferences();
    CHECK(dialog);
    CHECK(!Checked(dialog, 1006));
    CHECK(ClickCheck(dialog, 1006));
    ClickControl(dialog, IDOK);
    CHECK(WaitWindowGone(dialog));
    CHECK(GetRunValue(run, sizeof run));
    CHECK(strstr(run, "Zorvane.exe") != nullptr);
    CHECK_EQ(1000, StoredMethod());

    // Another program's entry under the same name stays as it is.
    SetRunValue("C:\\Elsewhere\\other.exe");
    dialog = zorvane.openPreferences();
    CHECK(dialog);
    CHECK(Checked(dialog, 1006));
    ClickControl(dialog, IDOK);
    CHECK(WaitWindowGone(dialog));
    CHECK(GetRunValue(run, sizeof run));
    CHECK_STR("C:\\Elsewhere\\other.exe", run);

    dialog = zorvane.openPreferences();
    CHECK(dialog);
    CHECK(ClickCheck(dialog, 1006, false));
    ClickControl(dialog, IDOK);
    CHECK(WaitWindowGone(dialog));
    CHECK(!GetRunValue(run, sizeof run));
}

TEST_CASE(preferences_colours_and_guard) {
    ResetZorvaneRegistry();
    TrayZorvane zorvane;
    CHECK(zorvane.start());
    HWND dialog = zorvane.openPreferences();
    CHECK(dialog);
    struct { int id; COLORREF colour; } colours[] = {
        {1000, RGB(0, 165, 0)},  {1001, RGB(165, 165, 0)}, {1002, RGB(245, 142, 0)},
        {1003, RGB(195, 0, 0)},  {1004, RGB(0, 110, 165)},
    };
    for (const auto &expected : colours) {
        RECT rect;
        GetWindowRect(GetDlgItem(dialog, expected.id), &rect);
        bool found = WaitFor([&] { return ScreenRectHasColour(rect, expected.colour); }, 10000);
        if (!found) printf("    radio %d lacks its colour\n", expected.id);
        CHECK(found);
    }

    // About, the update check and Preferences itself bring this dialog forward.
    ShowWindow(dialog, SW_MINIMIZE);
    CHECK(WaitFor([&] { return IsIconic(dialog) != FALSE; }, 15000));
    CHECK(SendCommand(zorvane.window, 201));
    CHECK(!IsIconic(dialog));
    CHECK(SendCommand(zorvane.window, 203));
    CHECK_EQ(1, CountProcessDialogs(zorvane.program.pid()));
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    CHECK(WaitWindowGone(dialog));
    CHECK(zorvane.program.running());
}

TEST_CASE(preferences_switch_ends_program_after_the_dialog) {
    ResetZorvaneRegistry();
    {
        TrayZorvane zorvane;
        CHECK(zorvane.start("-p"));
        HWND dialog = WaitForProcessDialog(zorvane.program.pid(), "Preferences");
        CHECK(dialog);
        CHECK(ClickCheck(dialog, 1002));
        ClickControl(dialog, IDOK);
        DWORD code = 99;
        CHECK(zorvane.program.waitExit(15000, &code));
        CHECK_EQ(0, code);
        CHECK_EQ(1002, StoredMethod());
    }
    ResetZorvaneRegistry();
    {
        TrayZorvane zorvane;
        CHECK(zorvane.start("-P"));
        HWND dialog = WaitForProcessDialog(zorvane.program.pid(), "Preferences");
        CHECK(dialog);
        PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
        DWORD code = 99;
        CHECK(zorvane.program.waitExit(15000, &code));
        CHECK_EQ(0, code);
        CHECK_EQ(-1, StoredMethod());  // nothing written
    }
}

TEST_CASE(preferences_kill_thread_disabled_without_thread_opening) {
    ResetZorvaneRegistry();
    SetPreferenceDword("Methode", 1002);
    InProcessDialog preferences;  // the Preferences dialog
    CHECK(preferences.open(10201, PreferencesDialogProc, OpenThreadFallback));
    HWND dialog = preferences.dialog;
    CHECK(App().ActiveDialog == dialog);
    CHECK(!IsWindowEnabled(GetDlgItem(dialog, 1002)));
    CHECK_EQ(1002, CheckedAction(dialog));  // still shown checked
    CHECK_EQ(1002, App().ActionMethod);
    SetPreferenceDword("Methode", 5);
    SendMessageA(dialog, WM_COMMAND, IDOK, 0);
    CHECK_EQ(1002, StoredMethod());  // OK writes it again
    DestroyWindow(dialog);
    CHECK(App().ActiveDialog == nullptr);

    InProcessDialog withThreads;
    CHECK(withThreads.open(10201, PreferencesDialogProc));
    CHECK(IsWindowEnabled(GetDlgItem(withThreads.dialog, 1002)));
}
