// Target resolution: the window under the pointer, its frame window, thread,
// process and executable; desktop views refused, ghost windows and store app
// frames seen through to the application behind them.
#include "selection/target.h"

#include <string.h>
#include <tlhelp32.h>

#include "shell/application.h"
#include "shell/code_page.h"
#include "shell/winutil.h"

#ifndef _WIN64
static_assert(sizeof(PROCESSENTRY32) == 296, "narrow process entry is 296 bytes");
#endif

namespace {

typedef HANDLE(WINAPI *SnapshotFunction)(DWORD flags, DWORD processId);
typedef BOOL(WINAPI *ProcessWalkFunction)(HANDLE snapshot, PROCESSENTRY32W *entry);

enum { GhostCaptionMatch = 1, GhostSizeMatch = 2 };

}  // namespace

void CopyExeName(DWORD processId, char *exeName) {
    exeName[0] = 0;
    HMODULE kernel = LoadSystemLibrary("Kernel32.dll");
    if (!kernel) return;
    SnapshotFunction takeSnapshot =
        EntryPointAs<SnapshotFunction>(GetProcAddress(kernel, "CreateToolhelp32Snapshot"));
    // The wide walk: the narrow entry holds 260 bytes, too few for a name in UTF-8.
    ProcessWalkFunction first = EntryPointAs<ProcessWalkFunction>(GetProcAddress(kernel, "Process32FirstW"));
    ProcessWalkFunction next = EntryPointAs<ProcessWalkFunction>(GetProcAddress(kernel, "Process32NextW"));
    FreeLibrary(kernel);  // stays loaded: the program links to it
    if (!takeSnapshot || !first || !next) return;

    HANDLE snapshot = takeSnapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE || !snapshot) return;
    PROCESSENTRY32W entry;
    ZeroMemory(&entry, sizeof entry);
    entry.dwSize = sizeof(PROCESSENTRY32W);
    for (BOOL more = first(snapshot, &entry); more; more = next(snapshot, &entry)) {
        if (entry.th32ProcessID == processId) {
            FromWideText(entry.szExeFile, exeName, TEXT_BYTES(MAX_PATH), false);
            break;
        }
        entry.dwSize = sizeof(PROCESSENTRY32W);
    }
    CloseHandle(snapshot);
}

namespace {

// Bounds of the extra look-ups: the top-level "WorkerW" windows searched for the
// desktop's shell view (the shell makes a few; the light mode stays cheap) and
// the content windows of one store app frame.
enum { WorkerWindowLimit = 16, ContentWindowLimit = 8 };

// The desktop's shell view: under the program manager, or, once a wallpaper
// slideshow or an animated wallpaper has started, under a top-level "WorkerW"
// window while the program manager keeps none. None without a program manager.
HWND DesktopShellView() {
    HWND manager = FindWindowA("Progman", "Program Manager");
    if (!manager) return nullptr;
    HWND view = FindWindowExA(manager, nullptr, "SHELLDLL_DefView", nullptr);
    HWND worker = nullptr;
    for (int i = 0; !view && i < WorkerWindowLimit; ++i) {
        worker = FindWindowExA(nullptr, worker, "WorkerW", nullptr);
        if (!worker) break;
        view = FindWindowExA(worker, nullptr, "SHELLDLL_DefView", nullptr);
    }
    return view;
}

HWND ListViewOf(HWND shellView) {
    HWND list = FindWindowExA(shellView, nullptr, nullptr, "FolderView");
    if (!list) list = FindWindowExA(shellView, nullptr, "SysListView32", nullptr);
    return list;
}

HWND HtmlViewOf(HWND shellView) {
    return FindWindowExA(shellView, nullptr, "Internet Explorer_Server", nullptr);
}

// One look-up of the shell view serves both refusals.
bool IsDesktopView(HWND window) {
    HWND view = DesktopShellView();
    if (!view) return false;
    return window == ListViewOf(view) || window == HtmlViewOf(view);
}

bool HasClass(HWND window, const char *className) {
    char name[1024];
    return GetClassNameA(window, name, sizeof name) && lstrcmpiA(name, className) == 0;
}

// The ghost of a hung window belongs to the shell on older systems and to the
// desktop window manager since Windows Vista.
bool IsGhostHost(const char *exeName) {
    return lstrcmpiA(exeName, "Explorer.exe") == 0 || lstrcmpiA(exeName, "dwm.exe") == 0;
}

// A store app's frame belongs to the one frame host of every store app; the
// app itself owns the frame's "Windows.UI.Core.CoreWindow" child. Takes the
// thread and process from that child when the pointed window is the host's.
void SeeThroughAppFrame(TargetWindow *target) {
    HWND frame = target->frameWindow;
    if (!HasClass(frame, "ApplicationFrameWindow")) return;
    DWORD hostId = 0;
    GetWindowThreadProcessId(frame, &hostId);
    if (hostId != target->processId) return;
    HWND content = nullptr;
    for (int i = 0; i < ContentWindowLimit; ++i) {
        content = FindWindowExA(frame, content, "Windows.UI.Core.CoreWindow", nullptr);
        if (!content) return;
        DWORD appId = 0;
        DWORD threadId = GetWindowThreadProcessId(content, &appId);
        if (appId && appId != hostId) {
            target->threadId = threadId;
            target->processId = appId;
            return;
        }
    }
}

// The candidate with the highest flag word; the first one found wins a tie.
int ChooseGhostCandidate(const GhostSearch &search) {
    int chosen = 0;
    for (int i = 1; i < search.count; ++i)
        if (search.candidates[i].flags > search.candidates[chosen].flags) chosen = i;
    return chosen;
}

// Replaces a hung application's ghost by the real window behind it for the
// thread, process and executable; the ghost stays the pointed and frame window.
int SeeThroughGhost(TargetWindow *target) {
    Application &app = App();
    GhostSearch &search = app.ghost;
    HWND ghost = target->pointedWindow;
    // A ghost that vanished has no size to match: matching 0 x 0 windows
    // would pick an unrelated window.
    if (!GetWindowRect(ghost, &search.rect)) {
        target->pointedWindow = nullptr;
        return 0;
    }
    search.caption[0] = 0;
    GetWindowTextA(ghost, search.caption, sizeof search.caption);
    search.count = 0;
    ZeroMemory(search.candidates, sizeof search.candidates);
    EnumWindows(GhostCandidateTest, reinterpret_cast<LPARAM>(&app));
    if (search.count == 0) {
        target->pointedWindow = nullptr;
        return 0;
    }
    target->pointedWindow = search.candidates[ChooseGhostCandidate(search)].window;
    int result = ResolveFrame(target);
    target->pointedWindow = ghost;
    target->frameWindow = ghost;
    target->viaGhost = 1;
    return result;
}

}  // namespace

