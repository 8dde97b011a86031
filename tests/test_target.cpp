// Target resolution against real windows: frame walk by window styles, the
// desktop's icon and HTML views refused, and hung-application ghosts seen
// through to the real window by caption and size.
#include <string.h>

#include <initializer_list>

#include "actions_support.h"
#include "check.h"
#include "harness.h"
#include "selection/target.h"
#include "selection_support.h"
#include "shell/application.h"

namespace {

void CenterOf(HWND window, POINT *point) {
    RECT rect;
    GetWindowRect(window, &rect);
    point->x = (rect.left + rect.right) / 2;
    point->y = (rect.top + rect.bottom) / 2;
}

bool PointAtCenter(HWND window) {
    POINT point;
    CenterOf(window, &point);
    return PointAt(point.x, point.y, window);
}

TargetWindow Resolve(bool full, int *result) {
    TargetWindow target;
    ZeroMemory(&target, sizeof target);
    *result = ResolveTarget(&target, full);
    return target;
}

void SetSystemVersion(DWORD platform, DWORD major, DWORD minor) {
    OsVersionInfo &os = App().OsVersion;
    os.platformId = platform;
    os.major = major;
    os.minor = minor;
}

HWND ChildOf(HWND parent, const char *className, const char *title) {
    return FindWindowExA(parent, nullptr, className, title);
}

}  // namespace

TEST_CASE(frame_walk_follows_parents_and_owners_to_framed_popups) {
    ResetZorvaneRegistry();
    Program windows;
    CHECK(StartWindows("zv_windows.exe", "resolution", &windows));
    DWORD pid = windows.pid();
    HWND app = FindProcessTopWindow(pid, "ZvApp", nullptr);
    HWND dialog = FindProcessTopWindow(pid, "ZvDialog", nullptr);
    HWND frame = FindProcessTopWindow(pid, "ZvFrame", nullptr);
    HWND popup = FindProcessTopWindow(pid, "ZvPopup", nullptr);
    HWND plain = FindProcessTopWindow(pid, "ZvPlain", "Zv Plain");
    HWND plainPopup = FindProcessTopWindow(pid, "ZvPlain", "Zv Plain Popup");
    CHECK(app && dialog && frame && popup && plain && plainPopup);
    HWND mdiClient = ChildOf(frame, "MDICLIENT", nullptr);
    HWND mdiChild = mdiClient ? ChildOf(mdiClient, "ZvMdiChild", nullptr) : nullptr;
    CHECK(mdiChild != nullptr);

    struct Case {
        HWND pointed;
        HWND frame;
    } cases[] = {
        {ChildOf(dialog, "BUTTON", nullptr), app},        // button in an owned dialog: the owner
        {ChildOf(mdiChild, "BUTTON", nullptr), frame},    // button in an MDI child: the top frame
        {ChildOf(popup, "BUTTON", nullptr), popup},       // inside an owned framed pop-up: the pop-up
        {ChildOf(plainPopup, "BUTTON", nullptr), plainPopup},
    };
    for (const Case &c : cases) {
        CHECK(c.pointed != nullptr);
        CHECK(PointAtCenter(c.pointed));
        int result = 0;
        TargetWindow target = Resolve(true, &result);
        CHECK_EQ(1, result);
        if (target.pointedWindow != c.pointed) {
            char found[256] = "", wanted[256] = "";
            GetWindowTextA(target.pointedWindow, found, sizeof found);
            GetWindowTextA(c.pointed, wanted, sizeof wanted);
            POINT at;
            GetCursorPos(&at);
            printf("  at %ld,%ld found \"%s\" instead of \"%s\"\n", at.x, at.y, found, wanted);
        }
        CHECK(target.pointedWindow == c.pointed);
        CHECK(target.frameWindow == c.frame);
        CHECK(FrameWalk(c.pointed) == c.frame);
        CHECK_EQ(pid, target.processId);
        CHECK_EQ(GetWindowThreadProcessId(c.pointed, nullptr), target.threadId);
        CHECK_STR("zv_windows.exe", target.exeName);
        CHECK_EQ(0, target.viaGhost);
    }

    // An unowned top-level window is both windows. (Its caption is not reachable
    // here: without a window manager, Wine's managed windows are hit in the client area only.)
    CHECK(PointAtCenter(plain));
    int result = 0;
    TargetWindow target = Resolve(true, &result);
    CHECK_EQ(1, result);
    CHECK(target.pointedWindow == plain && target.frameWindow == plain);

    // The light mode finds the window only and leaves the thread id alone.
    target.threadId = 12345;
    strcpy(target.exeName, "stale");
    target.processId = 99;
    CHECK_EQ(0, ResolveTarget(&target, false));
    CHECK(target.pointedWindow == plain);
    CHECK(target.frameWindow == nullptr);
    CHECK_EQ(12345, target.threadId);
    CHECK_EQ(0, target.processId);
    CHECK_STR("", target.exeName);

    // Nothing to resolve without a window.
    ZeroMemory(&target, sizeof target);
    CHECK_EQ(0, ResolveFrame(&target));
    CHECK(FrameWalk(nullptr) == nullptr);
}

