// The user's hot keys: a capture key taken by another program is named in the
// start balloon, Preferences takes a new key (and keeps the dialog open for a
// taken one), and the foreground key acts on the window in front.
#include <windows.h>
#include <commctrl.h>
#include <stdio.h>
#include <string.h>

#include "actions_support.h"
#include "check.h"
#include "harness.h"
#include "shell/hot_keys.h"
#include "shell_support.h"

namespace {

const DWORD PackedCtrlAltF10 = MAKELONG(VK_F10, MOD_CONTROL | MOD_ALT);

// Holds a hot key for this test's thread, as another program would.
struct HeldHotKey {
    int id;
    bool held;
    HeldHotKey(int hotKeyId, UINT modifiers, UINT key)
        : id(hotKeyId), held(RegisterHotKey(nullptr, hotKeyId, modifiers, key) != FALSE) {}
    ~HeldHotKey() {
        if (held) UnregisterHotKey(nullptr, id);
    }
};

// A clean registry with no greeting due, in the language.
void PrepareSettings(LONG locale) {
    ResetZorvaneRegistry();
    SetPreferenceDword("Startup", 5);
    SetPreferenceDword("Langage", (DWORD)locale);
}

// Sets a Preferences hot key control and its Win box as a user would leave them.
void ChooseKey(HWND dialog, int controlId, WORD key, BYTE controlFlags, bool win) {
    SendMessageA(GetDlgItem(dialog, controlId), HKM_SETHOTKEY, MAKEWORD(key, controlFlags), 0);
    SendMessageA(GetDlgItem(dialog, controlId + 1), BM_SETCHECK, win ? BST_CHECKED : BST_UNCHECKED, 0);
}

}  // namespace

TEST_CASE(taken_capture_key_is_named_in_the_start_balloon_in_each_language) {
    struct Row {
        LONG locale;
        const char *where;
    };
    // The tray records texts as UTF-8.
    const Row rows[] = {{1033, "Preferences"}, {1036, "Pr\xc3\xa9" "f\xc3\xa9rences"}, {1031, "Einstellungen"}};
    HeldHotKey taken(1, MOD_ALT | MOD_WIN, 'X');
    CHECK(taken.held);
    for (const Row &row : rows) {
        printf("locale %ld\n", row.locale);
        PrepareSettings(row.locale);
        FakeTray tray;
        Program zorvane;
        HWND window;
        CHECK(StartZorvaneReady("", &zorvane, &window, &tray));
        const TrayCall *balloon = tray.last(NIM_MODIFY, window);
        CHECK(balloon != nullptr);
        if (balloon) {
            printf("    \"%s\"\n", balloon->info);
            CHECK(strstr(balloon->info, "Win+Alt+X") != nullptr);
            CHECK(strstr(balloon->info, row.where) != nullptr);
        }
        DWORD code = 99;
        CHECK(CloseAndWait(zorvane, window, &code));
    }
    // A stored key that does not parse is the default one again.
    PrepareSettings(1033);
    SetPreferenceDword("HotKey", MAKELONG('X', 0x80));
    FakeTray tray;
    Program zorvane;
    HWND window;
    CHECK(StartZorvaneReady("", &zorvane, &window, &tray));
    const TrayCall *balloon = tray.last(NIM_MODIFY, window);
    CHECK(balloon && strstr(balloon->info, "Win+Alt+X"));
}

