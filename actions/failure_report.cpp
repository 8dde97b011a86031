// The failure box of an action, the shield on its Retry button, and the
// elevated start of Liftrun that Retry asks for.
#include "actions/actions.h"

#include <commctrl.h>
#include <stdlib.h>
#include <string.h>

#include "actions/end_guard.h"
#include "selection/target.h"
#include "shell/application.h"
#include "shell/code_page.h"
#include "shell/main_window.h"
#include "shell/winutil.h"

#ifndef _WIN64
static_assert(sizeof(SHELLEXECUTEINFOA) == 60, "SHELLEXECUTEINFOA is 60 bytes");
#endif

namespace {

// The process a retried end names: the id itself, or the process of the thread.
DWORD RetriedProcessId(const char *verb, LONG id, HANDLE *thread) {
    *thread = nullptr;
    if (lstrcmpiA(verb, "-killps") == 0) return static_cast<DWORD>(id);
    if (lstrcmpiA(verb, "-killth") != 0) return 0;
    *thread = OpenThreadPinned(App().OpenThreadEntry, static_cast<DWORD>(id), 0);
    return ProcessIdOfThread(*thread);
}

// Before an elevated end, the same question as before any end: Liftrun ends a
// process or thread that Windows or the shell needs only when the command line
// says the user agreed. False when the user declined.
bool AskBeforeElevatedEnd(const char *verb, LONG id, bool *agreed) {
    *agreed = false;
    HANDLE thread = nullptr;
    DWORD processId = RetriedProcessId(verb, id, &thread);
    if (!processId && !thread) return true;
    HANDLE process = processId ? OpenProcessPinned(processId, 0) : nullptr;
    EndingRisk risk = thread ? ThreadEndingRisk(thread, processId) : ProcessEndingRisk(process, processId);
    if (process) CloseHandle(process);
    if (thread) CloseHandle(thread);
    if (risk == EndingOrdinary) return true;
    char name[TEXT_BYTES(MAX_PATH)];
    CopyExeName(processId, name);
    if (!name[0]) FormatText(name, sizeof name, "%lu", static_cast<unsigned long>(processId));
    *agreed = ConsentToEnding(App().mainWindow, risk, name, nullptr, thread != nullptr);
    return *agreed;
}

}  // namespace

void ReportActionFailure(UINT messageId, const char *verb, LONG id, CreationTime creation) {
    ReportActionFailureOwned(App().mainWindow, messageId, verb, id, creation);
}

namespace {

// Shows the failure box; true when the user asked for the retry. message gets
// the text shown (a longer text is cut to 99 characters).
bool AskForRetry(HWND owner, UINT messageId, char *message, int capacity) {
    Application &app = App();
    LoadLocalString(messageId, message, capacity);
    bool elevate = CanElevate();
    // The box's own loop runs the timer, which finds the box and shields Retry.
    if (elevate) SetTimer(app.mainWindow, ShieldTimer, 100, nullptr);
    return MessageBoxA(owner, message, app.productName, elevate ? MB_RETRYCANCEL : MB_OK) == IDRETRY;
}

}  // namespace

void ReportFailureWithTargets(HWND owner, UINT messageId, const char *verb, const char *targets) {
    char message[100], program[TEXT_BYTES(MAX_PATH)];
    if (!AskForRetry(owner, messageId, message, sizeof message) || !LiftrunProgramPath(program, sizeof program))
        return;
    // Liftrun checks each target's identity itself: the list goes as it is.
    int capacity = (int)(strlen(verb) + strlen(targets) + strlen(message)) + 3;
    char *parameters = static_cast<char *>(malloc(capacity));
    if (!parameters) return;
    if (FormatText(parameters, capacity, "%s %s %s", verb, targets, message) >= 0)
        StartLiftrunWithParameters(App().mainWindow, program, parameters);
    free(parameters);
}

void ReportActionFailureOwned(HWND owner, UINT messageId, const char *verb, LONG id, CreationTime creation) {
    Application &app = App();
    char message[100];
    if (!AskForRetry(owner, messageId, message, sizeof message)) return;
    // The box may have waited for minutes: a target that has ended, or whose id
    // now names another, is not handed to Liftrun.
    if (!RetryTargetStillThere(app.OpenThreadEntry, verb, id, creation)) return;
    bool agreed = false;
    if (!AskBeforeElevatedEnd(verb, id, &agreed)) return;
    char program[TEXT_BYTES(MAX_PATH)];
    if (LiftrunProgramPath(program, sizeof program))
        StartLiftrunElevated(app.mainWindow, program, verb, id, creation, message, agreed);
}

bool LiftrunProgramPath(char *out, int capacity) {
    char directory[TEXT_BYTES(MAX_PATH)];
    if (!ProgramDirectory(directory, sizeof directory)) return false;
    if (FormatText(out, capacity, "%sLiftrun.exe", directory) < 0) return false;
    DWORD attributes = GetFileAttributesA(out);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool FormatLiftrunCommandLine(const char *verb, LONG id, CreationTime creation, const char *message, char *out,
                              int capacity, bool agreed) {
    // The user's consent is the id's explicit plus sign, which a reader of the
    // id alone takes as the number's sign.
    const char *format = creation ? (agreed ? "%s %+ld:%I64u %s" : "%s %ld:%I64u %s")
                                  : (agreed ? "%s %+ld %s" : "%s %ld %s");
    if (!creation) return FormatText(out, capacity, format, verb, (long)id, message) >= 0;
    return FormatText(out, capacity, format, verb, (long)id, creation, message) >= 0;
}

bool StartLiftrunElevated(HWND owner, const char *programFile, const char *verb, LONG id, CreationTime creation,
                          const char *message, bool agreed) {
    // verb, blank, a sign and at most 11 characters of signed id, a colon and
    // at most 20 digits of creation time, blank, message, terminator
    int capacity = (int)(strlen(verb) + strlen(message)) + 36;
    char *parameters = static_cast<char *>(malloc(capacity));
    if (!parameters) return false;
    bool started = false;
    if (FormatLiftrunCommandLine(verb, id, creation, message, parameters, capacity, agreed))
        started = StartLiftrunWithParameters(owner, programFile, parameters);
    free(parameters);
    return started;
}

bool StartLiftrunWithParameters(HWND owner, const char *programFile, const char *parameters) {
    SHELLEXECUTEINFOA request;
    ZeroMemory(&request, sizeof request);
    request.cbSize = sizeof request;
    request.fMask = SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
    request.hwnd = owner;
    request.lpVerb = "runas";
    request.lpFile = programFile;
    request.lpParameters = parameters;
    request.nShow = SW_SHOWNORMAL;
    return ShellExecuteExA(&request) != FALSE;
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
