// Support for the action and Liftrun tests behind actions_support.h.
#include "actions_support.h"

#include <commctrl.h>
#include <stdio.h>
#include <string.h>

#include "actions/actions.h"
#include "selection/highlight.h"
#include "selection_support.h"
#include "shell/application.h"
#include "shell/main_window.h"
#include "shell/settings.h"

HWND StoreAppContent(DWORD appId, const char *title) {
    HWND frame = FindWindowA("ApplicationFrameWindow", title);
    HWND content = frame ? FindWindowExA(frame, nullptr, "Windows.UI.Core.CoreWindow", nullptr) : nullptr;
    DWORD owner = 0;
    if (content) GetWindowThreadProcessId(content, &owner);
    return owner == appId ? content : nullptr;
}

bool StartActionTarget(const char *title, int x, int y, int w, int h, const char *mode, ActionTarget *target,
                       const char *exePath) {
    target->stop();
    target->frame = target->worker = nullptr;
    target->mainThread = target->workerThread = 0;
    char arguments[512];
    snprintf(arguments, sizeof arguments, "\"%s\" %d %d %d %d %s", title, x, y, w, h, mode ? mode : "");
    bool started = exePath ? StartProgramAt(exePath, arguments, &target->program)
                           : StartProgram("action_target.exe", arguments, &target->program);
    if (!started) {
        printf("    %s could not be started: error %lu\n", title, GetLastError());
        return false;
    }
    DWORD pid = target->program.pid();
    const char *frameClass = "ZvActionTarget";
    char frameTitle[300];
    snprintf(frameTitle, sizeof frameTitle, "%s", title);
    bool withWorker = !mode || !*mode || strcmp(mode, "protect") == 0;  // not "ghost" nor "alone"
    bool storeApp = mode && strcmp(mode, "storeapp") == 0;
    if (mode && strcmp(mode, "ghost") == 0) {
        frameClass = "Ghost";
        snprintf(frameTitle, sizeof frameTitle, "%s (Not Responding)", title);
    }
    if (mode && strcmp(mode, "framehost") == 0) frameClass = "ApplicationFrameWindow";
    char workerTitle[300];
    snprintf(workerTitle, sizeof workerTitle, "%s thread", title);
    bool ready = WaitFor(
        [&] {
            target->frame =
                storeApp ? StoreAppContent(pid, title) : FindProcessTopWindow(pid, frameClass, frameTitle);
            if (withWorker) target->worker = FindProcessTopWindow(pid, "ZvActionThread", workerTitle);
            bool shown = target->frame && IsWindowVisible(target->frame) &&
                         (!withWorker || (target->worker && IsWindowVisible(target->worker)));
            return shown || !target->program.running();
        },
        60000);
    if (!ready || !target->frame || (withWorker && !target->worker)) {
        DWORD code = 0;
        bool running = target->program.running();
        if (!running) GetExitCodeProcess(target->program.info.hProcess, &code);
        printf("    %s did not show its windows: %s (exit code %lu), frame %p, worker %p\n", title,
               running ? "running" : "ended", (unsigned long)code, static_cast<void *>(target->frame),
               static_cast<void *>(target->worker));
        target->stop();
        return false;
    }
    // Let the activation of the new windows settle before anything else takes
    // the foreground or the mouse capture (a store app's content is never active).
    // The worker's window comes last and takes the foreground from the frame: a
    // key pressed meanwhile would lose the modifiers that Wine reads again from
    // the X server at each change of focus.
    if (!storeApp) WaitWindowShown(target->frame);
    if (target->worker) WaitFor([&] { return GetForegroundWindow() == target->worker; }, 5000);
    target->mainThread = GetWindowThreadProcessId(target->frame, nullptr);
    if (target->worker) target->workerThread = GetWindowThreadProcessId(target->worker, nullptr);
    return true;
}

