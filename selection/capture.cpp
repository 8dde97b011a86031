// Capture mode (placeholder until the selection work lands).
#include "selection/capture.h"

#include "shell/application.h"

void StartCapture() {}
void EndCapture(const char *) {}
LRESULT AbortCapture() { return 0; }
void OnCaptureDelayTimer() {}
void CaptureTick() {}
LRESULT OnTrayNotify(LPARAM) { return 0; }
LONG EffectiveAction() { return App().ActionMethod; }
bool Capturing() { return GetCapture() == App().mainWindow && App().mainWindow; }
