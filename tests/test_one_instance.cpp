// One Zorvane per session: a second plain start adds no icon and makes the
// running one say so; a second start with a switch hands its command over.
#include <stdio.h>
#include <string.h>

#include "check.h"
#include "harness.h"
#include "shell_support.h"

namespace {

// Starts Zorvane.exe with the arguments and waits for it to end by itself.
bool SecondStartEnds(const char *arguments, DWORD *code) {
    Program second;
    return StartProgram("Zorvane.exe", arguments, &second) && second.waitExit(20000, code);
}

// Notify-icon adds from windows other than this one.
int AddsFromOthers(const FakeTray &tray, HWND window) {
    int others = 0;
    for (int i = 0; i < tray.count(); ++i)
        if (tray.call(i).message == NIM_ADD && tray.call(i).window != window) ++others;
    return others;
}

// The running one's dialog holding the control: shown, then cancelled.
bool HandedDialogShown(const Program &zorvane, int controlId) {
    HWND dialog = WaitForProcessDialog(zorvane.pid(), nullptr, 15000, controlId);
    if (!dialog) return false;
    PressDialogButton(dialog, IDCANCEL);
    return WaitWindowGone(dialog);
}

}  // namespace

TEST_CASE(second_starts_hand_over_to_the_running_one) {
    ResetZorvaneRegistry();
    SetPreferenceDword("Startup", 5);
    SetPreferenceDword("Langage", 1033);
    FakeTray tray;
    Program first;
    HWND window;
    CHECK(StartZorvaneReady("", &first, &window, &tray));

    DWORD code = 99;
    CHECK(SecondStartEnds("", &code));
    CHECK_EQ(0, code);
    CHECK(WaitFor([&] {
        const TrayCall *balloon = tray.last(NIM_MODIFY, window);
        return balloon && strcmp(balloon->info, "Zorvane is already running.") == 0;
    }, 15000));
    CHECK_EQ(0, AddsFromOthers(tray, window));

    CHECK(SecondStartEnds("-p", &code));
    CHECK(HandedDialogShown(first, 1030));  // Preferences, in the running one
    CHECK(SecondStartEnds("-L", &code));
    CHECK(HandedDialogShown(first, 1007));  // the process list
    CHECK(SecondStartEnds("-x", &code));
    CHECK(WaitFor([&] { return CaptureWindowOf(window) == window; }, 15000));
    CHECK(EndCaptureOf(window));
    CHECK(first.running());
    CHECK_EQ(0, AddsFromOthers(tray, window));
    CHECK(CloseAndWait(first, window, &code));

    // Once it has ended, a plain start is the new running one.
    Program next;
    HWND nextWindow;
    CHECK(StartZorvaneReady("", &next, &nextWindow, &tray));
    CHECK(CloseAndWait(next, nextWindow, &code));
}
