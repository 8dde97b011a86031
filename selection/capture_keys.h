// A capture by keyboard: the arrows move the pointer, Tab and Shift+Tab jump to
// the next or previous window a click would reach, Enter and Space select.
#ifndef ZORVANE_CAPTURE_KEYS_H
#define ZORVANE_CAPTURE_KEYS_H

#include <windows.h>

// A key pressed while a capture runs (it reaches the main window, which the
// capture keeps in front). False for keys that are not the capture's.
bool OnCaptureKey(UINT virtualKey);

// The middle of the top-level window after (or before) the one under the
// pointer in z-order that a click there would reach: visible, not Zorvane's,
// not the desktop, not covered at its middle. False when there is none.
bool NextReachableWindow(bool previous, HWND *window, POINT *middle);

#endif
