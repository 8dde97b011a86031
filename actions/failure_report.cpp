// The failure box of an action, the shield on its Retry button, and the
// elevated start of Liftrun that Retry asks for.
#include "actions/actions.h"

#include <commctrl.h>
#include <stdlib.h>
#include <string.h>

#include "shell/application.h"
#include "shell/code_page.h"
#include "shell/main_window.h"
#include "shell/winutil.h"

#ifndef _WIN64
static_assert(sizeof(SHELLEXECUTEINFOA) == 60, "SHELLEXECUTEINFOA is 60 bytes");
#endif

void ReportActionFailure(UINT messageId, const char *verb, LONG id, CreationTime creation) {
    ReportActionFailureOwned(App().mainWindow, messageId, verb, id, creation);
}

void ReportActionFailureOwned(HWND owner, UINT messageId, const char *verb, LONG id, CreationTime creation) {
    Application &app = App();
    char message[100];  // a longer text is cut to 99 characters
    LoadLocalString(messageId, message, sizeof message);
    bool elevate = CanElevate();
    // The box's own loop runs the timer, which finds the box and shields Retry.
    if (elevate) SetTimer(app.mainWindow, ShieldTimer, 100, nullptr);
    int answer = MessageBoxA(owner, message, app.productName, elevate ? MB_RETRYCANCEL : MB_OK);
    if (answer != IDRETRY) return;
    // The box may have waited for minutes: a target that has ended, or whose id
    // now names another, is not handed to Liftrun.
    if (!RetryTargetStillThere(app.OpenThreadEntry, verb, id, creation)) return;
    char program[TEXT_BYTES(MAX_PATH)];
    if (LiftrunProgramPath(program, sizeof program))
        StartLiftrunElevated(app.mainWindow, program, verb, id, creation, message);
}

bool LiftrunProgramPath(char *out, int capacity) {
    char directory[TEXT_BYTES(MAX_PATH)];
    if (!ProgramDirectory(directory, sizeof directory)) return false;
    if (FormatText(out, capacity, "%sLiftrun.exe", directory) < 0) return false;
    DWORD attributes = GetFileAttributesA(out);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool FormatLiftrunCommandLine(const char *verb, LONG id, CreationTime creation, const char *message, char *out,
                              int capacity) {
    if (!creation) return FormatText(out, capacity, "%s %ld %s", verb, (long)id, message) >= 0;
    return FormatText(out, capacity, "%s %ld:%I64u %s", verb, (long)id, creation, message) >= 0;
}

bool StartLiftrunElevated(HWND owner, const char *programFile, const char *verb, LONG id, CreationTime creation,
                          const char *message) {
    // verb, blank, at most 11 characters of signed id, a colon and at most 20
    // digits of creation time, blank, message, terminator
    int capacity = (int)(strlen(verb) + strlen(message)) + 35;
    char *parameters = static_cast<char *>(malloc(capacity));
    if (!parameters) return false;
    bool started = false;
    if (FormatLiftrunCommandLine(verb, id, creation, message, parameters, capacity)) {
        SHELLEXECUTEINFOA request;
        ZeroMemory(&request, sizeof request);
        request.cbSize = sizeof request;
        request.fMask = SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
        request.hwnd = owner;
        request.lpVerb = "runas";
        request.lpFile = programFile;
        request.lpParameters = parameters;
        request.nShow = SW_SHOWNORMAL;
        started = ShellExecuteExA(&request) != FALSE;
    }
    free(parameters);
    return started;
}

namespace {

const LONG FailureBoxStyle = WS_VISIBLE | WS_POPUP | WS_SYSMENU | DS_MODALFRAME | WS_CAPTION;

BOOL CALLBACK MatchFailureBox(HWND window, LPARAM lParam) {
    char title[TEXT_BYTES(255)];
    GetWindowTextA(window, title, sizeof title);
    if (lstrcmpiA(title, "zorvane") != 0) return TRUE;
    if ((GetWindowLongA(window, GWL_STYLE) & FailureBoxStyle) != FailureBoxStyle) return TRUE;
    *reinterpret_cast<HWND *>(lParam) = window;
    return FALSE;
}

}  // namespace

HWND FindFailureBox() {
    HWND found = nullptr;
    EnumWindows(MatchFailureBox, reinterpret_cast<LPARAM>(&found));
    return found;
}

void OnShieldTimer() {
    KillTimer(App().mainWindow, ShieldTimer);
    HWND box = FindFailureBox();
    if (box) SendDlgItemMessageA(box, IDRETRY, BCM_SETSHIELD, 0, 1);
}
