// The actions of the real Zorvane.exe applied by a capture and a click: each
// action's effect, modifier keys over the setting, the ghost frame that only
// ever gets closed, values that do nothing, the refused desktop view, and the
// failure box of a protected target in each language, with Retry through Liftrun.
#include <stdio.h>
#include <string.h>

#include <initializer_list>

#include "actions/actions.h"
#include "actions_support.h"
#include "check.h"
#include "harness.h"
#include "selection_support.h"

namespace {

const int TargetX = 200, TargetY = 150, TargetW = 300, TargetH = 200;

// A target of the usual size (ended at the end of the scope, as ActionTarget is).
struct TargetScope {
    ActionTarget target;
    bool start(const char *title, const char *mode = "", int x = TargetX, const char *exePath = nullptr) {
        return StartActionTarget(title, x, TargetY, TargetW, TargetH, mode, &target, exePath);
    }
};

// Releases held modifier keys; a tap of another key first keeps a lone Alt
// release from opening the focused window's menu.
void ReleaseModifiers() {
    PressKey(VK_F24);
    KeyUp(VK_LMENU);
    KeyUp(VK_LSHIFT);
    KeyUp(VK_LCONTROL);
}

void HoldModifiers(bool ctrl, bool shift, bool alt) {
    if (ctrl) KeyDown(VK_LCONTROL);
    if (shift) KeyDown(VK_LSHIFT);
    if (alt) KeyDown(VK_LMENU);
}

}  // namespace

TEST_CASE(each_configured_action_has_its_effect) {
    ZorvaneSession zorvane;
    CHECK(zorvane.start("", Close));
    struct Case {
        LONG action;
        bool onWorker;
        long exitCode;  // -1: still running
    } cases[] = {
        {Close, false, TargetFrameClosed}, {Quit, true, TargetWorkerQuit}, {KillThread, true, TargetWorkerKilled},
        {KillProcess, false, 0},           {Hide, false, -1},
    };
    for (const Case &c : cases) {
        printf("  action %ld\n", c.action);
        TargetScope scope;
        CHECK(scope.start("Configured action"));
        // The setting is read again at every capture.
        SetPreferenceDword("Methode", (DWORD)c.action);
        // The first capture comes by the hot key, the others by command 204.
        ZorvaneSession::Start start = c.action == Close ? ZorvaneSession::ByHotKey : ZorvaneSession::ByCommand;
        HWND window = c.onWorker ? scope.target.worker : scope.target.frame;
        CHECK(zorvane.captureOver(window, ActionColour(c.action), start));
        Click(true);
        CHECK(WaitCaptureHeld(zorvane.main, false, 10000));
        CHECK_EQ(c.exitCode, WaitExitCode(scope.target.program, c.exitCode < 0 ? 500 : 10000));
        // The window is hidden after the capture has let go: wait for the hide itself.
        if (c.action == Hide)
            CHECK(WaitFor([&] { return !IsWindowVisible(scope.target.frame); }, 10000) && IsWindow(scope.target.frame));
        CHECK(!MessageBoxPresent(zorvane.program.pid()));
    }
    CHECK(zorvane.program.running());
}

TEST_CASE(modifier_keys_override_the_configured_action) {
    ZorvaneSession zorvane;
    CHECK(zorvane.start("", Close));
    struct Case {
        bool ctrl, shift, alt;
        LONG configured, applied;
        bool onWorker;
        long exitCode;
    } cases[] = {
        {false, true, false, Close, KillThread, true, TargetWorkerKilled},
        {false, false, true, Close, Quit, true, TargetWorkerQuit},
        {true, false, true, Close, KillProcess, false, 0},
        {true, true, true, Close, Hide, false, -1},
        {true, false, false, Hide, Close, false, TargetFrameClosed},
    };
    for (const Case &c : cases) {
        printf("  ctrl %d shift %d alt %d\n", c.ctrl, c.shift, c.alt);
        TargetScope scope;
        CHECK(scope.start("Modifier keys"));
        SetPreferenceDword("Methode", (DWORD)c.configured);
        HWND window = c.onWorker ? scope.target.worker : scope.target.frame;
        bool configuredColour = zorvane.captureOver(window, ActionColour(c.configured));
        HoldModifiers(c.ctrl, c.shift, c.alt);
        RECT rect;
        GetWindowRect(window, &rect);
        // The outline takes the held keys' colour at its next repaint.
        bool heldColour = WaitPixel(rect.left, rect.top, ActionColour(c.applied), true, 10000);
        Click(true);
        // The keys stay down until the action is seen: it reads them after the capture ends.
        bool ended = WaitCaptureHeld(zorvane.main, false, 10000);
        HWND frame = scope.target.frame;
        if (c.applied == Hide) WaitFor([&] { return !IsWindowVisible(frame); }, 10000);
        long exitCode = WaitExitCode(scope.target.program, c.exitCode < 0 ? 300 : 10000);
        ReleaseModifiers();
        CHECK(configuredColour);
        CHECK(heldColour);
        CHECK(ended);
        CHECK_EQ(c.exitCode, exitCode);
        if (c.applied == Hide) CHECK(!IsWindowVisible(frame));
    }
}

