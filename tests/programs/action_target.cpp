// A target for the window actions: a frame window on the main thread and a
// second window on a worker thread. What happened to them is its exit code:
// 10 frame got WM_CLOSE, 11 worker window got WM_CLOSE, 20 worker loop ended on
// WM_QUIT, 30 worker thread terminated from outside (exit code 0), 40 main
// loop ended on WM_QUIT; a terminated process leaves the killer's code (0).
// Usage: action_target <title> <x> <y> <w> <h> [protect | ghost | alone | framehost | storeapp | hang | ask]
//   protect:   nobody may open the process or the worker thread for more than a query;
//   ghost:     the frame is of class "Ghost" titled "<title> (Not Responding)";
//   alone:     the frame only, with a line of text, as a sample application;
//   framehost: a store app frame, "ApplicationFrameWindow" with its title bar
//              child "ApplicationFrameTitleBarWindow" across the top;
//   storeapp:  the app's content, a "Windows.UI.Core.CoreWindow" child of
//              this process put into the frame host's frame of the same title;
//   hang:      the frame only; once it has painted, the program stops reading
//              its messages for good (it runs until it is ended);
//   ask:       the frame only; WM_CLOSE asks "Save changes?" and the frame
//              stays until the question is answered with No.
#include <windows.h>
#include <aclapi.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

namespace {

const int FrameClosed = 10, WorkerClosed = 11, WorkerQuit = 20, WorkerKilled = 30, MainQuit = 40;

struct TargetLayout {
    char title[200];
    int x, y, w, h;
};

TargetLayout layout;
bool frameClosed = false;

void PaintSampleText(HWND window) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    RECT client;
    GetClientRect(window, &client);
    client.top += 20;
    DrawTextA(dc, "A sample application window. Zorvane closes it.", -1, &client, DT_CENTER | DT_SINGLELINE);
    EndPaint(window, &paint);
}

bool askOnClose = false;

LRESULT CALLBACK FrameProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CLOSE && askOnClose &&
        MessageBoxA(window, "Save changes?", layout.title, MB_YESNOCANCEL | MB_ICONQUESTION) != IDNO)
        return 0;
    if (message == WM_PAINT) {
        PaintSampleText(window);
        return 0;
    }
    if (message == WM_CLOSE) {
        frameClosed = true;
        DestroyWindow(window);
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

LRESULT CALLBACK WorkerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CLOSE) ExitThread(2);
    return DefWindowProcA(window, message, wParam, lParam);
}

void RegisterClassNamed(const char *name, WNDPROC procedure) {
    WNDCLASSA windowClass;
    ZeroMemory(&windowClass, sizeof windowClass);
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = name;
    RegisterClassA(&windowClass);
}

HWND MakeTopWindow(const char *className, const char *title, int y, DWORD style) {
    HWND window = CreateWindowExA(0, className, title, style, layout.x, y, layout.w, layout.h, nullptr,
                                  nullptr, GetModuleHandleA(nullptr), nullptr);
    ShowWindow(window, SW_SHOWNORMAL);
    UpdateWindow(window);
    return window;
}

DWORD WINAPI WorkerThread(void *) {
    char title[260];
    snprintf(title, sizeof title, "%s thread", layout.title);
    MakeTopWindow("ZvActionThread", title, layout.y + layout.h + 20, WS_OVERLAPPEDWINDOW);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) DispatchMessageA(&message);
    return 1;
}

// Everyone may wait for the object and read its basic facts, and nobody, not
// even the owner, may do more: as a standard user sees an elevated program.
void AllowQueriesOnly(HANDLE object, DWORD rights) {
    SID_IDENTIFIER_AUTHORITY world = SECURITY_WORLD_SID_AUTHORITY;
    PSID everyone = nullptr;
    if (!AllocateAndInitializeSid(&world, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0, 0, 0, &everyone)) return;
    DWORD buffer[64];
    ACL *acl = reinterpret_cast<ACL *>(buffer);
    InitializeAcl(acl, sizeof buffer, ACL_REVISION);
    AddAccessAllowedAce(acl, ACL_REVISION, rights, everyone);
    SetSecurityInfo(object, SE_KERNEL_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, acl, nullptr);
    FreeSid(everyone);
}

