// Outline and label of the window under the pointer, painted on the screen and
// removed by flashing a transient window over the painted area.
#ifndef ZORVANE_HIGHLIGHT_H
#define ZORVANE_HIGHLIGHT_H

#include <windows.h>

struct TargetWindow;

// Base colour of index 0 (red) to 4 (sky blue).
COLORREF HighlightColor(int index);

// Colour index of an action: 3 Close, 2 Quit, 1 KillThread, 0 KillProcess, 4 Hide, 0 otherwise.
int HighlightColorIndex(LONG action);

// Colour of index and shade: each component less 30 per shade step, floor 0.
COLORREF HighlightShade(int index, int shade);

void CreateHighlightBrushes();
void DeleteHighlightBrushes();
void DrawHighlight(const TargetWindow *target, bool changed);
void EraseHighlight();
void EraseLabel();

// Creates, shows and destroys a window over the rectangle so that the windows
// beneath repaint it; the region, if any, becomes the window's (and is freed).
void TransientWindow(const RECT *rect, HRGN region);

#endif