long WaitExitCode(Program &program, DWORD timeoutMs) {
    DWORD code = 0;
    if (!program.waitExit(timeoutMs, &code)) return -1;
    return (long)code;
}

void ProcessImagePath(DWORD processId, char *out, int capacity) {
    out[0] = 0;
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
    if (!process) return;
    DWORD size = (DWORD)capacity;
    if (!QueryFullProcessImageNameA(process, 0, out, &size)) out[0] = 0;
    CloseHandle(process);
}

void Utf8ToAnsi(const char *utf8, char *out, int capacity) {
    WCHAR wide[1024];
    int length = MultiByteToWideChar(CP_UTF8, 0, utf8, -1, wide, 1024);
    if (length <= 0 || !WideCharToMultiByte(CP_ACP, 0, wide, -1, out, capacity, nullptr, nullptr)) out[0] = 0;
}

bool PrepareInProcessZorvane(LONG localeId, DWORD majorVersion) {
    Application &app = App();
    static HMODULE strings = nullptr;
    if (!strings) {
        char path[MAX_PATH];
        BinPath("Zorvane.exe", path, MAX_PATH);
        strings = LoadLibraryExA(path, nullptr, LOAD_LIBRARY_AS_DATAFILE);
    }
    if (!strings) return false;
    app.instance = strings;
    strcpy(app.productName, "Zorvane");
    ApplyLanguage(localeId);
    app.OsVersion.platformId = VER_PLATFORM_WIN32_NT;
    app.OsVersion.major = majorVersion;
    app.OsVersion.minor = 1;
    app.OneShotMode = 0;
    app.OpenThreadEntry = BindOpenThread();
    return true;
}

