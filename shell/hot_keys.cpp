// The user's hot keys: stored form, registration without ever losing the key
// that works, and the names shown in the menu, the balloon and the messages.
#include "shell/hot_keys.h"

#include <string.h>

#include "resources/resource_ids.h"
#include "shell/settings.h"
#include "shell/winutil.h"

namespace {

const UINT KnownModifiers = MOD_ALT | MOD_CONTROL | MOD_SHIFT | MOD_WIN;

bool IsFunctionKey(UINT key) { return key >= VK_F1 && key <= VK_F24; }

// Keys that only ever modify or point: never the key of a hot key.
bool IsModifierOrButton(UINT key) {
    switch (key) {
    case VK_LBUTTON: case VK_RBUTTON: case VK_CANCEL: case VK_MBUTTON: case VK_XBUTTON1: case VK_XBUTTON2:
    case VK_SHIFT: case VK_CONTROL: case VK_MENU: case VK_LWIN: case VK_RWIN:
    case VK_LSHIFT: case VK_RSHIFT: case VK_LCONTROL: case VK_RCONTROL: case VK_LMENU: case VK_RMENU:
        return true;
    default: return false;
    }
}

// The name of the key alone: letters, digits and function keys as printed on
// the keyboard, the others as the keyboard layout names them.
void FormatKeyName(UINT key, char *out, int capacity) {
    if ((key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9')) {
        FormatText(out, capacity, "%c", (int)key);
        return;
    }
    if (IsFunctionKey(key)) {
        FormatText(out, capacity, "F%u", key - VK_F1 + 1);
        return;
    }
    LONG scan = (LONG)MapVirtualKeyA(key, 0) << 16;
    // Navigation keys share scan codes with the number pad: the extended bit tells them apart.
    if ((key >= VK_PRIOR && key <= VK_HELP) || key == VK_DIVIDE || key == VK_NUMLOCK) scan |= 1L << 24;
    if (scan == 0 || GetKeyNameTextA(scan, out, capacity) <= 0) FormatText(out, capacity, "0x%02X", key);
}

// The n-th comma-separated modifier name of the interface language.
void ModifierName(int index, char *out, int capacity) {
    static const char *const English[] = {"Win", "Ctrl", "Alt", "Shift"};
    char names[100];
    LoadLocalString(IDS_MODIFIER_NAMES, names, sizeof names);
    const char *start = names;
    for (int i = 0; i < index && start; ++i) {
        start = strchr(start, ',');
        if (start) ++start;
    }
    if (!start || !*start) {
        lstrcpynA(out, English[index], capacity);
        return;
    }
    const char *end = strchr(start, ',');
    int length = end ? (int)(end - start) : (int)strlen(start);
    lstrcpynA(out, start, length + 1 < capacity ? length + 1 : capacity);
}

void Append(char *out, int capacity, const char *text) {
    int used = (int)strlen(out);
    if (used < capacity - 1) lstrcpynA(out + used, text, capacity - used);
}

bool RegisterChoice(int id, HotKeyChoice choice) {
    return RegisterHotKey(App().mainWindow, id, choice.modifiers, choice.key) != FALSE;
}

void RegisterSlot(HotKeySlot &slot, HotKeyChoice chosen, int firstId) {
    slot.chosen = chosen;
    slot.id = firstId;
    slot.held = chosen.key != 0 && RegisterChoice(firstId, chosen);
}

}  // namespace

HotKeyChoice DefaultCaptureHotKey() {
    HotKeyChoice choice = {MOD_ALT | MOD_WIN, 'X'};
    return choice;
}

DWORD PackHotKey(HotKeyChoice choice) { return choice.key ? MAKELONG(choice.key, choice.modifiers) : 0; }

bool HotKeyNeedsModifier(HotKeyChoice choice) {
    return choice.key != 0 && !IsFunctionKey(choice.key) && !(choice.modifiers & (MOD_ALT | MOD_CONTROL | MOD_WIN));
}

bool ParseHotKey(DWORD packed, HotKeyChoice *choice) {
    HotKeyChoice parsed = {HIWORD(packed), LOWORD(packed)};
    if (packed == 0) {
        *choice = parsed;
        return true;
    }
    if ((parsed.modifiers & ~KnownModifiers) != 0 || parsed.key == 0 || parsed.key > 0xFE) return false;
    if (IsModifierOrButton(parsed.key) || HotKeyNeedsModifier(parsed)) return false;
    *choice = parsed;
    return true;
}

bool SameHotKey(HotKeyChoice a, HotKeyChoice b) {
    if (a.key == 0 || b.key == 0) return a.key == b.key;
    return a.key == b.key && a.modifiers == b.modifiers;
}

HotKeyChoice ReadHotKeySetting(const char *valueName, HotKeyChoice fallback) {
    HKEY key = OpenSettingsSection(SETTINGS_SECTION);
    if (!key) return fallback;
    DWORD type = 0, value = 0, size = sizeof value;
    LONG status = RegQueryValueExA(key, valueName, nullptr, &type, reinterpret_cast<BYTE *>(&value), &size);
    RegCloseKey(key);
    HotKeyChoice choice;
    if (status != ERROR_SUCCESS || type != REG_DWORD || size != sizeof value || !ParseHotKey(value, &choice))
        return fallback;
    return choice;
}

void FormatHotKey(HotKeyChoice choice, char *out, int capacity) {
    if (capacity <= 0) return;
    out[0] = 0;
    if (!choice.key) {
        LoadLocalString(IDS_NO_HOT_KEY, out, capacity);
        return;
    }
    // In the order the keyboard shortcuts of Windows are written: Win+Ctrl+Alt+Shift.
    static const UINT Order[] = {MOD_WIN, MOD_CONTROL, MOD_ALT, MOD_SHIFT};
    char name[64];
    for (int i = 0; i < 4; ++i) {
        if (!(choice.modifiers & Order[i])) continue;
        ModifierName(i, name, sizeof name);
        Append(out, capacity, name);
        Append(out, capacity, "+");
    }
    FormatKeyName(choice.key, name, sizeof name);
    Append(out, capacity, name);
}

void RegisterConfiguredHotKeys() {
    Application &app = App();
    HotKeyChoice none = {0, 0};
    RegisterSlot(app.CaptureKey, ReadHotKeySetting(SETTING_CAPTURE_HOTKEY, DefaultCaptureHotKey()),
                 CaptureHotKeyId);
    HotKeyChoice foreground = ReadHotKeySetting(SETTING_FOREGROUND_HOTKEY, none);
    // One key cannot serve both; the capture keeps it.
    if (SameHotKey(foreground, app.CaptureKey.chosen)) foreground = none;
    RegisterSlot(app.ForegroundKey, foreground, ForegroundHotKeyId);
}

bool TakeHotKey(HotKeySlot &slot, HotKeyChoice wanted, int firstId) {
    if (SameHotKey(wanted, slot.chosen) && (slot.held || !wanted.key)) return true;
    HWND window = App().mainWindow;
    int newId = slot.id == firstId ? firstId + 1 : firstId;
    if (wanted.key && !RegisterChoice(newId, wanted)) return false;
    if (slot.held) UnregisterHotKey(window, slot.id);
    slot.chosen = wanted;
    slot.held = wanted.key != 0;
    slot.id = newId;
    return true;
}

void UnregisterHotKeys() {
    Application &app = App();
    HotKeySlot *slots[] = {&app.CaptureKey, &app.ForegroundKey};
    for (HotKeySlot *slot : slots) {
        if (slot->held) UnregisterHotKey(app.mainWindow, slot->id);
        slot->held = false;
    }
}

HotKeyRoleId HotKeyRole(LPARAM lParam) {
    Application &app = App();
    HotKeyChoice pressed = {(UINT)(LOWORD(lParam) & KnownModifiers), HIWORD(lParam)};
    if (!pressed.key) return NoHotKeyRole;
    if (SameHotKey(pressed, app.CaptureKey.chosen)) return CaptureHotKeyRole;
    if (SameHotKey(pressed, app.ForegroundKey.chosen)) return ForegroundHotKeyRole;
    return NoHotKeyRole;
}

void ShowCaptureKeyInMenu() {
    Application &app = App();
    if (!app.TrayMenu) return;
    char text[200], key[100];
    if (GetMenuStringA(app.TrayMenu, IDC_CMD_CAPTURE, text, sizeof text, MF_BYCOMMAND) <= 0) return;
    char *tab = strchr(text, '\t');
    if (tab) *tab = 0;
    HotKeyChoice none = {0, 0};
    FormatHotKey(app.CaptureKey.held ? app.CaptureKey.chosen : none, key, sizeof key);
    Append(text, sizeof text, "\t");
    Append(text, sizeof text, key);
    ModifyMenuA(app.TrayMenu, IDC_CMD_CAPTURE, MF_BYCOMMAND | MF_STRING, IDC_CMD_CAPTURE, text);
    SetMenuDefaultItem(app.TrayMenu, IDC_CMD_CAPTURE, FALSE);
}

bool ReportRefusedHotKeys() {
    Application &app = App();
    char keys[200], key[100], format[100], text[400];
    keys[0] = 0;
    const HotKeySlot *slots[] = {&app.CaptureKey, &app.ForegroundKey};
    for (const HotKeySlot *slot : slots) {
        if (!slot->chosen.key || slot->held) continue;
        FormatHotKey(slot->chosen, key, sizeof key);
        if (keys[0]) Append(keys, sizeof keys, ", ");
        Append(keys, sizeof keys, key);
    }
    if (!keys[0]) return false;
    LoadLocalString(IDS_HOTKEY_REFUSED_START, format, sizeof format);
    FormatText(text, sizeof text, format, keys);
    ShowTrayBalloon(text);
    return true;
}
