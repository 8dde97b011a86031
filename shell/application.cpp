// The application object, start-up in its fixed order, the message loop and release.
#include "shell/application.h"

#include <string.h>

#include "actions/end_guard.h"
#include "actions/identity.h"
#include "resources/resource_ids.h"
#include "selection/highlight.h"
#include "shell/code_page.h"
#include "shell/display_scale.h"
#include "shell/hot_keys.h"
#include "shell/main_window.h"
#include "shell/settings.h"
#include "shell/single_instance.h"
#include "shell/winutil.h"

static_assert(sizeof(OSVERSIONINFOA) == 148, "OSVERSIONINFOA is 148 bytes");
#ifndef _WIN64
static_assert(NOTIFYICONDATAA_V1_SIZE == 88, "version-1 notify record is 88 bytes");
static_assert(NOTIFYICONDATAA_V2_SIZE == 488, "version-2 notify record is 488 bytes");
static_assert(sizeof(WNDCLASSEXA) == 48, "extended class record is 48 bytes");
static_assert(sizeof(WINDOWPOS) == 28, "WINDOWPOS is 28 bytes");
#endif

Application &App() {
    static Application application;  // zero-initialised: all handles 0, capture cleared
    return application;
}

HANDLE WINAPI OpenThreadFallback(DWORD, BOOL, DWORD) { return nullptr; }

bool ThreadOpeningAvailable() { return App().OpenThreadEntry != OpenThreadFallback; }

OpenThreadFunction BindOpenThread() {
    FARPROC found = LinkedEntryPoint("Kernel32.dll", "OpenThread");
    return found ? EntryPointAs<OpenThreadFunction>(found) : OpenThreadFallback;
}

int StartCommandForArgument(const char *argument) {
    if (!argument) return 0;
    if (lstrcmpiA(argument, "-x") == 0) return IDC_CMD_CAPTURE;
    if (lstrcmpiA(argument, "-p") == 0) return IDC_CMD_PREFERENCES;
    if (lstrcmpiA(argument, "-l") == 0) return IDC_CMD_PROCESS_LIST;
    return 0;
}

namespace {

void RegisterMainClass(HINSTANCE instance) {
    char className[100];
    LoadStringA(instance, IDS_WINDOW_CLASS, className, sizeof className);
    WNDCLASSEXA windowClass;
    ZeroMemory(&windowClass, sizeof windowClass);
    windowClass.cbSize = sizeof(WNDCLASSEXA);
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = ZorvaneWindowProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_ZORVANE));
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszMenuName = MAKEINTRESOURCEA(IDM_MAIN + LanguageBase);
    windowClass.lpszClassName = className;
    windowClass.hIconSm = LoadIconA(instance, MAKEINTRESOURCEA(IDI_ZORVANE_SMALL));
    RegisterClassExA(&windowClass);
}

void ReadOsVersion() {
    OSVERSIONINFOA version;
    ZeroMemory(&version, sizeof version);
    version.dwOSVersionInfoSize = sizeof(OSVERSIONINFOA);
    GetVersionExA(&version);
    OsVersionInfo &os = App().OsVersion;
    os.platformId = version.dwPlatformId;
    os.major = version.dwMajorVersion;
    os.minor = version.dwMinorVersion;
    os.build = version.dwBuildNumber;
}

// The icon's own image for the small-icon size rather than its large image
// shrunk. Not shared, so Release destroys it.
HICON LoadSmallIcon(HINSTANCE instance, int id) {
    int width = GetSystemMetrics(SM_CXSMICON), height = GetSystemMetrics(SM_CYSMICON);
    return static_cast<HICON>(LoadImageA(instance, MAKEINTRESOURCEA(id), IMAGE_ICON, width, height, 0));
}

void AddTrayIcon() {
    Application &app = App();
    NOTIFYICONDATAA &tray = app.TrayIconData;
    ZeroMemory(&tray, sizeof tray);
    tray.cbSize = NOTIFYICONDATAA_V1_SIZE;
    tray.hWnd = app.mainWindow;
    tray.uID = TRAY_ICON_ID;
    tray.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    tray.uCallbackMessage = WM_TRAYNOTIFY;
    tray.hIcon = app.trayIcon;
    lstrcpynA(tray.szTip, app.productName, 64);
    Shell_NotifyIconA(NIM_ADD, &tray);
    SetTimer(app.mainWindow, TRAY_REFRESH_TIMER, TRAY_REFRESH_PERIOD, nullptr);
}

void CountStartAndGreet() {
    const OsVersionInfo &os = App().OsVersion;
    if (os.platformId != VER_PLATFORM_WIN32_NT || os.major < 5) return;
    // Counted as unsigned: a stored 0x7FFFFFFF or -1 wraps instead of overflowing.
    DWORD starts = (DWORD)ReadSetting(SETTINGS_SECTION, SETTING_STARTUP, 0);
    WriteSetting(SETTINGS_SECTION, SETTING_STARTUP, (LONG)(starts + 1));
    if (starts < 2) ShowStartBalloon();
}

}  // namespace

