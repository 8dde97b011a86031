// Test helper with one framed top-level window: "<parent pid> <title>". Ends with
// code 11 when its window is closed, with the WM_QUIT code when its thread is
// told to quit, and with 3 when the test process that started it ends.
#include <windows.h>
#include <stdio.h>
#include <stdlib.h>

namespace {

LRESULT CALLBACK HelperWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        PostQuitMessage(11);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
    DWORD parentId = strtoul(commandLine, &commandLine, 10);
    while (*commandLine == ' ') ++commandLine;
    HANDLE parent = OpenProcess(SYNCHRONIZE, FALSE, parentId);
    if (!parent) return 2;

    WNDCLASSA windowClass;
    ZeroMemory(&windowClass, sizeof windowClass);
    windowClass.lpfnWndProc = HelperWindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = "ZvProcWindowHelper";
    RegisterClassA(&windowClass);
    // Placed in the lower right corner, away from the process list at (0,0).
    HWND window = CreateWindowExA(0, "ZvProcWindowHelper", commandLine, WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                  900, 700, 240, 160, nullptr, nullptr, instance, nullptr);
    if (!window) return 2;

    for (;;) {
        DWORD wait = MsgWaitForMultipleObjects(1, &parent, FALSE, 300000, QS_ALLINPUT);
        if (wait != WAIT_OBJECT_0 + 1) return 3;  // the test ended, or five minutes passed
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) return static_cast<int>(message.wParam);
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
}