TEST_CASE(ghost_frame_gets_close_whatever_is_held) {
    // The shell hosted the ghosts before Windows Vista, the desktop window manager since.
    for (const char *host : {"explorer.exe", "dwm.exe"}) {
        printf("  ghost of %s\n", host);
        TargetScope hung, ghost;
        CHECK(hung.start("Zv Hung App"));
        char path[MAX_PATH];
        CHECK(CopyProgramAs("action_target.exe", "actions-ghost", host, path, sizeof path));
        CHECK(ghost.start("Zv Hung App", "ghost", 600, path));
        ZorvaneSession zorvane;
        CHECK(zorvane.start("", KillProcess));
        CHECK(zorvane.captureOver(ghost.target.frame, ActionColour(KillProcess)));
        HoldModifiers(true, false, true);  // Kill process as well
        PumpMessages(250);                  // a few ticks with the keys held
        Click(true);
        bool ended = WaitCaptureHeld(zorvane.main, false, 10000);
        long ghostCode = WaitExitCode(ghost.target.program, 10000);
        ReleaseModifiers();
        CHECK(ended);
        CHECK_EQ(TargetFrameClosed, ghostCode);
        CHECK(hung.target.program.running() && IsWindowVisible(hung.target.frame));
    }
}

TEST_CASE(kill_process_on_a_store_app_frame_ends_the_app_not_the_frame_host) {
    char hostPath[MAX_PATH], appPath[MAX_PATH];
    CHECK(CopyProgramAs("action_target.exe", "actions-store", "ApplicationFrameHost.exe", hostPath,
                        sizeof hostPath));
    CHECK(CopyProgramAs("action_target.exe", "actions-store", "ZvStoreApp.exe", appPath, sizeof appPath));
    TargetScope host, app;
    CHECK(host.start("Zv Store App", "framehost", TargetX, hostPath));
    CHECK(app.start("Zv Store App", "storeapp", TargetX, appPath));
    HWND titleBar = FindWindowExA(host.target.frame, nullptr, "ApplicationFrameTitleBarWindow", nullptr);
    ZorvaneSession zorvane;
    CHECK(zorvane.start("", KillProcess));
    CHECK(zorvane.captureOver(titleBar, ActionColour(KillProcess)));
    Click(true);
    CHECK(WaitCaptureHeld(zorvane.main, false, 10000));
    CHECK_EQ(0, WaitExitCode(app.target.program, 10000));
    CHECK(host.target.program.running() && IsWindowVisible(host.target.frame));
    CHECK(!MessageBoxPresent(zorvane.program.pid()));
}

TEST_CASE(button_messages_to_the_idle_main_window_do_nothing) {
    TargetScope scope;
    CHECK(scope.start("Idle main window"));
    ZorvaneSession zorvane;
    CHECK(zorvane.start("", Close));
    MovePointer(TargetX + TargetW / 2, TargetY + TargetH / 2);
    // As a press that a tick has already applied reaches the window later from
    // its queue: sent, so that it has been handled when the call returns.
    DWORD_PTR answer = 0;
    for (UINT message : {WM_LBUTTONDOWN, WM_RBUTTONDOWN})
        CHECK(SendMessageTimeoutA(zorvane.main, message, 0, MAKELPARAM(10, 10), SMTO_ABORTIFHUNG, 5000,
                                  &answer));
    CHECK_EQ(-1, WaitExitCode(scope.target.program, 500));
    CHECK(IsWindowVisible(scope.target.frame));
    CHECK(zorvane.program.running() && !MessageBoxPresent(zorvane.program.pid()));
}

TEST_CASE(out_of_range_setting_does_nothing) {
    TargetScope scope;
    CHECK(scope.start("Out of range"));
    ZorvaneSession zorvane;
    CHECK(zorvane.start("", 5000));
    CHECK(zorvane.captureOver(scope.target.frame, ActionColour(5000)));
    Click(true);
    CHECK(WaitCaptureHeld(zorvane.main, false, 10000));
    CHECK_EQ(-1, WaitExitCode(scope.target.program, 500));
    CHECK(IsWindowVisible(scope.target.frame) && IsWindowVisible(scope.target.worker));
    CHECK(!MessageBoxPresent(zorvane.program.pid()));
    CHECK(zorvane.program.running());
}