namespace {

volatile LONG shieldMessages = 0;

LRESULT CALLBACK WatchShield(int code, WPARAM wParam, LPARAM lParam) {
    const CWPSTRUCT *call = reinterpret_cast<const CWPSTRUCT *>(lParam);
    if (code == HC_ACTION && call->message == BCM_SETSHIELD && call->lParam == 1 &&
        GetDlgCtrlID(call->hwnd) == IDRETRY)
        InterlockedIncrement(&shieldMessages);
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

DWORD WINAPI UiThreadMain(void *parameter) {
    UiThread *ui = static_cast<UiThread *>(parameter);
    WNDCLASSA windowClass;
    ZeroMemory(&windowClass, sizeof windowClass);
    windowClass.lpfnWndProc = ZorvaneWindowProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "ZvInProcessMain";
    RegisterClassA(&windowClass);
    Application &app = App();
    app.mainWindow = CreateWindowExA(0, "ZvInProcessMain", "Zorvane", WS_OVERLAPPEDWINDOW, 0, 0, 0, 0, nullptr,
                                     nullptr, GetModuleHandleA(nullptr), nullptr);
    HHOOK hook = SetWindowsHookExA(WH_CALLWNDPROC, WatchShield, nullptr, GetCurrentThreadId());
    ui->job(ui->context);
    if (hook) UnhookWindowsHookEx(hook);
    // Taken away first so that the destruction does not end any loop.
    HWND window = app.mainWindow;
    app.mainWindow = nullptr;
    DestroyWindow(window);
    InterlockedExchange(&ui->done, 1);
    return 0;
}

}  // namespace

bool StartUiThread(void (*job)(void *), void *context, UiThread *ui) {
    ui->job = job;
    ui->context = context;
    ui->done = 0;
    ui->thread = CreateThread(nullptr, 0, UiThreadMain, ui, 0, nullptr);
    return ui->thread != nullptr;
}

bool UiThread::finish(DWORD timeoutMs) {
    if (!thread) return false;
    bool ended = WaitFor([&] { return WaitForSingleObject(thread, 0) == WAIT_OBJECT_0; }, timeoutMs);
    if (!ended) {
        // A box still open: close every box of this process so the job returns.
        HWND box;
        while ((box = FindZorvaneBox(GetCurrentProcessId())) != nullptr) {
            AnswerMessageBox(box, IDCANCEL);
            AnswerMessageBox(box, IDOK);
            if (!WaitFor([&] { return !IsWindow(box); }, 2000)) break;
        }
        WaitForSingleObject(thread, 5000);
    }
    CloseHandle(thread);
    thread = nullptr;
    return ended;
}

void RunActionJob(void *context) {
    ActionJob *job = static_cast<ActionJob *>(context);
    job->result = CarryOutAction(job->action, job->target);
}

LONG ShieldMessagesSeen() { return shieldMessages; }
void ResetShieldMessagesSeen() { InterlockedExchange(&shieldMessages, 0); }

namespace {

DWORD WINAPI EndAtOnce(void *) { return 0; }

}  // namespace

DWORD EndedThreadId() {
    DWORD id = 0;
    HANDLE thread = CreateThread(nullptr, 0, EndAtOnce, nullptr, 0, &id);
    if (thread) {
        WaitForSingleObject(thread, 5000);
        CloseHandle(thread);
    }
    return id;
}

DWORD EndedProcessId() {
    Program program;
    if (!StartProgram("Liftrun.exe", "", &program)) return 0;
    DWORD id = program.pid();
    program.waitExit(15000);
    program.stop();
    // Only then is the id of no process: an action on it must fail.
    return WaitFor([&] { return ProcessGone(id); }, 15000) ? id : 0;
}

HWND DestroyedWindow() {
    HWND window = CreateWindowExA(0, "STATIC", "gone", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
    DestroyWindow(window);
    return window;
}

bool ZorvaneSession::start(const char *arguments, LONG method, LONG locale) {
    ReleaseAllInput();
    ResetZorvaneRegistry();
    SetPreferenceDword("Startup", 5);  // no balloon
    SetPreferenceDword("Methode", (DWORD)method);
    SetPreferenceDword("Langage", (DWORD)locale);
    // Answered once start-up is over and the loop runs: the hot key is registered.
    return StartZorvane(arguments, &program, &main) && WaitZorvaneLoop(main);
}

void ZorvaneSession::quit() {
    if (program.running() && main) {
        PostMessageA(main, WM_COMMAND, 202, 0);
        program.waitExit(15000);
    }
    program.stop();
}

bool ZorvaneSession::captureOver(HWND window, COLORREF colour, Start start) {
    RECT rect;
    if (!GetWindowRect(window, &rect)) return false;
    // Below the label: erasing the label flashes a window there, and a window
    // appearing under the pointer makes Wine take the key state from the X
    // server, which knows nothing of keys held through SendInput.
    MovePointer((rect.left + rect.right) / 2, rect.top + (rect.bottom - rect.top) * 3 / 4);
    if (start == ByHotKey) PressHotKey();
    if (start == ByCommand) PostMessageA(main, WM_COMMAND, 204, 0);
    bool held = WaitCaptureHeld(main, true, 10000);
    if (held && WaitPixel(rect.left, rect.top, colour, true, 10000)) return true;
    POINT pointer;
    GetCursorPos(&pointer);
    HWND under = WindowFromPoint(pointer);
    char className[64] = "";
    bool hotKeyFree = HotKeyIsFree();
    HWND foreground = GetForegroundWindow();
    GetClassNameA(foreground, className, sizeof className);
    printf("    foreground %p (%s)\n", static_cast<void *>(foreground), className);
    GetClassNameA(under, className, sizeof className);
    printf("    no outline: hot key %s, capture %s, corner %06lx, pointer %ld,%ld over %p (%s), window %p\n",
           hotKeyFree ? "free" : "taken", held ? "held" : "not held", (unsigned long)ScreenPixel(rect.left, rect.top), pointer.x, pointer.y,
           static_cast<void *>(under), className, static_cast<void *>(window));
    return false;
}

COLORREF ActionColour(LONG action) { return HighlightColor(HighlightColorIndex(action)); }