void ShowTrayBalloon(const char *text) {
    Application &app = App();
    NOTIFYICONDATAA balloon;
    ZeroMemory(&balloon, sizeof balloon);
    balloon.cbSize = NOTIFYICONDATAA_V2_SIZE;
    balloon.hWnd = app.mainWindow;
    balloon.uID = TRAY_ICON_ID;
    balloon.uFlags = NIF_INFO;
    balloon.uCallbackMessage = WM_USER;
    balloon.hIcon = app.trayIcon;
    lstrcpynA(balloon.szInfo, text, sizeof balloon.szInfo);
    lstrcpynA(balloon.szInfoTitle, "Zorvane", sizeof balloon.szInfoTitle);
    balloon.dwInfoFlags = NIIF_INFO;
    balloon.uTimeout = 10000;
    Shell_NotifyIconA(NIM_MODIFY, &balloon);
}

void ShowLocalBalloon(UINT baseId) {
    char text[100];
    LoadLocalString(baseId, text, sizeof text);
    ShowTrayBalloon(text);
}

void ShowStartBalloon() { ShowLocalBalloon(IDS_STARTED_BALLOON); }

bool Initialise(HINSTANCE instance, int startCommand) {
    // Before any window: an unaware process gets virtualised coordinates on
    // scaled displays, which the outline and its erase would miss by.
    DeclareDpiAwareness();
    Application &app = App();
    app.instance = instance;
    LoadStringA(instance, IDS_PRODUCT_NAME, app.productName, sizeof app.productName);
    SetSettingsKey(app.productName);
    // The language picks the class menu, so it comes before the class.
    ApplyLanguage(ReadSetting(SETTINGS_SECTION, SETTING_LANGUAGE, 1036));
    RegisterMainClass(instance);

    char className[100];
    LoadStringA(instance, IDS_WINDOW_CLASS, className, sizeof className);
    app.mainWindow = CreateWindowExA(0, className, app.productName, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                     0, CW_USEDEFAULT, 0, nullptr, nullptr, instance, nullptr);
    if (!app.mainWindow) return false;
    PublishInstanceWindow();

    app.OneShotMode = 0;
    if (startCommand == IDC_CMD_PREFERENCES || startCommand == IDC_CMD_CAPTURE ||
        startCommand == IDC_CMD_PROCESS_LIST) {
        app.OneShotMode = 1;
        PostMessageA(app.mainWindow, WM_COMMAND, (WPARAM)startCommand, 0);
    }

    CreateHighlightBrushes();
    app.ActionMethod = ReadSetting(SETTINGS_SECTION, SETTING_METHOD, 1000);

    HMENU menu = GetMenu(app.mainWindow);
    if (menu) {
        app.TrayMenu = GetSubMenu(menu, 0);
        if (app.TrayMenu) SetMenuDefaultItem(app.TrayMenu, IDC_CMD_CAPTURE, FALSE);
        app.ProcessMenu = GetSubMenu(menu, 1);
    }

    RegisterConfiguredHotKeys();
    ShowCaptureKeyInMenu();
    app.OpenThreadEntry = BindOpenThread();
    // Every end of a process or thread asks the user first when it would stop
    // Windows or take the shell away.
    SetEndingCheck(AskBeforeEnding);
    ReadOsVersion();

    if (!app.OneShotMode) {
        app.trayIcon = LoadSmallIcon(instance, IDI_ZORVANE_SMALL);
        AddTrayIcon();
        CountStartAndGreet();
        // After the greeting, which it replaces: a key that was not had matters more.
        ReportRefusedHotKeys();
    }
    return true;
}

void Release() {
    Application &app = App();
    DeleteHighlightBrushes();
    Shell_NotifyIconA(NIM_DELETE, &app.TrayIconData);
    if (app.trayIcon) DestroyIcon(app.trayIcon);
    app.trayIcon = nullptr;
}

// The first argument of a command line, after the program name, unquoted.
static bool FirstArgument(const char *commandLine, char *out, int capacity) {
    const char *rest = ReadCommandLineWord(commandLine, out, capacity);
    return rest && ReadCommandLineWord(rest, out, capacity) != nullptr;
}

int RunZorvane(HINSTANCE instance, const char *commandLine, int showState) {
    char argument[TEXT_BYTES(MAX_PATH)];
    int command = 0;
    if (FirstArgument(commandLine, argument, sizeof argument)) command = StartCommandForArgument(argument);
    if (command) showState = command;
    // A running Zorvane of this user's session takes the start over.
    if (HandToRunningInstance(command)) return 0;
    if (!Initialise(instance, showState)) return 0;
    HACCEL accelerators = LoadAcceleratorsA(instance, MAKEINTRESOURCEA(IDA_MAIN));
    MSG message;
    ZeroMemory(&message, sizeof message);  // exit code 0 should the first GetMessage fail
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        if (!TranslateAcceleratorA(message.hwnd, accelerators, &message)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
    Release();
    return (int)message.wParam;
}