// The top-level "WorkerW" that holds the shell view, or 0.
HWND WorkerWithShellView() {
    HWND worker = nullptr;
    while ((worker = FindWindowExA(nullptr, worker, "WorkerW", nullptr)))
        if (ChildOf(worker, "SHELLDLL_DefView", nullptr)) return worker;
    return nullptr;
}

TEST_CASE(desktop_icon_and_html_views_are_refused) {
    // Under the program manager, and under a "WorkerW" once a wallpaper
    // slideshow has taken the shell view away from it.
    for (const char *tree : {"desktop", "workerw"}) {
        printf("  %s\n", tree);
        Program windows;
        CHECK(StartWindows("zv_windows.exe", tree, &windows));
        HWND manager = FindProcessTopWindow(windows.pid(), "Progman", "Program Manager");
        CHECK(manager != nullptr);
        // A desktop of the system's own (none under Wine) would be found first
        // only if it were above this top-most one.
        CHECK(FindWindowA("Progman", "Program Manager") == manager);
        HWND host = tree[0] == 'w' ? WorkerWithShellView() : manager;
        CHECK(host != nullptr);
        if (host != manager) CHECK(ChildOf(manager, "SHELLDLL_DefView", nullptr) == nullptr);
        HWND view = ChildOf(host, "SHELLDLL_DefView", nullptr);
        HWND icons = ChildOf(view, "ZvIcons", "FolderView");
        HWND list = ChildOf(view, "SysListView32", nullptr);
        HWND html = ChildOf(view, "Internet Explorer_Server", nullptr);
        HWND other = ChildOf(view, "ZvOther", nullptr);
        CHECK(view && icons && list && html && other);
        CHECK(DesktopListView() == icons);
        CHECK(DesktopHtmlView() == html);

        int result = 0;
        for (HWND refused : {icons, html}) {
            CHECK(PointAtCenter(refused));
            TargetWindow target = Resolve(false, &result);
            CHECK(target.pointedWindow == nullptr);
            target = Resolve(true, &result);
            if (result)
                printf("  %p taken for %p of %s\n", static_cast<void *>(refused),
                       static_cast<void *>(target.pointedWindow), target.exeName);
            CHECK_EQ(0, result);
            CHECK(target.pointedWindow == nullptr);
        }
        // With a "FolderView" child, a list view beside it is an ordinary window.
        CHECK(PointAtCenter(list));
        TargetWindow target = Resolve(true, &result);
        CHECK_EQ(1, result);
        CHECK(target.pointedWindow == list);
        CHECK(PointAtCenter(other));
        target = Resolve(true, &result);
        CHECK_EQ(1, result);
        CHECK(target.pointedWindow == other && target.frameWindow == host);

        // Without one, the first list view is the icon view.
        SetWindowTextA(icons, "Icons");
        CHECK(DesktopListView() == list);
        CHECK(PointAtCenter(list));
        target = Resolve(true, &result);
        CHECK(result == 0 && target.pointedWindow == nullptr);
        CHECK(PointAtCenter(icons));
        target = Resolve(false, &result);
        CHECK(target.pointedWindow == icons);
    }
}