TEST_CASE(click_on_desktop_view_does_nothing_and_one_shot_still_ends) {
    // The icon view under the program manager, and under a "WorkerW" once a
    // wallpaper slideshow has started.
    for (const char *tree : {"desktop", "workerw"}) {
        printf("  %s\n", tree);
        Program desktop;
        CHECK(StartWindows("zv_windows.exe", tree, &desktop));
        HWND manager = FindProcessTopWindow(desktop.pid(), "Progman", "Program Manager");
        CHECK(manager && FindWindowA("Progman", "Program Manager") == manager);
        RECT rect;
        GetWindowRect(manager, &rect);
        // The icon view ("FolderView") fills the first 200 pixels.
        MovePointer(rect.left + 100, rect.top + 100);
        ZorvaneSession zorvane;
        CHECK(zorvane.start("-x", KillProcess));
        CHECK(WaitCaptureHeld(zorvane.main, true, 10000));
        bool outlined = WaitPixel(rect.left, rect.top, ActionColour(KillProcess), true, 600);
        Click(true);
        bool ended = zorvane.ends();
        CHECK(!outlined);
        CHECK(ended);
        CHECK(IsWindow(manager) && desktop.running());
    }
}

TEST_CASE(failure_box_in_each_language_with_retry_through_liftrun) {
    struct Case {
        LONG locale;
        LONG method;
        const char *utf8;
        bool retry;
    } cases[] = {
        {1033, KillProcess, "Unable to kill selected Window process.", false},
        {1031, KillThread, "Es war nicht möglich den Thread des ausgewählten Fensters auszulöschen!", false},
        {1036, KillProcess, "Impossible de tuer ce processus.\nVous n'avez pas les droits nécessaires.", true},
    };
    for (const Case &c : cases) {
        printf("  language %ld, action %ld\n", c.locale, c.method);
        TargetScope scope;
        CHECK(scope.start("Protected", "protect"));
        HWND window = c.method == KillThread ? scope.target.worker : scope.target.frame;
        RECT rect;
        GetWindowRect(window, &rect);
        MovePointer((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
        ZorvaneSession zorvane;
        CHECK(zorvane.start("-x", c.method, c.locale));
        CHECK(zorvane.captureOver(window, ActionColour(c.method), ZorvaneSession::Started));
        Click(true);
        MessageBoxReading box;
        CHECK(WaitForMessageBox(zorvane.program.pid(), 10000, &box));
        char expected[300];
        Utf8ToAnsi(c.utf8, expected, sizeof expected);
        CHECK_STR(expected, box.text);
        CHECK_STR("Zorvane", box.caption);
        CHECK(box.retry && box.cancel && !box.ok);
        AnswerMessageBox(box.box, c.retry ? IDRETRY : IDCANCEL);
        // The one-shot program ends once its box is closed, without waiting for Liftrun.
        CHECK(zorvane.ends());
        if (!c.retry) continue;
        MessageBoxReading again;
        CHECK(WaitForMessageBox(0, 15000, &again));
        char image[MAX_PATH], expectedImage[MAX_PATH];
        ProcessImagePath(again.processId, image, sizeof image);
        HANDLE liftrun = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, again.processId);
        AnswerMessageBox(again.box, IDOK);
        DWORD code = 99;
        bool liftrunEnded = liftrun && WaitForSingleObject(liftrun, 15000) == WAIT_OBJECT_0 &&
                            GetExitCodeProcess(liftrun, &code);
        if (liftrun) CloseHandle(liftrun);
        BinPath("Liftrun.exe", expectedImage, sizeof expectedImage);
        strcat(expected, " ");
        CHECK_EQ(0, lstrcmpiA(expectedImage, image));
        CHECK_STR(expected, again.text);
        CHECK(again.ok && !again.retry);
        CHECK(liftrunEnded);
        CHECK_EQ(0, code);
        CHECK(scope.target.program.running());
    }
}

TEST_CASE(older_system_gives_ok_only) {
    WineVersionOverride version("Zorvane.exe", sizeof(void *) == 8 ? "winxp64" : "winxp");
    CHECK(version.ok());
    TargetScope scope;
    CHECK(scope.start("Protected on XP", "protect"));
    ZorvaneSession zorvane;
    MovePointer(TargetX + TargetW / 2, TargetY + TargetH / 2);
    CHECK(zorvane.start("-x", KillProcess));
    CHECK(zorvane.captureOver(scope.target.frame, ActionColour(KillProcess), ZorvaneSession::Started));
    Click(true);
    MessageBoxReading box;
    CHECK(WaitForMessageBox(zorvane.program.pid(), 10000, &box));
    CHECK_STR("Unable to kill selected Window process.", box.text);
    CHECK(box.ok && !box.retry && !box.cancel);
    AnswerMessageBox(box.box, IDOK);
    CHECK(zorvane.ends());
}
