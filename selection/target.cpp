// Target resolution (placeholder until the selection work lands).
#include "selection/target.h"

int ResolveTarget(TargetWindow *target, bool) { ZeroMemory(target, sizeof *target); return 0; }
int ResolveFrame(TargetWindow *) { return 0; }
HWND FrameWalk(HWND window) { return window; }
HWND DesktopListView() { return nullptr; }
HWND DesktopHtmlView() { return nullptr; }
bool GhostRuleApplies() { return false; }
BOOL CALLBACK GhostCandidateTest(HWND, LPARAM) { return FALSE; }
