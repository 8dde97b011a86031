// The list of windows that Zorvane hid, in the settings key, and the tray
// submenu that shows them again.
#include "shell/hidden_windows.h"

#include <string.h>

#include "actions/identity.h"
#include "resources/resource_ids.h"
#include "selection/target.h"
#include "shell/code_page.h"
#include "shell/kept_entries.h"
#include "shell/winutil.h"

static_assert(IDC_CMD_HIDDEN_LAST - IDC_CMD_HIDDEN_FIRST + 1 == HiddenWindowLimit,
              "one submenu command per listed window");
static_assert(static_cast<int>(HiddenWindowLimit) == static_cast<int>(KeptEntryLimit), "the list holds what the submenu shows");

namespace {

// Titles longer than this are cut in the menu, so that an entry stays readable.
enum { TitleShown = 60 };

HWND WindowOf(const KeptEntry &entry) { return static_cast<HWND>(LongToHandle(static_cast<LONG>(entry.key))); }

DWORD KeyOf(HWND window) { return static_cast<DWORD>(HandleToLong(window)); }

// The window still exists, is still hidden and still belongs to the process
// that had it: same id and, where it can be read, same creation time (a window
// handle and a process id can both be given out again).
bool StillHidden(const KeptEntry &entry) {
    HWND window = WindowOf(entry);
    if (!IsWindow(window) || IsWindowVisible(window)) return false;
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    return owner == entry.processId && SameProcessStillThere(owner, entry.created);
}

// Back on the screen as the user left it (a minimised window restored), in
// front. Dropped first: whoever sees the window again no longer finds it listed.
void ShowAndForget(HWND window) {
    DeleteKeptEntry(HIDDEN_WINDOWS_SECTION, KeyOf(window));
    ShowWindowBounded(window, IsIconic(window) ? SW_RESTORE : SW_SHOW, ShowWindowWait);
    SetForegroundWindow(window);
}

// Cuts the text after TitleShown characters (not bytes), ending it with "...".
// Whole characters: CharNextA steps single bytes of UTF-8.
void CutTitle(char *title) {
    char *end = title;
    for (int shown = 0; *end && shown < TitleShown - 3; ++shown) end = const_cast<char *>(NextCharacter(end));
    char *cut = end;
    for (int shown = 0; *end && shown < 3; ++shown) end = const_cast<char *>(NextCharacter(end));
    if (*end) lstrcpyA(cut, "...");
}

// "<exe> - <title>"; the process id stands for an executable name that cannot be read.
void EntryLabel(const KeptEntry &entry, char *label, int capacity) {
    char exeName[TEXT_BYTES(MAX_PATH)], title[TEXT_BYTES(1024)], text[TEXT_BYTES(1024)];
    CopyExeName(entry.processId, exeName);
    if (!exeName[0]) FormatText(exeName, sizeof exeName, "%lu", static_cast<unsigned long>(entry.processId));
    title[0] = 0;
    GetWindowTextA(WindowOf(entry), title, sizeof title);
    CutTitle(title);
    if (title[0]) FormatText(text, sizeof text, "%s - %s", exeName, title);
    else CopyWholeCharacters(text, exeName, sizeof text);
    MenuItemText(text, label, capacity);
}

// The first submenu of the tray menu.
const KeptList HiddenWindows = {HIDDEN_WINDOWS_SECTION, StillHidden, EntryLabel, 0, IDC_CMD_HIDDEN_FIRST,
                                IDC_CMD_HIDDEN_LAST, IDC_CMD_HIDDEN_SHOW_ALL, IDS_HIDDEN_SHOW_ALL};

}  // namespace

bool HideAndRemember(HWND window) {
    if (!window || !IsWindow(window)) return false;
    // Bounded: ShowWindow on another program's window waits for its thread.
    if (!IsWindowVisible(window)) {
        ShowWindowBounded(window, SW_HIDE, ShowWindowWait);
        return true;
    }
    KeptEntry entries[KeptEntryLimit];
    if (LoadKeptList(HiddenWindows, entries) >= HiddenWindowLimit) {
        MessageBeep(MB_ICONWARNING);
        return false;
    }
    KeptEntry entry = {KeyOf(window), 0, 0};
    GetWindowThreadProcessId(window, &entry.processId);
    entry.created = CurrentProcessCreationTime(entry.processId, nullptr);
    // Listed before it goes: whoever sees it hidden finds it listed.
    if (!WriteKeptEntry(HIDDEN_WINDOWS_SECTION, entry)) {
        MessageBeep(MB_ICONWARNING);
        return false;
    }
    ShowWindowBounded(window, SW_HIDE, ShowWindowWait);
    return true;
}

void FillHiddenWindowsMenu(HMENU trayMenu) { FillKeptListMenu(trayMenu, HiddenWindows); }

bool OnHiddenWindowCommand(HMENU trayMenu, int commandId) {
    KeptEntry entry;
    if (!KeptEntryOfCommand(trayMenu, HiddenWindows, commandId, &entry)) return false;
    if (entry.key) ShowAndForget(WindowOf(entry));
    return true;
}

void ShowAllHiddenWindows() {
    KeptEntry entries[KeptEntryLimit];
    int count = LoadKeptList(HiddenWindows, entries);
    for (int i = 0; i < count; ++i) ShowAndForget(WindowOf(entries[i]));
}
