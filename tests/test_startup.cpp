// Zorvane starts, makes its hidden main window and ends on the Quit command.
#include "check.h"
#include "harness.h"

TEST_CASE(quit_command_ends_program) {
    ResetZorvaneRegistry();
    Program zorvane;
    HWND window;
    CHECK(StartZorvane("", &zorvane, &window));
    PostMessageA(window, WM_COMMAND, 202, 0);
    DWORD code = 99;
    bool ended = zorvane.waitExit(15000, &code);
    zorvane.stop();
    CHECK(ended);
    CHECK_EQ(0, code);
}
