// Makes the windows that the selection tests point at, from its command line:
//   shapes:      box X Y W H | ellipse X Y W H   (white top-most pop-ups "ZvBox", any number)
//   resolution:  an application with an owned dialog and button, an MDI frame,
//                owned and unowned framed pop-ups and a plain top-level window
//   desktop:     a "Progman" / "SHELLDLL_DefView" tree with its icon and HTML views
//   workerw:     the same views under a top-level "WorkerW" (behind an empty one), "Progman" bare
//   ghost CAPTION X Y W H: a window of class "Ghost"
//   hang:        once every window has painted, stops reading its messages for good
// When all windows exist it makes a hidden window of class "ZvReady"; it runs until it is ended.
#include <windows.h>
#include <stdlib.h>
#include <string.h>

namespace {

HINSTANCE instance;

LRESULT CALLBACK PlainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(window, message, wParam, lParam);
}

HWND mdiClient;

LRESULT CALLBACK FrameProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefFrameProcA(window, mdiClient, message, wParam, lParam);
}

LRESULT CALLBACK MdiChildProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefMDIChildProcA(window, message, wParam, lParam);
}

void Register(const char *name, WNDPROC procedure, int brush) {
    WNDCLASSA windowClass;
    ZeroMemory(&windowClass, sizeof windowClass);
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = (HBRUSH)GetStockObject(brush);
    windowClass.lpszClassName = name;
    RegisterClassA(&windowClass);
}

HWND Make(DWORD exStyle, const char *className, const char *title, DWORD style, int x, int y, int w,
          int h, HWND parent) {
    return CreateWindowExA(exStyle, className, title, style | WS_VISIBLE, x, y, w, h, parent, nullptr,
                           instance, nullptr);
}

HWND MakeChild(const char *className, const char *title, int x, int y, int w, int h, HWND parent) {
    return Make(0, className, title, WS_CHILD, x, y, w, h, parent);
}

void MakeShape(bool ellipse, int x, int y, int w, int h) {
    HWND box = Make(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, "ZvBox", "ZvBox", WS_POPUP, x, y, w, h, nullptr);
    if (ellipse && box) SetWindowRgn(box, CreateEllipticRgn(0, 0, w, h), TRUE);
}

void MakeResolutionWindows() {
    Register("ZvApp", PlainProc, WHITE_BRUSH);
    Register("ZvDialog", PlainProc, LTGRAY_BRUSH);
    Register("ZvPopup", PlainProc, WHITE_BRUSH);
    Register("ZvPlain", PlainProc, WHITE_BRUSH);
    Register("ZvFrame", FrameProc, GRAY_BRUSH);
    Register("ZvMdiChild", MdiChildProc, WHITE_BRUSH);

    // Application main window with an owned dialog box (caption, system menu, no sizing frame).
    HWND app = Make(0, "ZvApp", "Zv App", WS_OVERLAPPEDWINDOW, 20, 20, 360, 300, nullptr);
    HWND dialog = Make(0, "ZvDialog", "Zv Dialog", WS_POPUP | WS_CAPTION | WS_SYSMENU, 40, 80, 240, 160, app);
    MakeChild("BUTTON", "Zv Dialog Button", 20, 20, 150, 40, dialog);

    // MDI frame with one child window holding a button.
    HWND frame = Make(0, "ZvFrame", "Zv Frame", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 400, 20, 420, 320, nullptr);
    CLIENTCREATESTRUCT clientCreate = {nullptr, 100};
    RECT client;
    GetClientRect(frame, &client);
    mdiClient = CreateWindowExA(0, "MDICLIENT", nullptr, WS_CHILD | WS_CLIPCHILDREN | WS_VISIBLE, 0, 0,
                                client.right, client.bottom, frame, nullptr, instance, &clientCreate);
    HWND mdiChild = CreateMDIWindowA("ZvMdiChild", "Zv Mdi Child", WS_VISIBLE | WS_OVERLAPPEDWINDOW, 10, 10,
                                     300, 200, mdiClient, instance, 0);
    MakeChild("BUTTON", "Zv Mdi Button", 20, 20, 150, 40, mdiChild);

    // Owned pop-up with caption, system menu, sizing frame and both boxes, with a button.
    HWND popup = Make(0, "ZvPopup", "Zv Owned Popup", WS_POPUP | WS_OVERLAPPEDWINDOW, 20, 360, 360, 260, app);
    MakeChild("BUTTON", "Zv Popup Button", 20, 20, 150, 40, popup);

    // Unowned top-level windows: an ordinary one and a framed pop-up one.
    Make(0, "ZvPlain", "Zv Plain", WS_OVERLAPPEDWINDOW, 400, 360, 360, 260, nullptr);
    HWND plainPopup = Make(0, "ZvPlain", "Zv Plain Popup", WS_POPUP | WS_OVERLAPPEDWINDOW, 800, 360, 360,
                           260, nullptr);
    MakeChild("BUTTON", "Zv Plain Popup Button", 20, 20, 150, 40, plainPopup);
}

