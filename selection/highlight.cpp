// Outline and label of the window under the pointer, painted straight onto the
// screen, and their removal by flashing a transient window over the area.
#include "selection/highlight.h"

#include "actions/actions.h"
#include "selection/capture.h"
#include "selection/target.h"
#include "shell/application.h"

namespace {

enum { ColourCount = 5, ShadeCount = 4, ShadeStep = 30, RingCount = 5, LabelHeight = 20 };

// Bands thinner than this are not worth a band: the erase repaints the whole shape.
enum { MinimumBandSize = 10 };

const UINT LabelFlags = DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_PATH_ELLIPSIS;
static_assert(LabelFlags == 0x4025, "label drawing flags");
static_assert((LabelFlags | DT_CALCRECT) == 0x4425, "label measuring flags");

const BYTE BaseColours[ColourCount][3] = {
    {255, 0, 0},    // red: KillProcess and anything unknown
    {245, 142, 0},  // orange: KillThread
    {255, 255, 0},  // yellow: Quit
    {0, 255, 0},    // green: Close
    {0, 200, 255},  // sky blue: Hide
};

BYTE Reduced(BYTE component, int amount) { return component > amount ? (BYTE)(component - amount) : 0; }

bool WindowRect(HWND window, RECT *rect) { return window && GetWindowRect(window, rect); }

// The window's own region in screen coordinates, or its rectangle; none when
// no region could be made.
HRGN WindowShape(HWND window, const RECT &rect) {
    HRGN shape = CreateRectRgn(0, 0, 0, 0);
    if (!shape) return nullptr;
    int kind = GetWindowRgn(window, shape);
    if (kind == SIMPLEREGION || kind == COMPLEXREGION) OffsetRgn(shape, rect.left, rect.top);
    else SetRectRgn(shape, rect.left, rect.top, rect.right, rect.bottom);
    return shape;
}

// Ring i: the shape (window-relative region data) scaled so that its bounding
// box is inset by i pixels on every side, in screen coordinates. A shape too
// small for the inset gives an empty region; none only when GDI is exhausted.
HRGN ScaledRing(const RGNDATA *data, DWORD size, int width, int height, const RECT &rect, int inset) {
    HRGN ring = nullptr;
    int scaledWidth = width - 2 * inset, scaledHeight = height - 2 * inset;
    if (data && scaledWidth > 0 && scaledHeight > 0) {
        XFORM transform;
        ZeroMemory(&transform, sizeof transform);
        transform.eM11 = (FLOAT)scaledWidth / (FLOAT)width;
        transform.eM22 = (FLOAT)scaledHeight / (FLOAT)height;
        ring = ExtCreateRegion(&transform, size, data);
    }
    if (!ring) return CreateRectRgn(0, 0, 0, 0);
    OffsetRgn(ring, rect.left + inset, rect.top + inset);
    return ring;
}

void MakeRings(HRGN shape, const RECT &rect, HRGN rings[RingCount]) {
    int width = rect.right - rect.left, height = rect.bottom - rect.top;
    OffsetRgn(shape, -rect.left, -rect.top);
    DWORD size = GetRegionData(shape, 0, nullptr);
    RGNDATA *data = nullptr;
    if (size) data = static_cast<RGNDATA *>(HeapAlloc(GetProcessHeap(), 0, size));
    if (data && GetRegionData(shape, size, data) == 0) {
        HeapFree(GetProcessHeap(), 0, data);
        data = nullptr;
    }
    for (int i = 0; i < RingCount; ++i) rings[i] = ScaledRing(data, size, width, height, rect, i);
    if (data) HeapFree(GetProcessHeap(), 0, data);
}

// The 4-pixel band between ring 0 and ring 4, window-relative; the whole shape
// when the band would be thinner than MinimumBandSize.
void ReplaceBandRegion(CaptureState &state, HRGN outer, HRGN inner, const RECT &rect) {
    if (state.BandRegion) DeleteObject(state.BandRegion);
    state.BandRegion = nullptr;
    if (!outer) return;  // no band: the erase repaints the whole rectangle
    HRGN band = CreateRectRgn(0, 0, 0, 0);
    if (!band) return;
    bool thin = true;
    if (inner && CombineRgn(band, outer, inner, RGN_DIFF) != ERROR) {
        RECT box;
        GetRgnBox(band, &box);
        thin = box.bottom - box.top < MinimumBandSize || box.right - box.left < MinimumBandSize;
    }
    if (thin) CombineRgn(band, outer, nullptr, RGN_COPY);
    OffsetRgn(band, -rect.left, -rect.top);
    state.BandRegion = band;
}

void DrawLabel(HDC screen, CaptureState &state, int colour, bool changed) {
    const RECT &rect = state.HighlightRect;
    int oldMode = SetBkMode(screen, TRANSPARENT);
    COLORREF oldColour = SetTextColor(screen, HighlightShade(colour, ShadeCount - 1));
    // GDI reads narrow text in the system's code page, not the process's.
    WCHAR label[sizeof state.LabelText];
    ToWideText(state.LabelText, label, sizeof state.LabelText);
    RECT textRect = rect;
    DrawTextW(screen, label, -1, &textRect, LabelFlags);
    if (changed) {
        RECT measured = rect;
        DrawTextW(screen, label, -1, &measured, LabelFlags | DT_CALCRECT);
        int textWidth = measured.right - measured.left;
        int width = rect.right - rect.left, height = rect.bottom - rect.top;
        state.LabelRect.left = rect.left + width / 2 - textWidth / 2;
        state.LabelRect.right = state.LabelRect.left + textWidth;
        state.LabelRect.top = rect.top + height / 2 - LabelHeight / 2;
        state.LabelRect.bottom = state.LabelRect.top + LabelHeight;
    }
    SetTextColor(screen, oldColour);
    SetBkMode(screen, oldMode);
}

void PaintOutline(HDC screen, HRGN shape, CaptureState &state, bool changed) {
    Application &app = App();
    const RECT rect = state.HighlightRect;
    HRGN rings[RingCount];
    MakeRings(shape, rect, rings);
    if (changed) ReplaceBandRegion(state, rings[0], rings[RingCount - 1], rect);
    int colour = HighlightColorIndex(EffectiveAction());
    for (int i = 0; i < ShadeCount; ++i) {
        HBRUSH brush = app.HighlightBrushes[colour][i];
        if (rings[i] && brush) FrameRgn(screen, rings[i], brush, 1, 1);
    }
    for (HRGN ring : rings)
        if (ring) DeleteObject(ring);
    DrawLabel(screen, state, colour, changed);
}

}  // namespace

