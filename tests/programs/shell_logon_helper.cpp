// Changes Zorvane's start-at-logon entry from its own command line, as the
// Preferences dialog does: "on" enables, "off" disables. Exit code: bit 0 the
// change succeeded, bit 1 the entry exists afterwards.
#include <windows.h>
#include <stdlib.h>

#include "shell/settings.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    if (__argc < 2) return 8;
    bool enable = lstrcmpiA(__argv[1], "on") == 0;
    int code = SetRunAtLogon(enable) ? 1 : 0;
    if (IsRunAtLogon()) code |= 2;
    return code;
}
