// The questions Zorvane asks before an end that costs more than the program:
// Windows itself, the shell (with the offer to start it again), or a program
// that does not respond. Each box stands on the monitor of the window it is
// about, in front, one at a time, and its default button leaves the program alive.
#include "actions/end_guard.h"

#include "resources/resource_ids.h"
#include "selection/target.h"
#include "shell/application.h"
#include "shell/code_page.h"
#include "shell/winutil.h"

namespace {

// Set while one of the questions is open: a second one is answered no.
bool questionOpen = false;

// The work area the next box is centred in, and the hook that moves it there.
RECT placementArea;
HHOOK placementHook = nullptr;

// The shell ended with the user's consent, to be started again from its image.
DWORD shellToRestart = 0;
char shellImage[3 * MAX_PATH];

// How long the ended shell may take to go before its successor starts.
const DWORD ShellExitWait = 5000;

LRESULT CALLBACK PlaceQuestionBox(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_ACTIVATE && placementHook) {
        HWND box = reinterpret_cast<HWND>(wParam);
        RECT rect;
        if (GetWindowRect(box, &rect)) {
            int width = rect.right - rect.left, height = rect.bottom - rect.top;
            int left = placementArea.left + (placementArea.right - placementArea.left - width) / 2;
            int top = placementArea.top + (placementArea.bottom - placementArea.top - height) / 2;
            SetWindowPos(box, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        }
        HHOOK hook = placementHook;
        placementHook = nullptr;
        UnhookWindowsHookEx(hook);
        return 0;
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// The work area of the monitor that shows the window, or the pointer's.
void WorkAreaFor(HWND about, RECT *area) {
    HMONITOR monitor = nullptr;
    if (about && IsWindow(about)) {
        monitor = MonitorFromWindow(about, MONITOR_DEFAULTTONEAREST);
    } else {
        POINT pointer = {0, 0};
        GetCursorPos(&pointer);
        monitor = MonitorFromPoint(pointer, MONITOR_DEFAULTTONEAREST);
    }
    MONITORINFO info;
    ZeroMemory(&info, sizeof info);
    info.cbSize = sizeof info;
    if (monitor && GetMonitorInfoA(monitor, &info)) *area = info.rcWork;
    else SystemParametersInfoA(SPI_GETWORKAREA, 0, area, 0);
}

// A visible top-level window of the process, for the monitor a box stands on.
struct WindowOfProcess {
    DWORD processId;
    HWND window;
};

BOOL CALLBACK MatchProcessWindow(HWND window, LPARAM lParam) {
    WindowOfProcess *search = reinterpret_cast<WindowOfProcess *>(lParam);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search->processId || !IsWindowVisible(window)) return TRUE;
    search->window = window;
    return FALSE;
}

HWND VisibleWindowOf(DWORD processId) {
    WindowOfProcess search = {processId, nullptr};
    if (processId) EnumWindows(MatchProcessWindow, reinterpret_cast<LPARAM>(&search));
    return search.window;
}

// The name a question gives the program: its executable, else its id.
void ProgramNameOf(DWORD processId, char *name, int capacity) {
    char exeName[TEXT_BYTES(MAX_PATH)];
    CopyExeName(processId, exeName);
    if (exeName[0]) lstrcpynA(name, exeName, capacity);
    else FormatText(name, capacity, "%lu", static_cast<unsigned long>(processId));
}

// The window that owns Zorvane's boxes: the open dialog, else the main window.
HWND QuestionOwner() {
    Application &app = App();
    return app.ActiveDialog && IsWindow(app.ActiveDialog) ? app.ActiveDialog : app.mainWindow;
}

void StartShellAgain(HANDLE ended) {
    DWORD processId = shellToRestart;
    shellToRestart = 0;
    if (!processId || !shellImage[0]) return;
    // Started while the old one still holds the shell window, it would open a
    // folder instead of the desktop.
    WaitForSingleObject(ended, ShellExitWait);
    STARTUPINFOA startup;
    ZeroMemory(&startup, sizeof startup);
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started;
    if (CreateProcessA(shellImage, nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &started)) {
        CloseHandle(started.hThread);
        CloseHandle(started.hProcess);
    }
}

int AskOwned(HWND owner, HWND about, UINT formatId, UINT questionId, const char *programName) {
    if (questionOpen) {
        MessageBeep(MB_ICONWARNING);
        return IDNO;
    }
    char format[100], question[100], warning[400], text[600];
    LoadLocalString(formatId, format, sizeof format);
    LoadLocalString(questionId, question, sizeof question);
    FormatText(warning, sizeof warning, format, programName ? programName : "");
    FormatText(text, sizeof text, "%s\n\n%s", warning, question);
    WorkAreaFor(about, &placementArea);
    placementHook = SetWindowsHookExA(WH_CBT, PlaceQuestionBox, nullptr, GetCurrentThreadId());
    questionOpen = true;
    int answer = MessageBoxA(owner, text, App().productName,
                             MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2 | MB_SETFOREGROUND);
    questionOpen = false;
    if (placementHook) UnhookWindowsHookEx(placementHook);
    placementHook = nullptr;
    return answer;
}

}  // namespace

int AskAboutProgram(HWND about, UINT formatId, UINT questionId, const char *programName) {
    return AskOwned(QuestionOwner(), about, formatId, questionId, programName);
}

bool QuestionOpen() { return questionOpen; }

bool ConsentToEnding(HWND owner, EndingRisk risk, const char *programName, HWND about, bool isThread) {
    UINT formatId = 0, questionId = IDS_ASK_END_ANYWAY;
    switch (risk) {
    case EndingOrdinary: return true;
    case EndingStopsWindows: formatId = isThread ? IDS_END_THREAD_STOPS_WINDOWS : IDS_END_STOPS_WINDOWS; break;
    case EndingShell:
        formatId = isThread ? IDS_END_SHELL_THREAD : IDS_END_SHELL;
        // The shell's process is offered a restart: ended and started again.
        if (!isThread) questionId = IDS_ASK_RESTART;
        break;
    default: return false;
    }
    return AskOwned(owner ? owner : QuestionOwner(), about, formatId, questionId, programName) == IDYES;
}

bool AskBeforeEnding(HANDLE held, bool isThread, DWORD processId, bool ended) {
    if (ended) {
        if (!isThread && processId && processId == shellToRestart) StartShellAgain(held);
        return true;
    }
    EndingRisk risk = isThread ? ThreadEndingRisk(held, processId) : ProcessEndingRisk(held, processId);
    if (risk == EndingOrdinary) return true;
    char name[TEXT_BYTES(MAX_PATH)];
    ProgramNameOf(processId, name, sizeof name);
    HWND about = risk == EndingShell ? GetShellWindow() : VisibleWindowOf(processId);
    if (!ConsentToEnding(QuestionOwner(), risk, name, about, isThread)) return false;
    // The shell's question offered to start it again: that is what Yes means.
    if (risk == EndingShell && !isThread && HeldProcessImagePath(held, shellImage, sizeof shellImage))
        shellToRestart = processId;
    return true;
}