bool GhostRuleApplies() {
    const OsVersionInfo &os = App().OsVersion;
    if (os.platformId != VER_PLATFORM_WIN32_NT) return false;
    return os.major > 5 || (os.major == 5 && os.minor == 1);
}

HWND FrameWalk(HWND window) {
    HWND current = window;
    while (current) {
        DWORD style = (DWORD)GetWindowLongA(current, GWL_STYLE);
        if ((style & FRAMED_POPUP_STYLE) == FRAMED_POPUP_STYLE) break;
        HWND parent = GetParent(current);
        if (!parent) break;
        current = parent;
    }
    return current;
}

int ResolveFrame(TargetWindow *target) {
    if (!target->pointedWindow) return 0;
    DWORD processId = 0;
    target->threadId = GetWindowThreadProcessId(target->pointedWindow, &processId);
    target->processId = processId;
    target->frameWindow = FrameWalk(target->pointedWindow);
    SeeThroughAppFrame(target);
    CopyExeName(target->processId, target->exeName);
    return 1;
}

namespace {

void ClearTarget(TargetWindow *target) {
    target->pointedWindow = nullptr;
    target->frameWindow = nullptr;
    target->processId = 0;
    target->exeName[0] = 0;
    target->viaGhost = 0;
}

// The full resolution of a window found already (pointed or in front).
int ResolveFound(TargetWindow *target) {
    int result = ResolveFrame(target);
    if (GhostRuleApplies() && IsGhostHost(target->exeName) && HasClass(target->pointedWindow, "Ghost"))
        result = SeeThroughGhost(target);
    return result;
}

}  // namespace

int ResolveTarget(TargetWindow *target, bool full) {
    ClearTarget(target);
    // Without a pointer position there is nothing under it to act on.
    POINT pointer;
    if (!GetCursorPos(&pointer)) return 0;
    target->pointedWindow = WindowFromPoint(pointer);
    if (!target->pointedWindow) return 0;
    if (IsDesktopView(target->pointedWindow)) {
        target->pointedWindow = nullptr;
        return 0;
    }
    if (!full) return 0;
    return ResolveFound(target);
}

int ResolveWindowTarget(TargetWindow *target, HWND window) {
    ClearTarget(target);
    if (!window || !IsWindow(window) || IsDesktopTopWindow(window) || IsDesktopView(window)) return 0;
    target->pointedWindow = window;
    return ResolveFound(target);
}

bool IsDesktopTopWindow(HWND window) {
    if (!window) return false;
    if (window == GetShellWindow()) return true;
    HWND view = DesktopShellView();
    return view && GetAncestor(view, GA_ROOT) == window;
}

HWND DesktopListView() {
    HWND view = DesktopShellView();
    return view ? ListViewOf(view) : nullptr;
}

HWND DesktopHtmlView() {
    HWND view = DesktopShellView();
    return view ? HtmlViewOf(view) : nullptr;
}

BOOL CALLBACK GhostCandidateTest(HWND window, LPARAM lParam) {
    GhostSearch &search = reinterpret_cast<Application *>(lParam)->ghost;
    if (search.count >= GhostCandidateLimit) return FALSE;
    if (HasClass(window, "Ghost")) return TRUE;

    GhostCandidate &entry = search.candidates[search.count];
    bool matched = false;
    RECT rect;
    if (GetWindowRect(window, &rect) &&
        rect.right - rect.left == search.rect.right - search.rect.left &&
        rect.bottom - rect.top == search.rect.bottom - search.rect.top) {
        entry.flags |= GhostSizeMatch;
        entry.window = window;
        matched = true;
    }
    char caption[TEXT_BYTES(1024)];
    if (search.caption[0] && GetWindowTextA(window, caption, sizeof caption) > 0 &&
        strstr(search.caption, caption)) {
        entry.flags |= GhostCaptionMatch;
        entry.window = window;
        matched = true;
    }
    if (matched) ++search.count;
    return TRUE;
}
