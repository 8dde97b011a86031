// Capture mode: the main window holds the mouse capture while a 50 ms tick
// follows the pointer, until a click, Escape, a tray click or a lost capture.
#ifndef ZORVANE_CAPTURE_H
#define ZORVANE_CAPTURE_H

#include <windows.h>

void StartCapture();
void EndCapture(const char *reason);
LRESULT AbortCapture();
void OnCaptureDelayTimer();
void CaptureTick();
LRESULT OnTrayNotify(LPARAM mouseMessage);

// The action a click would apply now, from Shift, Ctrl and Alt and ActionMethod.
LONG EffectiveAction();

// True while the main window holds the mouse capture.
bool Capturing();

// The key that switches the label to the process id: right Ctrl on NT, else Shift.
int PidKey();

#endif
