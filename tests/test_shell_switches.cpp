// Zorvane's command switches: "-p" and "-l" run their dialog and end with it,
// "-x" runs one capture and ends with it, anything else is a normal tray start.
#include "check.h"
#include "harness.h"
#include "shell_support.h"

namespace {

// What a start with a dialog switch showed before and after its dialog closed.
struct OneShotRun {
    bool trayWatched;  // before the start and after the dialog closed
    bool started;
    bool dialogShown;
    int trayCalls;
    bool startupWritten;
    bool hotKeyTaken;
    bool ended;
    DWORD exitCode;
};

// Starts with the switch, waits for its dialog, notes the one-shot start and
// sends the dialog the closing message.
OneShotRun RunDialogSwitch(const char *arguments, UINT message, WPARAM wParam) {
    OneShotRun run;
    ZeroMemory(&run, sizeof run);
    ResetZorvaneRegistry();
    FakeTray tray;
    run.trayWatched = tray.watched();
    Program zorvane;
    HWND window;
    run.started = StartZorvaneReady(arguments, &zorvane, &window);
    if (!run.started) return run;
    HWND dialog = WaitForProcessDialog(zorvane.pid(), nullptr, 20000);
    run.dialogShown = dialog != nullptr;
    // The dialog runs from the message loop: start-up is over by now.
    run.trayCalls = tray.count();
    DWORD startup;
    run.startupWritten = GetPreferenceDword("Startup", &startup);
    run.hotKeyTaken = !HotKeyIsFree();
    if (dialog) PostMessageA(dialog, message, wParam, 0);
    WaitFor([&] { return (run.ended = zorvane.waitExit(0, &run.exitCode)); }, 20000);
    run.trayWatched = run.trayWatched && tray.watched();
    return run;
}

}  // namespace

TEST_CASE(preferences_switch_ends_program_when_dialog_closes) {
    struct Row {
        const char *arguments;
        WPARAM button;
    };
    const Row rows[] = {{"-P", IDOK}, {"-p more words", IDCANCEL}};
    for (const Row &row : rows) {
        printf("\"%s\", button %d\n", row.arguments, (int)row.button);
        OneShotRun run = RunDialogSwitch(row.arguments, WM_COMMAND, row.button);
        CHECK(run.started);
        CHECK(run.dialogShown);
        CHECK(run.trayWatched);
        CHECK_EQ(0, run.trayCalls);  // no icon, no balloon
        CHECK(!run.startupWritten);
        CHECK(run.hotKeyTaken);  // registered all the same
        CHECK(run.ended);
        CHECK_EQ(0, run.exitCode);
    }
}

TEST_CASE(process_list_switch_ends_program_when_dialog_closes) {
    const char *const switches[] = {"-l", "-L"};
    for (const char *arguments : switches) {
        printf("\"%s\"\n", arguments);
        OneShotRun run = RunDialogSwitch(arguments, WM_CLOSE, 0);
        CHECK(run.started);
        CHECK(run.dialogShown);
        CHECK(run.trayWatched);
        CHECK_EQ(0, run.trayCalls);
        CHECK(!run.startupWritten);
        CHECK(run.ended);
        CHECK_EQ(0, run.exitCode);
    }
}

TEST_CASE(capture_switch_starts_capture_and_ends_with_it) {
    const char *const switches[] = {"-X", "-x and more words"};
    for (const char *arguments : switches) {
        printf("\"%s\"\n", arguments);
        ResetZorvaneRegistry();
        FakeTray tray;
        CHECK(tray.watched());
        Program zorvane;
        HWND window;
        CHECK(StartZorvaneReady(arguments, &zorvane, &window));
        CHECK(WaitFor([&] { return CaptureWindowOf(window) == window; }, 20000));
        CHECK(tray.watched());
        CHECK_EQ(0, tray.count());
        DWORD startup;
        CHECK(!GetPreferenceDword("Startup", &startup));
        // A secondary click on the main window aborts the capture, and with it
        // the program.
        PostMessageA(window, WM_RBUTTONDOWN, 0, 0);
        bool ended = false;
        DWORD code = 99;
        WaitFor([&] { return (ended = zorvane.waitExit(0, &code)); }, 20000);
        CHECK(ended);
        CHECK_EQ(0, code);
    }
}

TEST_CASE(other_first_arguments_give_a_tray_start) {
    const char *const others[] = {"-q", "x -p", "-px"};
    for (const char *arguments : others) {
        printf("\"%s\"\n", arguments);
        ResetZorvaneRegistry();
        FakeTray tray;
        Program zorvane;
        HWND window;
        CHECK(StartZorvaneReady(arguments, &zorvane, &window, &tray));
        CHECK_EQ(1, tray.countOf(NIM_MODIFY, window));  // the first-start balloon
        DWORD startup = 0;
        CHECK(GetPreferenceDword("Startup", &startup));
        CHECK_EQ(1, startup);
        CHECK_EQ(0, CountTopDialogs(zorvane.pid()));
        CHECK(CaptureWindowOf(window) == nullptr);
        DWORD code = 99;
        CHECK(CloseAndWait(zorvane, window, &code));
        CHECK_EQ(0, code);
    }
}
