// One Zorvane per user session: a named record in the session's namespace holds
// the running tray Zorvane's main window; a later start posts its command there.
#include "shell/single_instance.h"

#include "resources/resource_ids.h"
#include "shell/application.h"
#include "shell/main_window.h"
#include "shell/winutil.h"

namespace {

// What the running Zorvane leaves for later starts.
struct InstanceRecord {
    DWORD processId;
    DWORD reserved;
    ULONGLONG window;  // the main window, the same width for x86 and x64 builds
};

// Bounds on waiting for a Zorvane that is starting or ending: it either shows
// its window or lets the record go within this time.
enum { InstanceWaitMs = 5000, InstancePollMs = 100 };

UINT InstanceMessageId = 0;

UINT InstanceMessage() {
    if (!InstanceMessageId) InstanceMessageId = RegisterWindowMessageA("Zorvane.Instance");
    return InstanceMessageId;
}

// "Local\" keeps the record to this session; the user name keeps it to this
// user, for programs started as another user on the same desktop.
void InstanceName(char *out, int capacity) {
    char user[257];
    DWORD size = sizeof user;
    if (!GetUserNameA(user, &size)) lstrcpynA(user, "", sizeof user);
    FormatText(out, capacity, "Local\\Zorvane.Instance.%s", user);
}

// The running Zorvane's main window from the record, or 0 while it has none
// (starting, or already ending).
HWND RecordedWindow(HANDLE mapping) {
    const InstanceRecord *record =
        static_cast<const InstanceRecord *>(MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, sizeof(InstanceRecord)));
    if (!record) return nullptr;
    HWND window = reinterpret_cast<HWND>((ULONG_PTR)record->window);
    DWORD processId = record->processId;
    UnmapViewOfFile(record);
    DWORD owner = 0;
    if (!window || !IsWindow(window)) return nullptr;
    GetWindowThreadProcessId(window, &owner);
    return owner == processId ? window : nullptr;
}

// Lets the running Zorvane come to the front (its capture and dialogs need it),
// then posts; false when the post did not get through.
bool TellRunning(HWND window, int command) {
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    AllowSetForegroundWindow(owner);
    return PostMessageA(window, InstanceMessage(), (WPARAM)command, 0) != FALSE;
}

// Opens the record, or for a plain start makes it (claimed is set when this
// start made it).
HANDLE OpenRecord(const char *name, bool create, bool *claimed) {
    *claimed = false;
    if (!create) return OpenFileMappingA(FILE_MAP_READ, FALSE, name);
    HANDLE mapping =
        CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(InstanceRecord), name);
    *claimed = mapping && GetLastError() != ERROR_ALREADY_EXISTS;
    return mapping;
}

}  // namespace

bool HandToRunningInstance(int command) {
    char name[300];
    InstanceName(name, sizeof name);
    bool plain = command == 0;
    for (DWORD waited = 0; waited <= InstanceWaitMs; waited += InstancePollMs) {
        bool claimed = false;
        HANDLE mapping = OpenRecord(name, plain, &claimed);
        // No record: nothing runs (or the system has no such names); start here.
        if (!mapping) return false;
        if (claimed) {
            App().InstanceClaim = mapping;
            return false;
        }
        HWND running = RecordedWindow(mapping);
        CloseHandle(mapping);
        if (running) return TellRunning(running, command);
        Sleep(InstancePollMs);
    }
    // A Zorvane that neither shows its window nor ends: start here as before.
    return false;
}

void PublishInstanceWindow() {
    Application &app = App();
    if (!app.InstanceClaim) return;
    InstanceRecord *record = static_cast<InstanceRecord *>(
        MapViewOfFile(app.InstanceClaim, FILE_MAP_WRITE, 0, 0, sizeof(InstanceRecord)));
    if (!record) return;
    record->processId = GetCurrentProcessId();
    record->window = (ULONGLONG)(ULONG_PTR)app.mainWindow;
    UnmapViewOfFile(record);
    InstanceMessage();
}

void ReleaseInstanceClaim() {
    Application &app = App();
    if (app.InstanceClaim) CloseHandle(app.InstanceClaim);
    app.InstanceClaim = nullptr;
}

bool OnInstanceMessage(UINT message, WPARAM command) {
    if (!InstanceMessageId || message != InstanceMessageId) return false;
    switch (command) {
    case 0: ShowLocalBalloon(IDS_ALREADY_RUNNING); break;
    case IDC_CMD_CAPTURE:
    case IDC_CMD_PREFERENCES:
    case IDC_CMD_PROCESS_LIST: MainWindowHandler(WM_COMMAND, command, 0); break;
    default: break;  // anything else a program may post here
    }
    return true;
}
