// The About box (whose procedure also runs the update-available dialog) with
// its web link, and the Preferences dialog for the action and the logon entry.
#include "shell/dialogs.h"

#include "resources/resource_ids.h"
#include "selection/highlight.h"
#include "shell/application.h"
#include "shell/hot_keys.h"
#include "shell/settings.h"
#include "shell/winutil.h"

namespace {

const COLORREF LinkColour = RGB(0, 0, 255);

// --- About and update-available dialogs -------------------------------------

INT_PTR OnAboutCommand(HWND dialog, int id) {
    if (id != IDOK && id != IDCANCEL) return FALSE;
    EndDialog(dialog, id);
    return TRUE;
}

// The hand over the link. The link is a static without the notify style, so
// the pointer over it reaches the dialog itself.
INT_PTR OnLinkSetCursor(HWND dialog) {
    HWND link = GetDlgItem(dialog, IDC_LINK);
    if (!link) return FALSE;
    POINT cursor;
    RECT rect;
    if (!GetCursorPos(&cursor) || !GetWindowRect(link, &rect) || !PtInRect(&rect, cursor)) return FALSE;
    SetCursor(LoadCursorA(nullptr, IDC_HAND));
    SetWindowLongPtrA(dialog, DWLP_MSGRESULT, TRUE);
    return TRUE;
}

// Opens the link's text when the button is released over it, wherever it was pressed.
void OnLinkButtonUp(HWND dialog, LPARAM lParam) {
    HWND link = GetDlgItem(dialog, IDC_LINK);
    if (!link) return;
    POINT release = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    RECT rect;
    GetWindowRect(link, &rect);
    POINT corners[2] = {{rect.left, rect.top}, {rect.right, rect.bottom}};
    ScreenToClient(dialog, &corners[0]);
    ScreenToClient(dialog, &corners[1]);
    SetRect(&rect, corners[0].x, corners[0].y, corners[1].x, corners[1].y);
    char text[1024];
    ReadControlText(dialog, IDC_LINK, text, sizeof text);
    if (PtInRect(&rect, release)) OpenWithShell(dialog, text);
}

// An underlined copy of the font selected into the context.
HFONT MakeLinkFont(HDC dc) {
    TEXTMETRICA metrics;
    if (!GetTextMetricsA(dc, &metrics)) return nullptr;
    char face[32];
    face[0] = 0;
    GetTextFaceA(dc, sizeof face, face);
    return CreateFontA(metrics.tmHeight, 0, 0, 0, metrics.tmWeight, metrics.tmItalic, TRUE,
                       metrics.tmStruckOut, metrics.tmCharSet, OUT_STRING_PRECIS, CLIP_STROKE_PRECIS,
                       DEFAULT_QUALITY, metrics.tmPitchAndFamily, face);
}

// Draws the link blue and underlined. The previous LinkFont goes only once the
// new one is on the control and in the context, so at most one stays alive.
INT_PTR OnLinkColour(HDC dc, HWND control) {
    if (GetDlgCtrlID(control) != IDC_LINK) return FALSE;
    Application &app = App();
    // Some static controls ask for their colours before they select their font:
    // copy the control's own font (the dialog's, then the link font itself).
    HFONT controlFont = reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0));
    if (controlFont) SelectObject(dc, controlFont);
    HFONT font = MakeLinkFont(dc);
    if (font) {
        SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        SelectObject(dc, font);
        if (app.LinkFont) DeleteObject(app.LinkFont);
        app.LinkFont = font;
    }
    SetTextColor(dc, LinkColour);
    SetBkMode(dc, TRANSPARENT);
    return reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_BTNFACE));
}

void OnAboutDestroy() {
    Application &app = App();
    if (app.LinkFont) DeleteObject(app.LinkFont);
    app.LinkFont = nullptr;
    app.ActiveDialog = nullptr;
}

// --- Preferences dialog ---------------------------------------------------

// A radio button: its id is the action it stands for; its text takes the
// action's highlight colour in the given shade.
struct ActionChoice {
    int id;
    int colourIndex;
    int shade;
};

// In the order in which OK looks for the checked button.
const ActionChoice ActionChoices[] = {
    {IDC_RADIO_HIDE, 4, 3},        {IDC_RADIO_CLOSE, 3, 3},        {IDC_RADIO_QUIT, 2, 3},
    {IDC_RADIO_KILL_THREAD, 1, 0}, {IDC_RADIO_KILL_PROCESS, 0, 2},
};