COLORREF HighlightColor(int index) {
    if (index < 0 || index >= ColourCount) index = 0;
    return RGB(BaseColours[index][0], BaseColours[index][1], BaseColours[index][2]);
}

int HighlightColorIndex(LONG action) {
    switch (action) {
    case Close: return 3;
    case Quit: return 2;
    case KillThread: return 1;
    case KillProcess: return 0;
    case Hide: return 4;
    default: return 0;
    }
}

COLORREF HighlightShade(int index, int shade) {
    if (index < 0 || index >= ColourCount) index = 0;
    if (shade < 0) shade = 0;
    if (shade >= ShadeCount) shade = ShadeCount - 1;
    int amount = ShadeStep * shade;
    const BYTE *base = BaseColours[index];
    return RGB(Reduced(base[0], amount), Reduced(base[1], amount), Reduced(base[2], amount));
}

void CreateHighlightBrushes() {
    DeleteHighlightBrushes();
    Application &app = App();
    for (int n = 0; n < ColourCount; ++n)
        for (int j = 0; j < ShadeCount; ++j) app.HighlightBrushes[n][j] = CreateSolidBrush(HighlightShade(n, j));
}

void DeleteHighlightBrushes() {
    Application &app = App();
    for (int n = 0; n < ColourCount; ++n)
        for (int j = 0; j < ShadeCount; ++j) {
            if (app.HighlightBrushes[n][j]) DeleteObject(app.HighlightBrushes[n][j]);
            app.HighlightBrushes[n][j] = nullptr;
        }
}

void DrawHighlight(const TargetWindow *target, bool changed) {
    CaptureState &state = App().capture;
    RECT rect;
    // A vanished window keeps the previous rectangle, so that the erase still
    // repaints where its outline was.
    if (!WindowRect(target->pointedWindow, &rect)) return;
    state.HighlightRect = rect;
    // Nothing to outline in an empty rectangle, and the ring scale divides by its size.
    if (rect.right - rect.left <= 0 || rect.bottom - rect.top <= 0) return;
    HRGN shape = WindowShape(target->pointedWindow, rect);
    if (!shape) return;
    RECT box;
    int kind = GetRgnBox(shape, &box);
    HDC screen = nullptr;
    if (kind != NULLREGION && kind != ERROR) screen = GetDC(nullptr);
    if (!screen) {
        DeleteObject(shape);
        return;
    }
    state.RedrawPhase = (state.RedrawPhase + 1) % 4;
    if (changed || state.RedrawPhase == 0) PaintOutline(screen, shape, state, changed);
    ReleaseDC(nullptr, screen);
    DeleteObject(shape);
}

void EraseHighlight() {
    CaptureState &state = App().capture;
    HRGN band = state.BandRegion;
    state.BandRegion = nullptr;
    TransientWindow(&state.HighlightRect, band);
    TransientWindow(&state.LabelRect, nullptr);
    SetRectEmpty(&state.HighlightRect);
    SetRectEmpty(&state.LabelRect);
}

void EraseLabel() { TransientWindow(&App().capture.LabelRect, nullptr); }

void TransientWindow(const RECT *rect, HRGN region) {
    Application &app = App();
    HWND window = nullptr;
    char className[100];
    // An empty rectangle has nothing to repaint.
    if (!IsRectEmpty(rect) && GetClassNameA(app.mainWindow, className, sizeof className))
        window = CreateWindowExA(WS_EX_TOOLWINDOW, className, "", WS_CHILD, rect->left, rect->top,
                                 rect->right - rect->left, rect->bottom - rect->top, GetDesktopWindow(),
                                 nullptr, app.instance, nullptr);
    if (!window) {
        if (region) DeleteObject(region);
        return;
    }
    // Once set, the region belongs to the window and goes with it.
    if (region && !SetWindowRgn(window, region, FALSE)) DeleteObject(region);
    ShowWindow(window, SW_SHOW);
    DestroyWindow(window);
}
