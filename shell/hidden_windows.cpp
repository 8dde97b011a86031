// The list of windows that Zorvane hid, in the settings key, and the tray
// submenu that shows them again.
#include "shell/hidden_windows.h"

#include <string.h>

#include "actions/identity.h"
#include "resources/resource_ids.h"
#include "selection/target.h"
#include "shell/code_page.h"
#include "shell/settings.h"
#include "shell/winutil.h"

static_assert(IDC_CMD_HIDDEN_LAST - IDC_CMD_HIDDEN_FIRST + 1 == HiddenWindowLimit,
              "one submenu command per listed window");

namespace {

struct HiddenWindow {
    HWND window;
    DWORD processId;
    CreationTime created;
};

struct HiddenWindowList {
    HiddenWindow entries[HiddenWindowLimit];
    int count;
};

// Value names are 8 hex digits; the data is two decimal numbers and a colon.
enum { NameCapacity = 100, DataCapacity = 48, NameDigits = 8 };

// Titles longer than this are cut in the menu, so that an entry stays readable.
enum { TitleShown = 60 };

void ValueName(HWND window, char *name) {
    FormatText(name, NameCapacity, "%08lX", static_cast<unsigned long>(HandleToLong(window)));
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

bool ParseValueName(const char *name, HWND *window) {
    unsigned long value = 0;
    for (int i = 0; i < NameDigits; ++i) {
        int digit = HexDigit(name[i]);
        if (digit < 0) return false;
        value = value << 4 | static_cast<unsigned long>(digit);
    }
    if (name[NameDigits] || !value) return false;
    *window = static_cast<HWND>(LongToHandle(static_cast<LONG>(value)));
    return true;
}

// Reads decimal digits up to the character that ends them; false when there
// are none, when anything else follows, or when the number exceeds the limit.
bool ParseDecimal(const char **text, char end, unsigned long long limit, unsigned long long *value) {
    const char *p = *text;
    *value = 0;
    for (; *p >= '0' && *p <= '9'; ++p) {
        unsigned digit = static_cast<unsigned>(*p - '0');
        if (*value > (limit - digit) / 10) return false;
        *value = *value * 10 + digit;
    }
    if (p == *text || *p != end) return false;
    *text = p + 1;
    return true;
}

bool ParseValueData(const char *data, HiddenWindow *entry) {
    unsigned long long processId = 0, created = 0;
    if (!ParseDecimal(&data, ':', 0xFFFFFFFFull, &processId) || !processId) return false;
    if (!ParseDecimal(&data, 0, ~0ull, &created)) return false;
    entry->processId = static_cast<DWORD>(processId);
    entry->created = created;
    return true;
}

// The window still exists, is still hidden and still belongs to the process
// that had it: same id and, where it can be read, same creation time (a window
// handle and a process id can both be given out again).
bool StillHidden(const HiddenWindow &entry) {
    if (!IsWindow(entry.window) || IsWindowVisible(entry.window)) return false;
    DWORD owner = 0;
    GetWindowThreadProcessId(entry.window, &owner);
    if (owner != entry.processId) return false;
    bool gone = false;
    CreationTime now = CurrentProcessCreationTime(owner, &gone);
    return !gone && !IsReplaced(entry.created, now);
}

// Reads the value at the index; false when there are no more. A value whose
// data does not fit is read by name only, and one whose name does not fit
// either is left nameless (name empty): both count as no entry (ok false).
bool ReadValue(HKEY key, DWORD index, char *name, HiddenWindow *entry, bool *ok) {
    char data[DataCapacity];
    DWORD nameSize = NameCapacity, dataSize = DataCapacity - 1, type = 0;
    LONG status = RegEnumValueA(key, index, name, &nameSize, nullptr, &type, reinterpret_cast<BYTE *>(data),
                                &dataSize);
    *ok = false;
    if (status == ERROR_MORE_DATA) {
        nameSize = NameCapacity;
        status = RegEnumValueA(key, index, name, &nameSize, nullptr, nullptr, nullptr, nullptr);
        if (status == ERROR_MORE_DATA) name[0] = 0;
        return status == ERROR_SUCCESS || status == ERROR_MORE_DATA;
    }
    if (status != ERROR_SUCCESS) return false;
    data[type == REG_SZ ? dataSize : 0] = 0;
    *ok = type == REG_SZ && ParseValueName(name, &entry->window) && ParseValueData(data, entry) &&
          StillHidden(*entry);
    return true;
}

// Reads the list and deletes the values that are no entry (wrong type, text
// that does not parse) or whose window is no longer the one hidden. Deleted
// after the walk, which must not change the key; the rest of a larger heap of
// such values goes the next time.
void LoadHiddenWindows(HiddenWindowList *list) {
    list->count = 0;
    HKEY key = OpenSettingsSection(HIDDEN_WINDOWS_SECTION);
    if (!key) return;
    char stale[HiddenWindowLimit][NameCapacity];
    int staleCount = 0;
    char name[NameCapacity];
    HiddenWindow entry;
    bool ok = false;
    for (DWORD index = 0; ReadValue(key, index, name, &entry, &ok); ++index) {
        if (ok && list->count < HiddenWindowLimit) list->entries[list->count++] = entry;
        else if (!ok && name[0] && staleCount < HiddenWindowLimit)
            lstrcpynA(stale[staleCount++], name, NameCapacity);
    }
    for (int i = 0; i < staleCount; ++i) RegDeleteValueA(key, stale[i]);
    RegCloseKey(key);
}

int IndexOf(const HiddenWindowList &list, HWND window) {
    for (int i = 0; i < list.count; ++i)
        if (list.entries[i].window == window) return i;
    return -1;
}

bool WriteEntry(const HiddenWindow &entry) {
    HKEY key = OpenSettingsSection(HIDDEN_WINDOWS_SECTION);
    if (!key) return false;
    char name[NameCapacity], data[DataCapacity];
    ValueName(entry.window, name);
    FormatText(data, sizeof data, "%lu:%I64u", static_cast<unsigned long>(entry.processId), entry.created);
    LONG status = RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE *>(data),
                                 static_cast<DWORD>(strlen(data) + 1));
    RegCloseKey(key);
    return status == ERROR_SUCCESS;
}

void DeleteEntry(HWND window) {
    HKEY key = OpenSettingsSection(HIDDEN_WINDOWS_SECTION);
    if (!key) return;
    char name[NameCapacity];
    ValueName(window, name);
    RegDeleteValueA(key, name);
    RegCloseKey(key);
}

// Back on the screen as the user left it (a minimised window restored), in
// front. Dropped first: whoever sees the window again no longer finds it listed.
void ShowAndForget(HWND window) {
    DeleteEntry(window);
    ShowWindow(window, IsIconic(window) ? SW_RESTORE : SW_SHOW);
    SetForegroundWindow(window);
}

// The one submenu of the tray menu.
HMENU HiddenWindowsMenu(HMENU trayMenu) {
    int count = GetMenuItemCount(trayMenu);
    for (int i = 0; i < count; ++i) {
        HMENU submenu = GetSubMenu(trayMenu, i);
        if (submenu) return submenu;
    }
    return nullptr;
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

// The text as a menu item shows it: a menu takes a lone "&" as the mark of a
// shortcut letter ("&&" shows one) and a tab as the start of a shortcut's name.
void MenuItemText(const char *text, char *out, int capacity) {
    int length = 0;
    for (; *text && length < capacity - 2; ++text) {
        if (*text == '&') out[length++] = '&';
        out[length++] = *text == '\t' ? ' ' : *text;
    }
    out[length] = 0;
}

// "<exe> - <title>"; the process id stands for an executable name that cannot be read.
void EntryLabel(const HiddenWindow &entry, char *label, int capacity) {
    char exeName[TEXT_BYTES(MAX_PATH)], title[TEXT_BYTES(1024)], text[TEXT_BYTES(1024)];
    CopyExeName(entry.processId, exeName);
    if (!exeName[0]) FormatText(exeName, sizeof exeName, "%lu", static_cast<unsigned long>(entry.processId));
    title[0] = 0;
    GetWindowTextA(entry.window, title, sizeof title);
    CutTitle(title);
    if (title[0]) FormatText(text, sizeof text, "%s - %s", exeName, title);
    else CopyWholeCharacters(text, exeName, sizeof text);
    MenuItemText(text, label, capacity);
}

// The item keeps the window handle, so that its command names the very window
// shown in the menu even if the list changed meanwhile.
void AppendEntry(HMENU menu, int index, const HiddenWindow &entry) {
    char label[TEXT_BYTES(1024)];
    EntryLabel(entry, label, sizeof label);
    MENUITEMINFOA item;
    ZeroMemory(&item, sizeof item);
    item.cbSize = sizeof item;
    item.fMask = MIIM_ID | MIIM_STRING | MIIM_DATA | MIIM_FTYPE;
    item.fType = MFT_STRING;
    item.wID = IDC_CMD_HIDDEN_FIRST + index;
    item.dwItemData = reinterpret_cast<ULONG_PTR>(entry.window);
    item.dwTypeData = label;
    InsertMenuItemA(menu, index, TRUE, &item);
}

void AppendLocalItem(HMENU menu, UINT flags, UINT id, UINT stringId) {
    char text[100];
    LoadLocalString(stringId, text, sizeof text);
    AppendMenuA(menu, flags, id, text);
}

}  // namespace

bool HideAndRemember(HWND window) {
    if (!window || !IsWindow(window)) return false;
    if (!IsWindowVisible(window)) {
        ShowWindow(window, SW_HIDE);
        return true;
    }
    HiddenWindowList list;
    LoadHiddenWindows(&list);
    if (list.count >= HiddenWindowLimit) {
        MessageBeep(MB_ICONWARNING);
        return false;
    }
    HiddenWindow entry = {window, 0, 0};
    GetWindowThreadProcessId(window, &entry.processId);
    entry.created = CurrentProcessCreationTime(entry.processId, nullptr);
    ShowWindow(window, SW_HIDE);
    if (WriteEntry(entry)) return true;
    ShowWindow(window, SW_SHOWNA);
    MessageBeep(MB_ICONWARNING);
    return false;
}

void FillHiddenWindowsMenu(HMENU trayMenu) {
    HMENU menu = HiddenWindowsMenu(trayMenu);
    if (!menu) return;
    while (GetMenuItemCount(menu) > 0) DeleteMenu(menu, 0, MF_BYPOSITION);
    HiddenWindowList list;
    LoadHiddenWindows(&list);
    if (list.count == 0) {
        AppendLocalItem(menu, MF_STRING | MF_GRAYED, 0, IDS_HIDDEN_NONE);
        return;
    }
    for (int i = 0; i < list.count; ++i) AppendEntry(menu, i, list.entries[i]);
    AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    AppendLocalItem(menu, MF_STRING, IDC_CMD_HIDDEN_SHOW_ALL, IDS_HIDDEN_SHOW_ALL);
}

bool OnHiddenWindowCommand(HMENU trayMenu, int commandId) {
    if (commandId < IDC_CMD_HIDDEN_FIRST || commandId > IDC_CMD_HIDDEN_LAST) return false;
    MENUITEMINFOA item;
    ZeroMemory(&item, sizeof item);
    item.cbSize = sizeof item;
    item.fMask = MIIM_DATA;
    HMENU menu = HiddenWindowsMenu(trayMenu);
    if (!menu || !GetMenuItemInfoA(menu, static_cast<UINT>(commandId), FALSE, &item)) return true;
    HWND window = reinterpret_cast<HWND>(item.dwItemData);
    // Read again: the entry is shown only if it still passes the checks now.
    HiddenWindowList list;
    LoadHiddenWindows(&list);
    if (window && IndexOf(list, window) >= 0) ShowAndForget(window);
    return true;
}

void ShowAllHiddenWindows() {
    HiddenWindowList list;
    LoadHiddenWindows(&list);
    for (int i = 0; i < list.count; ++i) ShowAndForget(list.entries[i].window);
}