TEST_CASE(store_app_frame_names_the_app_inside_it) {
    char hostPath[MAX_PATH], appPath[MAX_PATH];
    CHECK(CopyProgramAs("action_target.exe", "store", "ApplicationFrameHost.exe", hostPath, sizeof hostPath));
    CHECK(CopyProgramAs("action_target.exe", "store", "ZvStoreApp.exe", appPath, sizeof appPath));
    ActionTarget host, app;
    CHECK(StartActionTarget("Zv Store App", 200, 150, 400, 300, "framehost", &host, hostPath));
    CHECK(StartActionTarget("Zv Store App", 200, 150, 400, 300, "storeapp", &app, appPath));
    HWND frame = host.frame, content = app.frame;
    HWND titleBar = ChildOf(frame, "ApplicationFrameTitleBarWindow", nullptr);
    CHECK(titleBar != nullptr);

    // The host's title bar and the app's own content both name the app; close
    // and hide still act on the frame the user sees.
    for (HWND pointed : {titleBar, content}) {
        CHECK(PointAtCenter(pointed));
        int result = 0;
        TargetWindow target = Resolve(true, &result);
        CHECK_EQ(1, result);
        CHECK(target.pointedWindow == pointed && target.frameWindow == frame);
        CHECK_EQ(app.program.pid(), target.processId);
        CHECK_EQ(GetWindowThreadProcessId(content, nullptr), target.threadId);
        CHECK_STR("ZvStoreApp.exe", target.exeName);
    }

    // A frame without its app's content (a suspended app) is the host's.
    app.stop();
    CHECK(WaitFor([&] { return !IsWindow(content); }, 15000));
    CHECK(PointAtCenter(titleBar));
    int result = 0;
    TargetWindow target = Resolve(true, &result);
    CHECK(result == 1 && target.frameWindow == frame);
    CHECK_EQ(host.program.pid(), target.processId);
    CHECK_STR("ApplicationFrameHost.exe", target.exeName);
}