// Runs the main loop while watching the worker thread; returns the exit code.
int RunLoop(HANDLE worker) {
    for (;;) {
        DWORD count = worker ? 1 : 0;
        DWORD wait = MsgWaitForMultipleObjects(count, &worker, FALSE, INFINITE, QS_ALLINPUT);
        if (worker && wait == WAIT_OBJECT_0) {
            DWORD code = 0;
            GetExitCodeThread(worker, &code);
            return code == 1 ? WorkerQuit : code == 2 ? WorkerClosed : WorkerKilled;
        }
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) return frameClosed ? FrameClosed : MainQuit;
            DispatchMessageA(&message);
        }
    }
}

const int TitleBarHeight = 32;

int RunFrameHost() {
    RegisterClassNamed("ApplicationFrameWindow", FrameProc);
    RegisterClassNamed("ApplicationFrameTitleBarWindow", DefWindowProcA);
    HWND frame = MakeTopWindow("ApplicationFrameWindow", layout.title, layout.y, WS_OVERLAPPEDWINDOW);
    RECT client;
    GetClientRect(frame, &client);
    CreateWindowExA(0, "ApplicationFrameTitleBarWindow", "", WS_CHILD | WS_VISIBLE, 0, 0, client.right,
                    TitleBarHeight, frame, nullptr, GetModuleHandleA(nullptr), nullptr);
    return RunLoop(nullptr);
}

// The app's content lives in another process's frame, as the system lays it out.
int RunStoreApp() {
    HWND frame = nullptr;
    for (int i = 0; i < 500 && !frame; ++i, Sleep(20))
        frame = FindWindowA("ApplicationFrameWindow", layout.title);
    if (!frame) return 3;
    RegisterClassNamed("Windows.UI.Core.CoreWindow", DefWindowProcA);
    RECT client;
    GetClientRect(frame, &client);
    CreateWindowExA(0, "Windows.UI.Core.CoreWindow", layout.title, WS_CHILD | WS_VISIBLE, 0, TitleBarHeight,
                    client.right, client.bottom - TitleBarHeight, frame, nullptr, GetModuleHandleA(nullptr),
                    nullptr);
    return RunLoop(nullptr);
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    if (__argc < 6) return 2;
    snprintf(layout.title, sizeof layout.title, "%s", __argv[1]);
    layout.x = atoi(__argv[2]);
    layout.y = atoi(__argv[3]);
    layout.w = atoi(__argv[4]);
    layout.h = atoi(__argv[5]);
    const char *mode = __argc > 6 ? __argv[6] : "";

    if (strcmp(mode, "ghost") == 0) {
        char caption[260];
        snprintf(caption, sizeof caption, "%s (Not Responding)", layout.title);
        RegisterClassNamed("Ghost", FrameProc);
        MakeTopWindow("Ghost", caption, layout.y, WS_OVERLAPPEDWINDOW);
        return RunLoop(nullptr);
    }
    if (strcmp(mode, "framehost") == 0) return RunFrameHost();
    if (strcmp(mode, "storeapp") == 0) return RunStoreApp();
    RegisterClassNamed("ZvActionTarget", FrameProc);
    RegisterClassNamed("ZvActionThread", WorkerProc);
    askOnClose = strcmp(mode, "ask") == 0;
    HWND frame = MakeTopWindow("ZvActionTarget", layout.title, layout.y, WS_OVERLAPPEDWINDOW);
    if (strcmp(mode, "hang") == 0) {
        // Painted first, so that it shows what it was when it stopped.
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
        UpdateWindow(frame);
        for (;;) Sleep(INFINITE);
    }
    if (strcmp(mode, "alone") == 0 || askOnClose) return RunLoop(nullptr);
    HANDLE worker = CreateThread(nullptr, 0, WorkerThread, nullptr, 0, nullptr);
    if (strcmp(mode, "protect") == 0) {
        AllowQueriesOnly(GetCurrentProcess(), PROCESS_QUERY_LIMITED_INFORMATION | SYNCHRONIZE);
        if (worker) AllowQueriesOnly(worker, THREAD_QUERY_LIMITED_INFORMATION | SYNCHRONIZE);
    }
    return RunLoop(worker);
}
