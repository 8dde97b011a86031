// The windows that Zorvane hid (a capture's Hide and the process list's Hide),
// kept in the settings key so that this Zorvane or a later one can show each
// of them again from the tray menu's "Hidden windows" submenu.
#ifndef ZORVANE_HIDDEN_WINDOWS_H
#define ZORVANE_HIDDEN_WINDOWS_H

#include <windows.h>

// Section of the settings key. One value per window, named by the window handle
// as 8 hex digits (its 32 significant bits), REG_SZ "<process id>:<process
// creation time>" in decimal; the creation time is 0 when it could not be read.
#define HIDDEN_WINDOWS_SECTION "HiddenWindows"

// At most this many are kept: one submenu command each.
enum { HiddenWindowLimit = 64 };

// Hides the window and records it. A window that is already hidden is hidden
// by someone else and is not recorded. When the list is full (after dropping
// the entries that are no longer hidden) or the record cannot be written, the
// window stays visible and the user hears a beep: no window that Zorvane hid is
// left without a way back. False then, and for no window.
bool HideAndRemember(HWND window);

// Rebuilds the hidden windows submenu of the tray menu from the list, after
// dropping the entries whose window is gone, visible again or no longer of the
// recorded process: one item per window ("<exe> - <title>"), a separator and
// "Show all", or one greyed "(none)".
void FillHiddenWindowsMenu(HMENU trayMenu);

// A command of the submenu's window items: shows that window when it is still
// the one hidden, and drops it from the list. False when the id is none of them.
bool OnHiddenWindowCommand(HMENU trayMenu, int commandId);

// Shows every window of the list that is still the one hidden, and empties it.
void ShowAllHiddenWindows();

#endif
