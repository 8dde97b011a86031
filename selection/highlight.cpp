// Highlight drawing (placeholder until the selection work lands).
#include "selection/highlight.h"

COLORREF HighlightColor(int) { return 0; }
int HighlightColorIndex(LONG) { return 0; }
COLORREF HighlightShade(int, int) { return 0; }
void CreateHighlightBrushes() {}
void DeleteHighlightBrushes() {}
void DrawHighlight(const TargetWindow *, bool) {}
void EraseHighlight() {}
void EraseLabel() {}
void TransientWindow(const RECT *, HRGN region) { if (region) DeleteObject(region); }
