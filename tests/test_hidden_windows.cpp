// The windows that Zorvane hid, brought back from the tray menu's submenu: two
// windows of one program after a restart of Zorvane, the entries dropped when
// the menu opens, the submenu's items, and the full list that refuses a hide.
#include <stdio.h>
#include <string.h>

#include <initializer_list>

#include "actions/actions.h"
#include "actions/identity.h"
#include "actions_support.h"
#include "check.h"
#include "harness.h"
#include "resource_ids.h"
#include "shell/hidden_windows.h"
#include "shell/settings.h"

namespace {

const char HiddenKey[] = "software\\Zorvane\\Zorvane\\HiddenWindows";

// The value naming the window as Zorvane writes it, with the data given.
bool SetHiddenValue(HWND window, DWORD type, const char *data) {
    char name[16];
    snprintf(name, sizeof name, "%08lX", static_cast<unsigned long>(HandleToLong(window)));
    return RegSetKeyValueA(HKEY_CURRENT_USER, HiddenKey, name, type, data, lstrlenA(data) + 1) == ERROR_SUCCESS;
}

bool RecordOf(HWND window, DWORD processId, CreationTime created) {
    char data[48];
    snprintf(data, sizeof data, "%lu:%llu", static_cast<unsigned long>(processId), created);
    return SetHiddenValue(window, REG_SZ, data);
}

// Number of values in the list's key; the window's value (when given) must be among them.
int HiddenValues(HWND kept = nullptr) {
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, HiddenKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return 0;
    DWORD count = 0;
    RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count, nullptr, nullptr,
                     nullptr, nullptr);
    char name[16];
    snprintf(name, sizeof name, "%08lX", static_cast<unsigned long>(HandleToLong(kept)));
    bool found = !kept || RegQueryValueExA(key, name, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
    RegCloseKey(key);
    return found ? static_cast<int>(count) : -1;
}

// Opens the tray menu as a right click on the icon does: the list is read and
// pruned before the menu shows.
bool OpenTrayMenu(const ZorvaneSession &zorvane) {
    PostMessageA(zorvane.main, WM_USER, 1, WM_RBUTTONDOWN);
    DWORD pid = zorvane.program.pid();
    return WaitFor([&] { return FindVisibleMenu(pid) != nullptr; }, 10000);
}

bool CloseTrayMenu(const ZorvaneSession &zorvane) {
    PressKey(VK_ESCAPE);
    DWORD pid = zorvane.program.pid();
    return WaitFor([&] { return FindVisibleMenu(pid) == nullptr; }, 10000);
}

CreationTime CreationOf(DWORD processId) { return CurrentProcessCreationTime(processId, nullptr); }

HWND TestWindow(const char *title, DWORD style) {
    return CreateWindowExA(0, "STATIC", title, WS_POPUP | style, 0, 0, 20, 20, nullptr, nullptr,
                           GetModuleHandleA(nullptr), nullptr);
}

bool ItemIs(HMENU menu, int position, const char *text, bool grayed) {
    char itemText[300] = "";
    GetMenuStringA(menu, position, itemText, sizeof itemText, MF_BYPOSITION);
    bool isGrayed = (GetMenuState(menu, position, MF_BYPOSITION) & MF_GRAYED) != 0;
    if (strcmp(itemText, text) == 0 && isGrayed == grayed) return true;
    printf("    item %d is \"%s\"%s\n", position, itemText, isGrayed ? " greyed" : "");
    return false;
}

}  // namespace

TEST_CASE(two_windows_of_one_program_come_back_from_the_submenu_after_a_restart) {
    ActionTarget target;
    CHECK(StartActionTarget("Zv Hidden", 200, 150, 300, 200, "", &target));
    ZorvaneSession zorvane;
    CHECK(zorvane.start("", Hide));
    for (HWND window : {target.frame, target.worker}) {
        CHECK(zorvane.captureOver(window, ActionColour(Hide)));
        Click(true);
        CHECK(WaitFor([&] { return !IsWindowVisible(window); }, 10000));
    }
    // Zorvane writes each entry just after the window went: waited for, not raced.
    CHECK(WaitFor([&] { return HiddenValues(target.frame) == 2; }, 10000));
    CHECK_EQ(2, HiddenValues(target.worker));

    zorvane.quit();
    CHECK(StartZorvane("", &zorvane.program, &zorvane.main) && WaitZorvaneLoop(zorvane.main));
    // Through the real submenu: Quit, then (over the separator) the submenu, its first entry.
    CHECK(OpenTrayMenu(zorvane));
    for (WORD key : {VK_UP, VK_UP, VK_RIGHT, VK_RETURN}) PressKey(key);
    auto visibleCount = [&] { return !!IsWindowVisible(target.frame) + !!IsWindowVisible(target.worker); };
    CHECK(WaitFor([&] { return visibleCount() == 1; }, 10000));
    CHECK_EQ(1, HiddenValues(IsWindowVisible(target.frame) ? target.worker : target.frame));

    // Show all, once the menu has been opened again.
    CHECK(OpenTrayMenu(zorvane));
    CHECK(CloseTrayMenu(zorvane));
    PostMessageA(zorvane.main, WM_COMMAND, IDC_CMD_HIDDEN_SHOW_ALL, 0);
    CHECK(WaitFor([&] { return visibleCount() == 2; }, 10000));
    CHECK_EQ(0, HiddenValues());
    CHECK(target.program.running());
}

