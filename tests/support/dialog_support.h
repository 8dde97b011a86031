// Helpers for the shell dialog tests: Zorvane's dialogs run in the test's own
// process from Zorvane.exe's templates, colours on the screen, and the link
// target's marker file. Dialogs of a running Zorvane are reached through dialogs.h.
#ifndef ZV_DIALOG_SUPPORT_H
#define ZV_DIALOG_SUPPORT_H

#include <windows.h>

#include "dialogs.h"
#include "shell/application.h"

// Kept apart from the other areas' helpers of the shared support library.
namespace dlg {

// Zorvane.exe beside the test, loaded for its resources only; 0 on failure.
HMODULE LoadZorvaneResources();

// Sets App() up as Zorvane's start-up does, with the resource module as the
// instance and no main window, for dialogs run inside the test program.
void PrepareInProcessApp(HMODULE resources, int languageBase);

// One of Zorvane's dialogs run modeless and shown inside the test program from a
// template of Zorvane.exe, with English as the language and the system's thread
// opening (or the one given); destroyed when it goes out of scope.
struct InProcessDialog {
    HMODULE resources = nullptr;
    HWND dialog = nullptr;
    bool open(int templateId, DLGPROC procedure, OpenThreadFunction openThread = nullptr);
    void close();
    ~InProcessDialog();
    HWND link() const { return GetDlgItem(dialog, 1005); }
};

// Whether any screen pixel in the rectangle has exactly this colour.
bool ScreenRectHasColour(const RECT &rect, COLORREF colour);

// The link target helper program (bin\link_target.exe): it appends one line to
// its marker file each time it runs.
void LinkTargetPath(char *out, int capacity);
void ResetLinkTargetMarker();
int LinkTargetRuns();
// Number of running link_target.exe processes.
int RunningLinkTargets();

}  // namespace dlg

#endif
