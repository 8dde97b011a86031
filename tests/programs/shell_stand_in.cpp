// Stands in for the shell: makes a window and registers it as the shell window
// (as the desktop's program does at logon), then runs until it is ended. Ends
// at once with code 4 when another shell window is registered already.
#include <windows.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    typedef BOOL(WINAPI * SetShellFunction)(HWND window);
    SetShellFunction setShell = reinterpret_cast<SetShellFunction>(
        reinterpret_cast<void *>(GetProcAddress(GetModuleHandleA("user32.dll"), "SetShellWindow")));
    WNDCLASSA windowClass;
    ZeroMemory(&windowClass, sizeof windowClass);
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = "ZvShellStandIn";
    RegisterClassA(&windowClass);
    HWND window = CreateWindowExA(WS_EX_TOOLWINDOW, "ZvShellStandIn", "Shell stand-in", WS_POPUP, 0, 0, 10, 10,
                                  nullptr, nullptr, instance, nullptr);
    if (!window || !setShell || !setShell(window) || GetShellWindow() != window) return 4;
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) DispatchMessageA(&message);
    return 0;
}
