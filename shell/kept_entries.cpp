// The entries kept in a settings section by Zorvane's tray lists, and the tray
// submenus that list them.
#include "shell/kept_entries.h"

#include <string.h>

#include "resources/resource_ids.h"
#include "shell/settings.h"
#include "shell/winutil.h"

namespace {

// Value names are 8 hex digits; the data is two decimal numbers and a colon.
enum { NameCapacity = 100, DataCapacity = 48, NameDigits = 8, StaleLimit = 64 };

void ValueName(DWORD key, char *name) { FormatText(name, NameCapacity, "%08lX", static_cast<unsigned long>(key)); }

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

bool ParseValueName(const char *name, DWORD *key) {
    unsigned long value = 0;
    for (int i = 0; i < NameDigits; ++i) {
        int digit = HexDigit(name[i]);
        if (digit < 0) return false;
        value = value << 4 | static_cast<unsigned long>(digit);
    }
    if (name[NameDigits] || !value) return false;
    *key = static_cast<DWORD>(value);
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

bool ParseValueData(const char *data, KeptEntry *entry) {
    unsigned long long processId = 0, created = 0;
    if (!ParseDecimal(&data, ':', 0xFFFFFFFFull, &processId) || !processId) return false;
    if (!ParseDecimal(&data, 0, ~0ull, &created)) return false;
    entry->processId = static_cast<DWORD>(processId);
    entry->created = created;
    return true;
}

// Reads the value at the index; false when there are no more. A value whose
// data does not fit is read by name only, and one whose name does not fit
// either is left nameless (name empty): both count as no entry (ok false).
bool ReadValue(HKEY key, DWORD index, KeptEntryCheck check, char *name, KeptEntry *entry, bool *ok) {
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
    *ok = type == REG_SZ && ParseValueName(name, &entry->key) && ParseValueData(data, entry) && check(*entry);
    return true;
}

void AppendLocalItem(HMENU menu, UINT flags, UINT id, UINT stringId) {
    char text[100];
    LoadLocalString(stringId, text, sizeof text);
    AppendMenuA(menu, flags, id, text);
}

// The item keeps the entry's key, so that its command names the very entry
// shown in the menu even if the list changed meanwhile.
void AppendEntry(HMENU menu, int index, UINT command, const char *label, DWORD key) {
    MENUITEMINFOA item;
    ZeroMemory(&item, sizeof item);
    item.cbSize = sizeof item;
    item.fMask = MIIM_ID | MIIM_STRING | MIIM_DATA | MIIM_FTYPE;
    item.fType = MFT_STRING;
    item.wID = command;
    item.dwItemData = key;
    item.dwTypeData = const_cast<char *>(label);
    InsertMenuItemA(menu, index, TRUE, &item);
}

}  // namespace

// Deleted after the walk, which must not change the key; the rest of a larger
// heap of stale values goes the next time.
int LoadKeptEntries(const char *section, KeptEntryCheck check, KeptEntry *entries, int capacity) {
    int count = 0;
    HKEY key = OpenSettingsSection(section);
    if (!key) return 0;
    char stale[StaleLimit][NameCapacity];
    int staleCount = 0;
    char name[NameCapacity];
    KeptEntry entry;
    bool ok = false;
    for (DWORD index = 0; ReadValue(key, index, check, name, &entry, &ok); ++index) {
        if (ok && count < capacity) entries[count++] = entry;
        else if (!ok && name[0] && staleCount < StaleLimit) lstrcpynA(stale[staleCount++], name, NameCapacity);
    }
    for (int i = 0; i < staleCount; ++i) RegDeleteValueA(key, stale[i]);
    RegCloseKey(key);
    return count;
}

bool WriteKeptEntry(const char *section, const KeptEntry &entry) {
    HKEY key = OpenSettingsSection(section);
    if (!key) return false;
    char name[NameCapacity], data[DataCapacity];
    ValueName(entry.key, name);
    FormatText(data, sizeof data, "%lu:%I64u", static_cast<unsigned long>(entry.processId), entry.created);
    LONG status = RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE *>(data),
                                 static_cast<DWORD>(strlen(data) + 1));
    RegCloseKey(key);
    return status == ERROR_SUCCESS;
}

void DeleteKeptEntry(const char *section, DWORD keyValue) {
    HKEY key = OpenSettingsSection(section);
    if (!key) return;
    char name[NameCapacity];
    ValueName(keyValue, name);
    RegDeleteValueA(key, name);
    RegCloseKey(key);
}

int FindKeptEntry(const KeptEntry *entries, int count, DWORD key) {
    for (int i = 0; i < count; ++i)
        if (entries[i].key == key) return i;
    return -1;
}

bool SameProcessStillThere(DWORD processId, CreationTime created) {
    bool gone = false;
    CreationTime now = CurrentProcessCreationTime(processId, &gone);
    return !gone && !IsReplaced(created, now);
}

HMENU TraySubmenu(HMENU trayMenu, int rank) {
    int count = GetMenuItemCount(trayMenu);
    for (int i = 0; i < count; ++i) {
        HMENU submenu = GetSubMenu(trayMenu, i);
        if (submenu && rank-- == 0) return submenu;
    }
    return nullptr;
}

int LoadKeptList(const KeptList &list, KeptEntry *entries) {
    return LoadKeptEntries(list.section, list.check, entries, KeptEntryLimit);
}

void FillKeptListMenu(HMENU trayMenu, const KeptList &list) {
    HMENU menu = TraySubmenu(trayMenu, list.rank);
    if (!menu) return;
    while (GetMenuItemCount(menu) > 0) DeleteMenu(menu, 0, MF_BYPOSITION);
    KeptEntry entries[KeptEntryLimit];
    int count = LoadKeptList(list, entries);
    if (count == 0) {
        AppendLocalItem(menu, MF_STRING | MF_GRAYED, 0, IDS_HIDDEN_NONE);
        return;
    }
    for (int i = 0; i < count; ++i) {
        char label[KeptLabelCapacity];
        list.label(entries[i], label, sizeof label);
        AppendEntry(menu, i, list.firstCommand + i, label, entries[i].key);
    }
    AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    AppendLocalItem(menu, MF_STRING, list.allCommand, list.allString);
}

bool KeptEntryOfCommand(HMENU trayMenu, const KeptList &list, int commandId, KeptEntry *entry) {
    if (commandId < static_cast<int>(list.firstCommand) || commandId > static_cast<int>(list.lastCommand))
        return false;
    ZeroMemory(entry, sizeof *entry);
    MENUITEMINFOA item;
    ZeroMemory(&item, sizeof item);
    item.cbSize = sizeof item;
    item.fMask = MIIM_DATA;
    HMENU menu = TraySubmenu(trayMenu, list.rank);
    if (!menu || !GetMenuItemInfoA(menu, static_cast<UINT>(commandId), FALSE, &item) || !item.dwItemData)
        return true;
    // Read again: the entry counts only if it still passes the check now.
    KeptEntry entries[KeptEntryLimit];
    int count = LoadKeptList(list, entries);
    int index = FindKeptEntry(entries, count, static_cast<DWORD>(item.dwItemData));
    if (index >= 0) *entry = entries[index];
    return true;
}

void MenuItemText(const char *text, char *out, int capacity) {
    int length = 0;
    for (; *text && length < capacity - 2; ++text) {
        if (*text == '&') out[length++] = '&';
        out[length++] = *text == '\t' ? ' ' : *text;
    }
    out[length] = 0;
}
