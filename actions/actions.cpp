// Window actions (placeholder until the actions work lands).
#include "actions/actions.h"

#include "selection/capture.h"
#include "shell/application.h"

LRESULT ApplyActionAtCursor() {
    EndCapture("Normal end capture\n");
    if (App().OneShotMode) DestroyWindow(App().mainWindow);
    return 0;
}
bool CanElevate() { return false; }
void ReportActionFailure(UINT, const char *, LONG) {}
bool StartLiftrunElevated(HWND, const char *, const char *, LONG, const char *) { return false; }
bool FormatLiftrunCommandLine(const char *, LONG, const char *, char *out, int) { out[0] = 0; return false; }
void OnShieldTimer() { KillTimer(App().mainWindow, 7777); }
