// The user's hot keys: the capture key (Win+Alt+X unless chosen otherwise) and
// the optional key that acts on the foreground window; kept in the settings,
// taken from the system, named for the user.
#ifndef ZORVANE_HOT_KEYS_H
#define ZORVANE_HOT_KEYS_H

#include <windows.h>

#include "shell/application.h"

// Value names of the two keys: REG_DWORD, virtual key in the low word, MOD_
// flags in the high word; 0 is no key.
#define SETTING_CAPTURE_HOTKEY "HotKey"
#define SETTING_FOREGROUND_HOTKEY "ForegroundHotKey"

// Hot key ids: each slot owns two and alternates between them.
enum { CaptureHotKeyId = 0, ForegroundHotKeyId = 2 };

// Win+Alt+X.
HotKeyChoice DefaultCaptureHotKey();

DWORD PackHotKey(HotKeyChoice choice);
// False when the value names no usable key: flags beyond Alt, Ctrl, Shift and
// Win, a mouse button or modifier as the key, or an ordinary key without Ctrl,
// Alt or Win (it would take a typing key from every program). 0 is no key.
bool ParseHotKey(DWORD packed, HotKeyChoice *choice);
bool SameHotKey(HotKeyChoice a, HotKeyChoice b);
// True when the key would be refused for itself, whatever other programs hold.
bool HotKeyNeedsModifier(HotKeyChoice choice);

// The stored key, or the fallback when the value is absent, not a REG_DWORD or
// does not parse.
HotKeyChoice ReadHotKeySetting(const char *valueName, HotKeyChoice fallback);

// "Win+Alt+X" with the modifier names of the interface language.
void FormatHotKey(HotKeyChoice choice, char *out, int capacity);

// Start-up: reads both keys and registers them on the main window. A refused
// key stays chosen and not held.
void RegisterConfiguredHotKeys();
// Takes the wanted key for the slot: registers it under the slot's other id and
// only then lets the old one go. No key lets the old one go. False, with the
// old key kept, when the system refuses the new one.
bool TakeHotKey(HotKeySlot &slot, HotKeyChoice wanted, int firstId);
void UnregisterHotKeys();

// Which slot a WM_HOTKEY's modifiers and key name.
enum HotKeyRoleId { NoHotKeyRole, CaptureHotKeyRole, ForegroundHotKeyRole };
HotKeyRoleId HotKeyRole(LPARAM lParam);

// Writes "Zorvane\t<key that works>" (or the no-key text) into the tray menu's
// capture item.
void ShowCaptureKeyInMenu();

// At a tray start: the balloon that names the keys the system refused and
// where to choose others. False when every chosen key is held.
bool ReportRefusedHotKeys();

// The Preferences dialog's hot key controls: filled from the chosen keys, and
// on OK the keys taken and stored. False, with the dialog to stay open and the
// user told why, when a key cannot be had.
void InitHotKeyControls(HWND dialog);
bool ApplyHotKeyControls(HWND dialog);

#endif