bool IsChecked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }

void SetChecked(HWND dialog, int id, bool checked) {
    CheckDlgButton(dialog, id, checked ? BST_CHECKED : BST_UNCHECKED);
}

void OnPreferencesInit(HWND dialog) {
    Application &app = App();
    app.ActionMethod = ReadSetting(SETTINGS_SECTION, SETTING_METHOD, 1000);
    app.ActiveDialog = dialog;
    for (const ActionChoice &choice : ActionChoices) SetChecked(dialog, choice.id, app.ActionMethod == choice.id);
    EnableWindow(GetDlgItem(dialog, IDC_RADIO_KILL_THREAD), ThreadOpeningAvailable());
    SetChecked(dialog, IDC_RUN_AT_LOGON, IsRunAtLogon());
    InitHotKeyControls(dialog);
}

// Owned by the dialog whose OK asked for the entry.
void ReportLogonNotSet(HWND dialog) {
    char text[TEXT_BYTES(100)];
    LoadLocalString(IDS_LOGON_NOT_SET, text, sizeof text);
    MessageBoxA(dialog, text, App().productName, MB_OK);
}

// Stores the checked action (or the loaded one when none is) and the logon entry.
void OnPreferencesOk(HWND dialog) {
    // A key the system refuses keeps the dialog open; nothing else is stored then.
    if (!ApplyHotKeyControls(dialog)) return;
    Application &app = App();
    for (const ActionChoice &choice : ActionChoices) {
        if (IsChecked(dialog, choice.id)) {
            app.ActionMethod = choice.id;
            break;
        }
    }
    WriteSetting(SETTINGS_SECTION, SETTING_METHOD, app.ActionMethod);
    bool atLogon = IsChecked(dialog, IDC_RUN_AT_LOGON);
    // A logon entry that could not be written (a registry failure, or a program
    // path that cannot be written down whole) is not left unsaid.
    SetRunAtLogon(atLogon);
    if (IsRunAtLogon() != atLogon) ReportLogonNotSet(dialog);
    EndDialog(dialog, IDOK);
}

INT_PTR OnPreferencesCommand(HWND dialog, int id) {
    switch (id) {
    case IDOK: OnPreferencesOk(dialog); return TRUE;
    case IDCANCEL: EndDialog(dialog, IDCANCEL); return TRUE;
    case IDC_RADIO_CLOSE:
    case IDC_RADIO_QUIT:
    case IDC_RADIO_KILL_THREAD:
    case IDC_RADIO_KILL_PROCESS:
    case IDC_RADIO_HIDE: return TRUE;  // auto radio buttons check themselves
    default: return FALSE;
    }
}

// Radio texts in their action's colour; every static-coloured control on the
// dialog's face colour with a transparent background.
INT_PTR OnPreferencesColour(HDC dc, HWND control) {
    int id = GetDlgCtrlID(control);
    for (const ActionChoice &choice : ActionChoices) {
        if (choice.id == id) SetTextColor(dc, HighlightShade(choice.colourIndex, choice.shade));
    }
    SetBkMode(dc, TRANSPARENT);
    return reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_BTNFACE));
}

}  // namespace

INT_PTR CALLBACK AboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: App().ActiveDialog = dialog; return TRUE;
    case WM_COMMAND: return OnAboutCommand(dialog, LOWORD(wParam));
    case WM_SETCURSOR: return OnLinkSetCursor(dialog);
    case WM_LBUTTONUP: OnLinkButtonUp(dialog, lParam); return FALSE;
    case WM_CTLCOLORSTATIC: return OnLinkColour(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    case WM_DESTROY: OnAboutDestroy(); return FALSE;
    default: return FALSE;
    }
}

INT_PTR CALLBACK PreferencesDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: OnPreferencesInit(dialog); return TRUE;
    case WM_COMMAND: return OnPreferencesCommand(dialog, LOWORD(wParam));
    case WM_CTLCOLORSTATIC:
        return OnPreferencesColour(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    case WM_DESTROY: App().ActiveDialog = nullptr; return FALSE;
    default: return FALSE;
    }
}