namespace {

const char GhostCaption[] = "Zv Hung Editor - Document.txt (Not Responding)";
const int GhostWidth = 333, GhostHeight = 177;

// Hidden top-level windows of this process that the ghost search may match.
struct Candidates {
    HWND windows[24];
    int count = 0;
    ~Candidates() { clear(); }
    void clear() {
        for (int i = 0; i < count; ++i) DestroyWindow(windows[i]);
        count = 0;
    }
    // Adds a window below the ones added before, so they enumerate in order.
    HWND add(const char *caption, int width, int height) {
        static bool registered = false;
        if (!registered) {
            WNDCLASSA windowClass;
            ZeroMemory(&windowClass, sizeof windowClass);
            windowClass.lpfnWndProc = DefWindowProcA;
            windowClass.hInstance = GetModuleHandleA(nullptr);
            windowClass.lpszClassName = "ZvCandidate";
            registered = RegisterClassA(&windowClass) != 0;
        }
        HWND window = CreateWindowExA(0, "ZvCandidate", caption, WS_OVERLAPPED, 5, 5 + count, width, height,
                                      nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        SetWindowPos(window, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        windows[count++] = window;
        return window;
    }
};

struct GhostSetup {
    Program owner;
    HWND ghost = nullptr;
    // Starts the copy of zv_windows.exe named name (in its own folder) showing a ghost.
    bool start(const char *folder, const char *name) {
        char path[MAX_PATH];
        if (!CopyProgramAs("zv_windows.exe", folder, name, path, sizeof path)) return false;
        char arguments[300];
        snprintf(arguments, sizeof arguments, "ghost \"%s\" 300 300 %d %d", GhostCaption, GhostWidth, GhostHeight);
        if (!StartWindows(path, arguments, &owner)) return false;
        ghost = FindProcessTopWindow(owner.pid(), "Ghost", nullptr);
        return ghost && PointAtCenter(ghost);
    }
};

// Full resolution over the ghost; true when it was seen through to the window.
bool SeesThrough(HWND ghost, HWND expected) {
    int result = 0;
    TargetWindow target = Resolve(true, &result);
    if (!expected) return result == 0 && target.pointedWindow == nullptr;
    DWORD threadId = GetWindowThreadProcessId(expected, nullptr);
    return result == 1 && target.viaGhost == 1 && target.pointedWindow == ghost && target.frameWindow == ghost &&
           target.processId == GetCurrentProcessId() && target.threadId == threadId &&
           lstrcmpiA(target.exeName, "test_target.exe") == 0;
}

}  // namespace

TEST_CASE(ghost_is_seen_through_by_caption_and_size) {
    SetSystemVersion(VER_PLATFORM_WIN32_NT, 6, 1);
    GhostSetup setup;
    CHECK(setup.start("ghost", "Explorer.exe"));
    HWND ghost = setup.ghost;
    Candidates candidates;

    // No window matches: no target at all.
    CHECK(SeesThrough(ghost, nullptr));
    CHECK_EQ(0, App().ghost.count);

    // Caption contained in the ghost's caption, any size.
    HWND byCaption = candidates.add("Zv Hung Editor - Document.txt", 200, 100);
    CHECK(SeesThrough(ghost, byCaption));
    candidates.clear();

    // Same size, unrelated caption (position plays no part).
    HWND bySize = candidates.add("Something else", GhostWidth, GhostHeight);
    CHECK(SeesThrough(ghost, bySize));
    candidates.clear();

    // Both beat either, wherever they stand.
    candidates.add("Zv Hung Editor", 10, 10);
    candidates.add("", GhostWidth, GhostHeight);
    HWND both = candidates.add("Document.txt", GhostWidth, GhostHeight);
    CHECK(SeesThrough(ghost, both));
    CHECK_EQ(3, App().ghost.count);
    CHECK_EQ(3, App().ghost.candidates[2].flags);
    candidates.clear();

    // Equal flag words: the first one enumerated wins.
    HWND first = candidates.add("Zv Hung", 20, 20);
    candidates.add("Editor", 30, 30);
    CHECK(SeesThrough(ghost, first));
    candidates.clear();

    // Only the first 16 matches are candidates.
    HWND firstOfSixteen = candidates.add("", GhostWidth, GhostHeight);
    for (int i = 1; i < 16; ++i) candidates.add("", GhostWidth, GhostHeight);
    candidates.add("Zv Hung Editor", GhostWidth, GhostHeight);
    CHECK(SeesThrough(ghost, firstOfSixteen));
    CHECK_EQ(16, App().ghost.count);
    candidates.clear();

    // A second search starts from clear flag words: left-over flags would make
    // both entries 3 and the first (caption only) would win.
    candidates.add("", GhostWidth, GhostHeight);
    candidates.add("Zv Hung Editor", 40, 40);
    CHECK(SeesThrough(ghost, candidates.windows[0]));
    candidates.clear();
    candidates.add("Zv Hung Editor", 40, 40);
    HWND sizeSecond = candidates.add("", GhostWidth, GhostHeight);
    CHECK(SeesThrough(ghost, sizeSecond));
    CHECK_EQ(1, App().ghost.candidates[0].flags);
    CHECK_EQ(2, App().ghost.candidates[1].flags);
}

TEST_CASE(ghost_rule_depends_on_system_version_and_owner) {
    GhostSetup setup;
    CHECK(setup.start("upper", "EXPLORER.EXE"));
    HWND ghost = setup.ghost;
    Candidates candidates;
    HWND real = candidates.add("Zv Hung Editor", GhostWidth, GhostHeight);

    struct Version {
        DWORD platform, major, minor;
        bool substitutes;
    } versions[] = {
        {VER_PLATFORM_WIN32_NT, 5, 0, false}, {VER_PLATFORM_WIN32_NT, 5, 1, true},
        {VER_PLATFORM_WIN32_NT, 5, 2, false}, {VER_PLATFORM_WIN32_NT, 6, 0, true},
        {VER_PLATFORM_WIN32_NT, 10, 0, true}, {VER_PLATFORM_WIN32_WINDOWS, 6, 1, false},
    };
    for (const Version &v : versions) {
        SetSystemVersion(v.platform, v.major, v.minor);
        CHECK_EQ(v.substitutes, GhostRuleApplies());
        if (v.substitutes) {
            CHECK(SeesThrough(ghost, real));
        } else {
            int result = 0;
            TargetWindow target = Resolve(true, &result);
            CHECK_EQ(1, result);
            CHECK(target.pointedWindow == ghost && target.frameWindow == ghost);
            CHECK_EQ(0, target.viaGhost);
            CHECK_EQ(setup.owner.pid(), target.processId);
            CHECK(lstrcmpiA(target.exeName, "Explorer.exe") == 0);
        }
    }

    // Since Windows Vista the desktop window manager hosts the ghosts.
    SetSystemVersion(VER_PLATFORM_WIN32_NT, 6, 1);
    setup.owner.stop();
    GhostSetup dwm;
    CHECK(dwm.start("dwm", "DWM.EXE"));
    CHECK(SeesThrough(dwm.ghost, real));
    dwm.owner.stop();

    // A "Ghost" window of any other program is an ordinary window.
    GhostSetup other;
    CHECK(other.start("other", "zv_ghost_owner.exe"));
    int result = 0;
    TargetWindow target = Resolve(true, &result);
    CHECK_EQ(1, result);
    CHECK(target.pointedWindow == other.ghost && target.viaGhost == 0);
    CHECK_STR("zv_ghost_owner.exe", target.exeName);
}
