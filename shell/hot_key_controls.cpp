// The hot keys in the Preferences dialog: each a system hot key control with a
// Win check box; OK takes the keys before anything is stored, or stays open.
#include <windows.h>
#include <commctrl.h>

#include "resources/resource_ids.h"
#include "shell/hot_keys.h"
#include "shell/settings.h"
#include "shell/winutil.h"

namespace {

// The control's modifier bits and the MOD_ flags of RegisterHotKey differ.
struct ModifierPair {
    BYTE controlFlag;
    UINT modFlag;
};
const ModifierPair ModifierPairs[] = {
    {HOTKEYF_SHIFT, MOD_SHIFT}, {HOTKEYF_CONTROL, MOD_CONTROL}, {HOTKEYF_ALT, MOD_ALT}};

void ShowChoice(HWND dialog, int controlId, int winId, HotKeyChoice choice) {
    BYTE flags = 0;
    for (const ModifierPair &pair : ModifierPairs) {
        if (choice.modifiers & pair.modFlag) flags |= pair.controlFlag;
    }
    SendDlgItemMessageA(dialog, controlId, HKM_SETHOTKEY, choice.key ? MAKEWORD(choice.key, flags) : 0, 0);
    CheckDlgButton(dialog, winId, choice.key && (choice.modifiers & MOD_WIN) ? BST_CHECKED : BST_UNCHECKED);
}

HotKeyChoice ReadChoice(HWND dialog, int controlId, int winId) {
    WORD value = (WORD)SendDlgItemMessageA(dialog, controlId, HKM_GETHOTKEY, 0, 0);
    HotKeyChoice choice = {0, LOBYTE(value)};
    if (!choice.key) return choice;
    for (const ModifierPair &pair : ModifierPairs) {
        if (HIBYTE(value) & pair.controlFlag) choice.modifiers |= pair.modFlag;
    }
    if (IsDlgButtonChecked(dialog, winId) == BST_CHECKED) choice.modifiers |= MOD_WIN;
    return choice;
}

// Says why the key cannot be had, over the dialog, and puts the focus on it.
bool Refuse(HWND dialog, int controlId, UINT messageId, HotKeyChoice choice) {
    char key[100], format[100], text[400];
    FormatHotKey(choice, key, sizeof key);
    LoadLocalString(messageId, format, sizeof format);
    FormatText(text, sizeof text, format, key);
    MessageBoxA(dialog, text, App().productName, MB_OK | MB_ICONWARNING);
    SetFocus(GetDlgItem(dialog, controlId));
    return false;
}

// Takes the key for the slot and stores it once the system has granted it.
bool TakeAndStore(HWND dialog, int controlId, HotKeySlot &slot, HotKeyChoice wanted, int firstId,
                  const char *valueName) {
    if (!TakeHotKey(slot, wanted, firstId)) return Refuse(dialog, controlId, IDS_HOTKEY_REFUSED_DIALOG, wanted);
    WriteSetting(SETTINGS_SECTION, valueName, (LONG)PackHotKey(wanted));
    return true;
}

}  // namespace

void InitHotKeyControls(HWND dialog) {
    Application &app = App();
    ShowChoice(dialog, IDC_CAPTURE_HOTKEY, IDC_CAPTURE_HOTKEY_WIN, app.CaptureKey.chosen);
    ShowChoice(dialog, IDC_FOREGROUND_HOTKEY, IDC_FOREGROUND_HOTKEY_WIN, app.ForegroundKey.chosen);
}

bool ApplyHotKeyControls(HWND dialog) {
    Application &app = App();
    HotKeyChoice capture = ReadChoice(dialog, IDC_CAPTURE_HOTKEY, IDC_CAPTURE_HOTKEY_WIN);
    HotKeyChoice foreground = ReadChoice(dialog, IDC_FOREGROUND_HOTKEY, IDC_FOREGROUND_HOTKEY_WIN);
    if (HotKeyNeedsModifier(capture))
        return Refuse(dialog, IDC_CAPTURE_HOTKEY, IDS_HOTKEY_NEEDS_MODIFIER, capture);
    if (HotKeyNeedsModifier(foreground))
        return Refuse(dialog, IDC_FOREGROUND_HOTKEY, IDS_HOTKEY_NEEDS_MODIFIER, foreground);
    if (capture.key && SameHotKey(capture, foreground))
        return Refuse(dialog, IDC_FOREGROUND_HOTKEY, IDS_HOTKEYS_SAME, foreground);
    bool taken = TakeAndStore(dialog, IDC_CAPTURE_HOTKEY, app.CaptureKey, capture, CaptureHotKeyId,
                              SETTING_CAPTURE_HOTKEY) &&
                 TakeAndStore(dialog, IDC_FOREGROUND_HOTKEY, app.ForegroundKey, foreground, ForegroundHotKeyId,
                              SETTING_FOREGROUND_HOTKEY);
    ShowCaptureKeyInMenu();
    return taken;
}
