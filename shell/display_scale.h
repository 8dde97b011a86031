// Per-monitor DPI awareness of the process, and sizes given in pixels scaled
// by the DPI of the window they belong to.
#ifndef ZORVANE_DISPLAY_SCALE_H
#define ZORVANE_DISPLAY_SCALE_H

#include <windows.h>

// The DPI at which sizes given in pixels are taken as they are.
const UINT DefaultDpi = 96;

// Declares the process per-monitor DPI aware before any window exists, with
// the first call the system offers that succeeds: the per-monitor v2 context,
// the per-monitor awareness of Shcore, then plain DPI awareness. False when
// none did (an older system, or an awareness fixed already).
bool DeclareDpiAwareness();

// The DPI of the window (of its monitor, where the system tells), else of its
// drawing context; DefaultDpi when neither answers.
UINT WindowDpi(HWND window);

// Pixels given for DefaultDpi, at the DPI.
int ScaleToDpi(int pixels, UINT dpi);

#endif
