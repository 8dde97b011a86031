// What the tray's lists of things Zorvane did share (the windows it hid, the
// programs it suspended): entries kept in a section of the settings key with
// the identity of their process, and the tray submenus that list them.
#ifndef ZORVANE_KEPT_ENTRIES_H
#define ZORVANE_KEPT_ENTRIES_H

#include <windows.h>

#include "actions/identity.h"

// One entry: its key (a window handle's 32 significant bits, or a process id)
// is the value's name as 8 hex digits; the data is REG_SZ "<process id>:<process
// creation time>" in decimal, the creation time 0 when it could not be read.
struct KeptEntry {
    DWORD key;
    DWORD processId;
    CreationTime created;
};

// Whether an entry read back still stands for what was kept.
typedef bool (*KeptEntryCheck)(const KeptEntry &entry);

// Reads up to capacity entries of the section and deletes the values that are
// no entry (wrong type, text that does not parse) or fail the check. Returns
// the count.
int LoadKeptEntries(const char *section, KeptEntryCheck check, KeptEntry *entries, int capacity);

bool WriteKeptEntry(const char *section, const KeptEntry &entry);
void DeleteKeptEntry(const char *section, DWORD key);

// The index of the entry with the key, or -1.
int FindKeptEntry(const KeptEntry *entries, int count, DWORD key);

// True when the process still has the id and, where it can be read, the
// creation time kept (a process id is given out again).
bool SameProcessStillThere(DWORD processId, CreationTime created);

// The submenu at the given rank among the tray menu's submenus (0: the first), or 0.
HMENU TraySubmenu(HMENU trayMenu, int rank);

// At most this many entries are kept in a list: one submenu command each.
enum { KeptEntryLimit = 64, KeptLabelCapacity = 1024 };

// One list: its section, the check its entries must still pass, the label of
// an entry in the submenu, the submenu's rank among the tray menu's submenus,
// its commands (the first entry's, the last possible one's, the one that acts
// on all) and the text of the last.
struct KeptList {
    const char *section;
    KeptEntryCheck check;
    void (*label)(const KeptEntry &entry, char *label, int capacity);
    int rank;
    UINT firstCommand, lastCommand, allCommand, allString;
};

// Reads the list (dropping the entries that fail the check) into entries,
// which holds KeptEntryLimit; returns the count.
int LoadKeptList(const KeptList &list, KeptEntry *entries);

// Rebuilds the list's submenu: one item per entry, each carrying its entry's
// key, then a separator and the command that acts on all; or one greyed
// "(none)" when there are none.
void FillKeptListMenu(HMENU trayMenu, const KeptList &list);

// For a command of the submenu's entry items: true, and entry gets the entry
// that the item names, read again now (its key 0 when it no longer passes the
// check). False when the command is none of the list's.
bool KeptEntryOfCommand(HMENU trayMenu, const KeptList &list, int commandId, KeptEntry *entry);

// The text as a menu item shows it: a menu takes a lone "&" as the mark of a
// shortcut letter ("&&" shows one) and a tab as the start of a shortcut's name.
void MenuItemText(const char *text, char *out, int capacity);

#endif