TEST_CASE(entries_no_longer_hidden_by_zorvane_are_dropped_when_the_menu_opens) {
    ActionTarget target;
    CHECK(StartActionTarget("Zv Replaced", 200, 150, 300, 200, "", &target));
    ShowWindow(target.frame, SW_HIDE);
    ShowWindow(target.worker, SW_HIDE);
    ZorvaneSession zorvane;
    CHECK(zorvane.start("", Hide));
    DWORD self = GetCurrentProcessId(), other = target.program.pid();
    HWND kept = TestWindow("kept", 0), shown = TestWindow("shown", WS_VISIBLE);
    CHECK(RecordOf(kept, self, CreationOf(self)));
    CHECK(RecordOf(shown, self, CreationOf(self)));                  // visible again
    CHECK(RecordOf(DestroyedWindow(), other, CreationOf(other)));    // gone
    CHECK(RecordOf(target.worker, self, CreationOf(self)));          // another process's window
    CHECK(RecordOf(target.frame, other, CreationOf(other) + 1));     // a process started since
    CHECK(SetHiddenValue(TestWindow("dword", 0), REG_DWORD, "123"));    // wrong type
    CHECK(RegSetKeyValueA(HKEY_CURRENT_USER, HiddenKey, "1:2", REG_SZ, "1:2", 4) == ERROR_SUCCESS);
    CHECK(SetHiddenValue(TestWindow("unparsable", 0), REG_SZ, "12:x"));
    CHECK_EQ(8, HiddenValues(kept));
    CHECK(OpenTrayMenu(zorvane));
    CHECK(CloseTrayMenu(zorvane));
    CHECK_EQ(1, HiddenValues(kept));
    CHECK(!IsWindowVisible(target.frame) && !IsWindowVisible(target.worker));
}

TEST_CASE(submenu_items_and_the_full_list) {
    CHECK(PrepareInProcessZorvane(1033, 6));
    ResetZorvaneRegistry();
    SetSettingsKey("Zorvane");
    HMENU tray = CreatePopupMenu(), submenu = CreatePopupMenu();
    AppendMenuA(tray, MF_POPUP, reinterpret_cast<UINT_PTR>(submenu), "Hidden windows");
    FillHiddenWindowsMenu(tray);
    CHECK_EQ(1, GetMenuItemCount(submenu));
    CHECK(ItemIs(submenu, 0, "(none)", true));

    ActionTarget target;
    CHECK(StartActionTarget("Zv Tom & Jerry\tTV", 200, 150, 300, 200, "", &target));
    CHECK(HideAndRemember(target.frame) && !IsWindowVisible(target.frame));
    FillHiddenWindowsMenu(tray);
    CHECK_EQ(3, GetMenuItemCount(submenu));
    CHECK(ItemIs(submenu, 0, "action_target.exe - Zv Tom && Jerry TV", false));
    CHECK_EQ(IDC_CMD_HIDDEN_FIRST, static_cast<int>(GetMenuItemID(submenu, 0)));
    CHECK(ItemIs(submenu, 2, "Show all", false));

    // Full: a further hide is refused and the window stays visible.
    for (int i = 1; i < HiddenWindowLimit; ++i) CHECK(HideAndRemember(TestWindow("filler", WS_VISIBLE)));
    HWND refused = TestWindow("refused", WS_VISIBLE);
    CHECK(!HideAndRemember(refused));
    CHECK(IsWindowVisible(refused));
    CHECK_EQ(HiddenWindowLimit, HiddenValues(target.frame));
    DestroyMenu(tray);
    ResetZorvaneRegistry();
}