TEST_CASE(preferences_refuse_a_taken_key_with_the_dialog_open_and_take_a_free_one) {
    PrepareSettings(1033);
    HeldHotKey taken(2, MOD_CONTROL | MOD_ALT, VK_F9);
    CHECK(taken.held);
    FakeTray tray;
    Program zorvane;
    HWND window;
    CHECK(StartZorvaneReady("", &zorvane, &window, &tray));
    CHECK(tray.last(NIM_MODIFY, window) == nullptr);  // Win+Alt+X was had: nothing to say
    CHECK(HotKeyTaken());
    PostMessageA(window, WM_COMMAND, 203, 0);
    HWND dialog = WaitForProcessDialog(zorvane.pid(), nullptr, 15000, 1030);
    CHECK(dialog != nullptr);

    ChooseKey(dialog, 1030, VK_F9, HOTKEYF_CONTROL | HOTKEYF_ALT, false);
    PressDialogButton(dialog, IDOK);
    MessageBoxReading box;
    CHECK(WaitForMessageBox(zorvane.pid(), 15000, &box));
    printf("    \"%s\"\n", box.text);
    CHECK(strstr(box.text, "Ctrl+Alt+F9") != nullptr);
    AnswerMessageBox(box.box, IDOK);
    CHECK(WaitWindowGone(box.box));
    CHECK(IsWindowVisible(dialog));
    DWORD stored;
    CHECK(!GetPreferenceDword("HotKey", &stored));
    CHECK(HotKeyTaken());  // the old key still works

    ChooseKey(dialog, 1030, VK_F10, HOTKEYF_CONTROL | HOTKEYF_ALT, false);
    PressDialogButton(dialog, IDOK);
    CHECK(WaitWindowGone(dialog));
    CHECK(GetPreferenceDword("HotKey", &stored));
    CHECK_EQ(PackedCtrlAltF10, stored);
    CHECK(HotKeyIsFree());  // Win+Alt+X let go once the new key was had
    PressHotKey(false, true, true, false, VK_F10);
    CHECK(WaitFor([&] { return CaptureWindowOf(window) == window; }, 10000));
    CHECK(EndCaptureOf(window));
    DWORD code = 99;
    CHECK(CloseAndWait(zorvane, window, &code));
}

TEST_CASE(foreground_key_acts_on_the_window_in_front_and_reports_a_failure) {
    struct Row {
        LONG method;
        const char *mode;
        bool fails;
    };
    const Row rows[] = {{1000, "alone", false}, {1003, "protect", true}};
    for (const Row &row : rows) {
        printf("method %ld on a \"%s\" target\n", row.method, row.mode);
        ReleaseAllInput();
        PrepareSettings(1033);
        SetPreferenceDword("Methode", (DWORD)row.method);
        SetPreferenceDword("ForegroundHotKey", PackedCtrlAltF10);
        ActionTarget bystander, target;
        CHECK(StartActionTarget("Zv Front Bystander", 60, 120, 300, 200, "alone", &bystander));
        CHECK(StartActionTarget("Zv Front Target", 420, 120, 300, 200, row.mode, &target));
        Program zorvane;
        HWND window;
        CHECK(StartZorvane("", &zorvane, &window) && WaitZorvaneLoop(window));
        // Brought in front by a click on it, as a user would.
        CHECK(PointAt(570, 250, target.frame));
        Click();
        CHECK(WaitFor([&] { return GetForegroundWindow() == target.frame; }, 10000));
        PressHotKey(false, true, true, false, VK_F10);
        if (row.fails) {
            MessageBoxReading box;
            CHECK(WaitForMessageBox(zorvane.pid(), 15000, &box));
            CHECK(box.retry);
            CHECK(target.program.running());
            AnswerMessageBox(box.box, IDCANCEL);
        } else {
            CHECK_EQ(TargetFrameClosed, WaitExitCode(target.program, 15000));
        }
        CHECK(bystander.program.running());
    }
}

TEST_CASE(capture_item_shows_the_key_that_works_or_none) {
    CHECK(PrepareInProcessZorvane(1031, 10));
    Application &app = App();
    HMENU menu = LoadMenuA(app.instance, MAKEINTRESOURCEA(20200));
    CHECK(menu != nullptr);
    app.TrayMenu = GetSubMenu(menu, 0);
    HotKeySlot held = {{MOD_WIN | MOD_CONTROL | MOD_ALT | MOD_SHIFT, VK_F5}, true, 0};
    app.CaptureKey = held;
    char text[200];
    ShowCaptureKeyInMenu();
    GetMenuStringA(app.TrayMenu, 204, text, sizeof text, MF_BYCOMMAND);
    CHECK_STR("Zor&vane\tWin+Strg+Alt+Umschalt+F5", text);
    app.CaptureKey.held = false;  // refused: the item says there is none
    ShowCaptureKeyInMenu();
    GetMenuStringA(app.TrayMenu, 204, text, sizeof text, MF_BYCOMMAND);
    CHECK_STR("Zor&vane\tkein Tastenk\xfcrzel", text);
    CHECK(GetMenuDefaultItem(app.TrayMenu, FALSE, 0) == 204);
    app.TrayMenu = nullptr;
    DestroyMenu(menu);
}
