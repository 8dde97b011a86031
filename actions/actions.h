// Window actions applied at the end of a capture, the failure report with its
// elevated retry, and the start of Liftrun.
#ifndef ZORVANE_ACTIONS_H
#define ZORVANE_ACTIONS_H

#include <windows.h>

enum ActionMethod {
    Close = 1000,
    Quit = 1001,
    KillThread = 1002,
    KillProcess = 1003,
    Hide = 1004
};

LRESULT ApplyActionAtCursor();

// NT platform, major version 6 or more.
bool CanElevate();

// Localised failure box; Retry (where elevation exists) starts Liftrun.
void ReportActionFailure(UINT messageId, const char *verb, LONG id);

// Starts programFile with "runas" and the Liftrun command line; true when the
// shell accepted the request.
bool StartLiftrunElevated(HWND owner, const char *programFile, const char *verb, LONG id,
                          const char *message);

// Formats "<verb> <id> <message>"; returns false when it does not fit.
bool FormatLiftrunCommandLine(const char *verb, LONG id, const char *message, char *out,
                              int capacity);

// Timer 7777: puts the shield on the Retry button of the failure box.
void OnShieldTimer();

#endif