// The desktop's tree: "FolderView" (not a list view class), a list view, the
// HTML view and another child, side by side; under the program manager, or
// under a "WorkerW" over it as after a wallpaper slideshow has started.
void MakeDesktopTree(bool underWorker) {
    Register("Progman", PlainProc, WHITE_BRUSH);
    Register("SHELLDLL_DefView", PlainProc, WHITE_BRUSH);
    Register("ZvIcons", PlainProc, WHITE_BRUSH);
    Register("SysListView32", PlainProc, WHITE_BRUSH);
    Register("Internet Explorer_Server", PlainProc, WHITE_BRUSH);
    Register("ZvOther", PlainProc, WHITE_BRUSH);
    HWND manager = Make(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, "Progman", "Program Manager", WS_POPUP, 100, 600,
                        800, 200, nullptr);
    HWND host = manager;
    if (underWorker) {
        Register("WorkerW", PlainProc, WHITE_BRUSH);
        host = Make(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, "WorkerW", "", WS_POPUP, 100, 600, 800, 200, nullptr);
        // The wallpaper's empty "WorkerW", found first.
        CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, "WorkerW", "", WS_POPUP, 0, 0, 1, 1, nullptr,
                        nullptr, instance, nullptr);
    }
    HWND view = MakeChild("SHELLDLL_DefView", "", 0, 0, 800, 200, host);
    MakeChild("ZvIcons", "FolderView", 0, 0, 200, 200, view);
    MakeChild("SysListView32", "", 200, 0, 200, 200, view);
    MakeChild("Internet Explorer_Server", "", 400, 0, 200, 200, view);
    MakeChild("ZvOther", "", 600, 0, 200, 200, view);
}

}  // namespace

int WINAPI WinMain(HINSTANCE thisInstance, HINSTANCE, LPSTR, int) {
    instance = thisInstance;
    Register("ZvBox", PlainProc, WHITE_BRUSH);
    Register("Ghost", PlainProc, WHITE_BRUSH);
    int argc = __argc;
    char **argv = __argv;
    for (int i = 1; i < argc; ++i) {
        const char *word = argv[i];
        if ((!strcmp(word, "box") || !strcmp(word, "ellipse")) && i + 4 < argc) {
            MakeShape(word[0] == 'e', atoi(argv[i + 1]), atoi(argv[i + 2]), atoi(argv[i + 3]), atoi(argv[i + 4]));
            i += 4;
        } else if (!strcmp(word, "ghost") && i + 5 < argc) {
            Make(WS_EX_TOPMOST, "Ghost", argv[i + 1], WS_POPUP | WS_CAPTION, atoi(argv[i + 2]), atoi(argv[i + 3]),
                 atoi(argv[i + 4]), atoi(argv[i + 5]), nullptr);
            i += 5;
        } else if (!strcmp(word, "resolution")) {
            MakeResolutionWindows();
        } else if (!strcmp(word, "desktop") || !strcmp(word, "workerw")) {
            MakeDesktopTree(word[0] == 'w');
        }
    }
    Register("ZvReady", PlainProc, WHITE_BRUSH);
    CreateWindowExA(0, "ZvReady", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, instance, nullptr);
    MSG message;
    bool hang = false;
    for (int i = 1; i < argc; ++i) hang = hang || !strcmp(argv[i], "hang");
    if (hang) {
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
        for (;;) Sleep(INFINITE);
    }
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return 0;
}
