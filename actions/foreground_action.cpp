// The foreground window by a key: the configured action applied to the window
// in front, resolved and carried out as a click in a capture would be.
#include "actions/actions.h"

#include "shell/application.h"
#include "shell/settings.h"

void ApplyActionToForeground() {
    Application &app = App();
    HWND front = GetForegroundWindow();
    DWORD owner = 0;
    if (!front || !GetWindowThreadProcessId(front, &owner)) return;
    // Zorvane's own windows (a dialog, the main window during a capture) are not targets.
    if (owner == GetCurrentProcessId()) return;
    TargetWindow target;
    if (!ResolveWindowTarget(&target, front)) return;
    // Read afresh, as a capture does: another Zorvane may have changed it.
    app.ActionMethod = ReadSetting(SETTINGS_SECTION, SETTING_METHOD, Close);
    LONG action = app.ActionMethod;
    // A hung application's ghost frame only ever gets closed.
    if (target.viaGhost == 1) action = Close;
    CarryOutAction(action, target);
}
