// Dialogs, message boxes and menus of a process behind dialogs.h.
#include "dialogs.h"

#include <string.h>

#include "harness.h"

namespace {

WindowMatch DialogMatch(DWORD processId, const char *title, int controlId) {
    WindowMatch match = {processId, false, "#32770", title, true, controlId, 0};
    return match;
}

// The box's message is its longest static text (the icon, if any, has none).
BOOL CALLBACK ReadBoxChild(HWND child, LPARAM lParam) {
    MessageBoxReading *reading = reinterpret_cast<MessageBoxReading *>(lParam);
    char className[64];
    GetClassNameA(child, className, sizeof className);
    if (lstrcmpiA(className, "Static") == 0) {
        char text[512];
        GetWindowTextA(child, text, sizeof text);
        if (strlen(text) > strlen(reading->text)) strcpy(reading->text, text);
    } else if (lstrcmpiA(className, "Button") == 0 && IsWindowVisible(child)) {
        int id = GetDlgCtrlID(child);
        if (id == IDOK) reading->ok = true;
        if (id == IDRETRY) reading->retry = true;
        if (id == IDCANCEL) reading->cancel = true;
    }
    return TRUE;
}

void ReadBox(HWND box, MessageBoxReading *reading) {
    ZeroMemory(reading, sizeof *reading);
    reading->box = box;
    GetWindowThreadProcessId(box, &reading->processId);
    GetWindowTextA(box, reading->caption, sizeof reading->caption);
    EnumChildWindows(box, ReadBoxChild, reinterpret_cast<LPARAM>(reading));
}

}  // namespace

HWND FindProcessDialog(DWORD processId, const char *title, int controlId) {
    return FindTopWindow(DialogMatch(processId, title, controlId));
}

HWND WaitForProcessDialog(DWORD processId, const char *title, DWORD timeoutMs, int controlId) {
    HWND found = nullptr;
    WaitFor([&] { return (found = FindProcessDialog(processId, title, controlId)) != nullptr; }, timeoutMs);
    return found;
}

int CountProcessDialogs(DWORD processId, bool visibleOnly, int controlId) {
    WindowMatch match = DialogMatch(processId, nullptr, controlId);
    match.visibleOnly = visibleOnly;
    int count = 0;
    FindTopWindow(match, &count);
    return count;
}

bool WaitWindowGone(HWND window, DWORD timeoutMs) {
    return WaitFor([&] { return !IsWindow(window) || !IsWindowVisible(window); }, timeoutMs);
}

bool SendCommand(HWND window, int id, DWORD timeoutMs) {
    DWORD_PTR result = 0;
    return SendMessageTimeoutA(window, WM_COMMAND, (WPARAM)id, 0, SMTO_NORMAL, timeoutMs, &result) != 0;
}

void PressDialogButton(HWND dialog, int buttonId) {
    HWND button = GetDlgItem(dialog, buttonId);
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED), reinterpret_cast<LPARAM>(button));
}

void ClickControl(HWND control) {
    RECT rect;
    GetWindowRect(control, &rect);
    MovePointer((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
    Click(true);
}

void ClickControl(HWND dialog, int controlId) { ClickControl(GetDlgItem(dialog, controlId)); }

void MessageBoxText(HWND box, char *out, int capacity) {
    MessageBoxReading reading;
    ReadBox(box, &reading);
    lstrcpynA(out, reading.text, capacity);
}

HWND FindZorvaneBox(DWORD processId) {
    WindowMatch match = DialogMatch(processId, "Zorvane", 0);
    match.anyProcess = processId == 0;
    return FindTopWindow(match);
}

bool WaitForMessageBox(DWORD processId, DWORD timeoutMs, MessageBoxReading *reading) {
    ZeroMemory(reading, sizeof *reading);
    HWND box = nullptr;
    if (!WaitFor([&] { return (box = FindZorvaneBox(processId)) != nullptr; }, timeoutMs)) return false;
    ReadBox(box, reading);
    return true;
}

HWND FindVisibleMenu(DWORD processId) {
    WindowMatch match = {processId, false, "#32768", nullptr, true, 0, 0};
    return FindTopWindow(match);
}
