// Outline and label read back from the screen while the real Zorvane.exe
// captures: rings and shades, colours following the modifier keys, elliptic
// windows, erasing on moving, the label; in-process, the repaint on every fourth
// unchanged tick only, and a long run of drawing and erasing over windows of
// every size that must not leak GDI objects.
#include <string.h>

#include <initializer_list>

#include "check.h"
#include "harness.h"
#include "selection/capture.h"
#include "selection/highlight.h"
#include "selection/target.h"
#include "script_names_support.h"
#include "shell_support.h"
#include "selection_support.h"
#include "shell/application.h"

namespace {

const COLORREF White = RGB(255, 255, 255);

// Boxes from zv_windows.exe and a Zorvane in tray mode, stopped at the end.
struct Screen {
    Program boxes;
    Program zorvane;
    HWND main = nullptr;
    bool start(const char *boxArguments, DWORD method) {
        ReleaseAllInput();
        ResetZorvaneRegistry();
        SetPreferenceDword("Startup", 5);
        SetPreferenceDword("Methode", method);
        SetPreferenceDword("Langage", 1033);  // English words in a label
        if (!StartWindows("zv_windows.exe", boxArguments, &boxes)) return false;
        return StartZorvaneWithHotKey("", &zorvane, &main);
    }
    bool capture(int x, int y) {
        MovePointer(x, y);
        return PressHotKeyAndWaitCapture(main);
    }
};

// True when the pixels inset 0 to 3 from the left edge at row y have the four shades.
bool RingsAt(int left, int y, int colour) {
    for (int i = 0; i < 4; ++i)
        if (!PixelIs(left + i, y, HighlightShade(colour, i))) return false;
    return true;
}

bool WaitRings(int left, int y, int colour) {
    return WaitFor([&] {
        RepeatHeldKeys();
        return RingsAt(left, y, colour);
    }, 10000);
}

bool IsAnyShade(COLORREF pixel) {
    for (int n = 0; n < 5; ++n)
        for (int j = 0; j < 4; ++j)
            if (pixel == HighlightShade(n, j)) return true;
    return false;
}

}  // namespace

TEST_CASE(rectangle_gets_four_rings_whose_colour_follows_the_keys) {
    Screen screen;
    CHECK(screen.start("box 200 200 300 200", 1004));  // Hide: sky blue
    CHECK(screen.capture(350, 300));
    CHECK(WaitRings(200, 300, 4));
    // Every side: inset 0 to 3 in the four shades, the window's own pixels inside.
    for (int i = 0; i < 4; ++i) {
        COLORREF shade = HighlightShade(4, i);
        CHECK(PixelIs(200 + i, 250, shade) && PixelIs(499 - i, 250, shade));
        CHECK(PixelIs(260, 200 + i, shade) && PixelIs(260, 399 - i, shade));
    }
    CHECK(PixelIs(204, 250, White) && PixelIs(260, 204, White) && PixelIs(495, 350, White));

    struct Keys {
        WORD first, second;
        int colour;
    } keys[] = {
        {VK_LCONTROL, 0, 3},         // Close: green
        {VK_LSHIFT, 0, 1},           // KillThread: orange
        {VK_LCONTROL, VK_LSHIFT, 0}, // KillProcess: red
        {VK_RCONTROL, 0, 4},         // the PidKey is no Ctrl: configured Hide
    };
    for (const Keys &k : keys) {
        HoldKeys(k.first, k.second);
        bool followed;
        if (k.colour == 4) {
            // Right Ctrl changes nothing: the colour stays over several repaints.
            followed = WaitFor([] { RepeatHeldKeys(); return false; }, 400) || RingsAt(200, 300, 4);
        } else {
            followed = WaitRings(200, 300, k.colour);
        }
        ReleaseHeldKeys();
        CHECK(followed);
        CHECK(WaitRings(200, 300, 4));
    }
}

TEST_CASE(out_of_range_action_paints_red) {
    Screen screen;
    CHECK(screen.start("box 200 200 300 200", 4242));
    CHECK(screen.capture(350, 300));
    CHECK(WaitRings(200, 300, 0));
}

TEST_CASE(elliptic_window_gets_rings_on_its_ellipse) {
    Screen screen;
    CHECK(screen.start("ellipse 600 200 300 200", 1000));
    CHECK(screen.capture(750, 300));
    // Left end of the middle row and top of the middle column: inset 0 to 3.
    CHECK(WaitRings(600, 300, 3));
    for (int i = 0; i < 4; ++i) CHECK(PixelIs(750, 200 + i, HighlightShade(3, i)));
    // The bounding box's corners lie outside the ellipse: nothing painted there.
    CHECK(!IsAnyShade(ScreenPixel(601, 201)));
    CHECK(!IsAnyShade(ScreenPixel(897, 397)));
    CHECK(PixelIs(650, 300, White));
}

TEST_CASE(moving_to_another_window_restores_the_old_one) {
    Screen screen;
    CHECK(screen.start("box 100 200 300 200 box 600 200 300 200", 1000));
    CHECK(screen.capture(250, 300));
    CHECK(WaitRings(100, 300, 3));
    MovePointer(750, 300);
    CHECK(WaitRings(600, 300, 3));
    // The old band and label repaint as the window's own white.
    CHECK(WaitFor([&] {
        for (int i = 0; i < 4; ++i)
            if (!PixelIs(100 + i, 300, White) || !PixelIs(250, 200 + i, White)) return false;
        return true;
    }, 10000));
    CHECK(WaitPixel(250, 300, White, true, 10000));
}

namespace {

// The inked (not white) pixels of a rectangle, as a byte per pixel, and how
// many of them have the label colour itself. Text may be smoothed, and drawing
// it again over itself darkens its edges, but its inked pixels stay nearly the same.
struct InkMask {
    int width = 0, height = 0, inked = 0, inColour = 0;
    unsigned char bits[400 * 100];
    void read(int x, int y, int w, int h, COLORREF colour) {
        width = w;
        height = h;
        inked = 0;
        inColour = 0;
        ScreenImage image;
        if (!image.read(x, y, w, h)) {
            memset(bits, 0, sizeof bits);
            return;
        }
        DWORD want = ScreenImage::Pixel(colour);
        for (int i = 0; i < w * h; ++i) {
            int column = i % w, row = i / w;
            // The rings are left out: only what lies 4 pixels inside counts.
            bool inside = column >= 4 && column < w - 4 && row >= 4 && row < h - 4;
            DWORD pixel = image.pixels[i] & 0xFFFFFF;
            bits[i] = inside && pixel != 0xFFFFFF;
            inked += bits[i];
            inColour += inside && pixel == want;
        }
    }
    // How many pixels are inked in one mask and not in the other; the box
    // around them when asked.
    int differences(const InkMask &other, RECT *box) const {
        int count = 0;
        if (box) SetRect(box, width, height, -1, -1);
        for (int i = 0; i < width * height; ++i) {
            if (bits[i] == other.bits[i]) continue;
            ++count;
            int column = i % width, row = i / width;
            if (box) {
                if (column < box->left) box->left = column;
                if (column > box->right) box->right = column;
                if (row < box->top) box->top = row;
                if (row > box->bottom) box->bottom = row;
            }
        }
        return count;
    }
    // The same text: the inked pixels agree but for a few faint edge pixels,
    // which smoothing may tip either way after many overdraws. Another text
    // differs by hundreds.
    bool same(const InkMask &other) const {
        if (width != other.width || height != other.height) return false;
        return differences(other, nullptr) <= 3 + other.inked / 50;
    }
    // Prints how the two masks differ, for a label that never matched.
    void describeDifference(const InkMask &expected) const {
        RECT box;
        int count = differences(expected, &box);
        printf("    label: %d expected and %d seen pixels in colour; %d differ within (%ld,%ld)-(%ld,%ld)\n",
               expected.inColour, inColour, count, box.left, box.top, box.right, box.bottom);
    }
};

// Draws the label (UTF-8) as Zorvane does, straight onto the screen over a white
// window of the same size: centred on one line, the darkest shade, the screen's
// font, in the wide form that draws every script.
void DrawReferenceLabel(const char *text, int left, int top, int w, int h, COLORREF colour) {
    WCHAR wide[512];
    if (!MultiByteToWideChar(CP_UTF8, 0, text, -1, wide, 512)) wide[0] = 0;
    HDC screen = GetDC(nullptr);
    RECT rect = {left, top, left + w, top + h};
    FillRect(screen, &rect, (HBRUSH)GetStockObject(WHITE_BRUSH));  // the window's own white
    SetBkMode(screen, TRANSPARENT);
    SetTextColor(screen, colour);
    DrawTextW(screen, wide, -1, &rect, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_PATH_ELLIPSIS);
    ReleaseDC(nullptr, screen);
}

// Waits until the labelled window (inside its rings) carries the same ink as the
// text drawn on the reference window below it.
bool WaitLabel(int left, int top, int referenceTop, int w, int h, const char *text, COLORREF colour) {
    static InkMask expected, seen;
    if (WaitFor([&] {
        RepeatHeldKeys();
        DrawReferenceLabel(text, left, referenceTop, w, h, colour);
        expected.read(left, referenceTop, w, h, colour);
        seen.read(left, top, w, h, colour);
        return expected.inColour > 0 && seen.inColour > 0 && seen.same(expected);
    }, 10000)) return true;
    seen.describeDifference(expected);
    return false;
}

}  // namespace

TEST_CASE(label_shows_the_executable_or_the_process_id) {
    Screen screen;
    // The lower box is the reference: the test writes the expected text on it.
    CHECK(screen.start("box 300 500 400 100 box 300 650 400 100", 1000));
    CHECK(screen.capture(500, 550));
    CHECK(WaitRings(300, 550, 3));
    COLORREF dark = HighlightShade(3, 3);
    CHECK(WaitLabel(300, 500, 650, 400, 100, "zv_windows.exe", dark));
    char pid[32];
    snprintf(pid, sizeof pid, "%lu", screen.boxes.pid());
    HoldKeys(VK_RCONTROL);
    bool shown = WaitLabel(300, 500, 650, 400, 100, pid, dark);
    ReleaseHeldKeys();
    CHECK(shown);
    CHECK(RingsAt(300, 550, 3));  // the outline stays while the label changes
    CHECK(WaitLabel(300, 500, 650, 400, 100, "zv_windows.exe", dark));
}

TEST_CASE(label_says_when_the_program_does_not_respond) {
    Screen screen;
    CHECK(screen.start("box 300 500 400 100 box 300 650 400 100 hang", 1000));
    // Pointed at once the system counts it hung: a label drawn before would stay
    // on a window that no longer repaints.
    POINT inside = {500, 550};
    HWND box = WindowFromPoint(inside);
    CHECK(WaitFor([&] { return IsHungAppWindow(box) != FALSE; }, 20000));
    CHECK(screen.capture(500, 550));
    CHECK(WaitRings(300, 550, 3));
    CHECK(WaitLabel(300, 500, 650, 400, 100, "zv_windows.exe (Not responding)", HighlightShade(3, 3)));
    // Escape still ends the capture within a second or two.
    HoldKeys(VK_ESCAPE);
    bool ended = WaitFor([&] {
        RepeatHeldKeys();
        return CaptureWindowOf(screen.main) != screen.main;
    }, 2000);
    ReleaseHeldKeys();
    CHECK(ended);
}

// Programs named in Cyrillic, CJK and beyond the Basic Multilingual Plane, under
// the Zorvane.exe that set-up stamps (UTF-8 code page), run from a folder so named.
TEST_CASE(label_shows_names_of_every_script) {
    WideFolder folder(L"Журнал 日本語 😀");
    CHECK(StampZorvaneIn(folder));
    ReleaseAllInput();
    ResetZorvaneRegistry();
    SetPreferenceDword("Startup", 5);
    SetPreferenceDword("Methode", 1000);
    CHECK(WaitFor([] { return !HotKeyTaken(); }, 10000));
    Program zorvane;
    HWND main = nullptr;
    CHECK(StartZorvaneIn(folder, L"", &zorvane, &main));
    CHECK(WaitFor([] { return HotKeyTaken(); }, 10000));
    COLORREF dark = HighlightShade(3, 3);
    for (const char *name : {"Журнал.exe", "日本語.exe", "😀.exe"}) {
        WCHAR wideName[64], path[MAX_PATH];
        MultiByteToWideChar(CP_UTF8, 0, name, -1, wideName, 64);
        folder.file(wideName, path);
        Program boxes;
        CHECK(folder.copyFromBin("zv_windows.exe", wideName));
        CHECK(StartProgramW(path, L"box 300 500 400 100 box 300 650 400 100", &boxes));
        DWORD pid = boxes.pid();
        CHECK(WaitFor([&] { return FindProcessTopWindow(pid, "ZvReady", nullptr) != nullptr; }, 20000));
        MovePointer(500, 550);
        CHECK(PressHotKeyAndWaitCapture(main));
        CHECK(WaitRings(300, 550, 3));
        CHECK(WaitLabel(300, 500, 650, 400, 100, name, dark));
        CHECK(EndCaptureOf(main));
    }
}

namespace {

HWND MakeStressWindow(int x, int y, int w, int h, int shape) {
    HWND window = CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, CaptureWindowClass, "",
                                  WS_POPUP, x, y, w, h, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    ShowWindow(window, SW_SHOWNOACTIVATE);
    if (shape == 1) SetWindowRgn(window, CreateEllipticRgn(0, 0, w, h), FALSE);
    if (shape == 2) SetWindowRgn(window, CreateRoundRectRgn(0, 0, w, h, 9, 9), FALSE);
    return window;
}

}  // namespace

TEST_CASE(unchanged_ticks_repaint_only_every_fourth) {
    Application &app = App();
    CHECK(PrepareInProcessCapture(VER_PLATFORM_WIN32_NT, 6) != nullptr);
    const int left = 400, top = 300, w = 200, h = 150, row = top + h / 2;
    HWND window = MakeStressWindow(left, top, w, h, 0);
    PumpMessages(100);
    TargetWindow target;
    ZeroMemory(&target, sizeof target);
    target.pointedWindow = window;
    app.ActionMethod = 1000;  // Close: green
    app.capture.RedrawPhase = 0;
    // Paints the window's own white over the rings, straight onto the screen.
    auto wipe = [&] {
        HDC screen = GetDC(nullptr);
        RECT rect = {left, top, left + w, top + h};
        FillRect(screen, &rect, (HBRUSH)GetStockObject(WHITE_BRUSH));
        ReleaseDC(nullptr, screen);
        return WaitFor([&] { return PixelIs(left, row, White) && PixelIs(left + 3, row, White); }, 10000);
    };
    auto ringsGone = [&] {
        for (int i = 0; i < 4; ++i)
            if (!PixelIs(left + i, row, White)) return false;
        return true;
    };
    DrawHighlight(&target, true);  // a changed tick paints at once
    CHECK_EQ(1, app.capture.RedrawPhase);
    CHECK(WaitFor([&] { return RingsAt(left, row, 3); }, 10000));
    for (int cycle = 0; cycle < 2; ++cycle) {
        CHECK(wipe());
        // The unchanged ticks in between paint nothing...
        for (int tick = 0; tick < (cycle == 0 ? 2 : 3); ++tick) {
            DrawHighlight(&target, false);
            PumpMessages(150);
            CHECK(ringsGone());
        }
        // ...and the fourth paints again, over whatever lies there.
        DrawHighlight(&target, false);
        CHECK_EQ(0, app.capture.RedrawPhase);
        CHECK(WaitFor([&] { return RingsAt(left, row, 3); }, 10000));
    }
    EraseHighlight();
    DestroyWindow(window);
    DeleteHighlightBrushes();
}

TEST_CASE(small_windows_and_thousands_of_ticks_leak_nothing) {
    Application &app = App();
    CHECK(PrepareInProcessCapture(VER_PLATFORM_WIN32_NT, 6) != nullptr);
    struct Size {
        int w, h, shape;
    } sizes[] = {{300, 200, 0}, {1, 1, 0}, {2, 3, 0}, {5, 5, 1}, {8, 8, 0}, {9, 9, 2}, {10, 4, 1},
                 {8, 200, 0},  {200, 8, 1}, {4, 4, 2}, {120, 80, 1}, {60, 60, 2}, {0, 0, 0}};
    const int count = sizeof sizes / sizeof sizes[0];
    HWND windows[count];
    for (int i = 0; i < count; ++i)
        windows[i] = MakeStressWindow(20 + (i % 5) * 320, 20 + (i / 5) * 240, sizes[i].w, sizes[i].h, sizes[i].shape);
    PumpMessages(100);

    // Small windows: the band is the whole shape; larger ones keep a 4-pixel band.
    TargetWindow target;
    ZeroMemory(&target, sizeof target);
    RECT box;
    target.pointedWindow = windows[4];  // 8 x 8
    DrawHighlight(&target, true);
    CHECK(app.capture.BandRegion != nullptr);
    GetRgnBox(app.capture.BandRegion, &box);
    CHECK(box.left == 0 && box.top == 0 && box.right == 8 && box.bottom == 8);
    EraseHighlight();
    CHECK(app.capture.BandRegion == nullptr);
    target.pointedWindow = windows[0];  // 300 x 200
    DrawHighlight(&target, true);
    CHECK(app.capture.BandRegion != nullptr);
    CHECK(PtInRegion(app.capture.BandRegion, 0, 0) && PtInRegion(app.capture.BandRegion, 3, 100));
    CHECK(!PtInRegion(app.capture.BandRegion, 4, 100) && !PtInRegion(app.capture.BandRegion, 150, 100));
    // The label rectangle: 20 pixels high, centred.
    CHECK_EQ(20 + 100 - 10, app.capture.LabelRect.top);
    CHECK_EQ(20, app.capture.LabelRect.bottom - app.capture.LabelRect.top);
    EraseHighlight();
    target.pointedWindow = windows[12];  // 0 x 0: nothing to draw, no band
    DrawHighlight(&target, true);
    CHECK(app.capture.BandRegion == nullptr);
    EraseHighlight();

    lstrcpyA(app.capture.LabelText, "a rather long label\\that\\is\\a\\path\\to\\something.exe");
    GdiCount before = MeasureGdiObjects();
    DWORD t0 = GetTickCount();
    const int ticks = 2000;
    for (int tick = 0; tick < ticks; ++tick) {
        bool changed = tick % 4 == 0;
        if (changed) {
            EraseHighlight();
            target.pointedWindow = windows[(tick / 4) % count];
        }
        if (tick % 9 == 0) EraseLabel();
        app.ActionMethod = 1000 + tick % 7;
        DrawHighlight(&target, changed);
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
    }
    EraseHighlight();
    DWORD elapsed = GetTickCount() - t0;
    PumpMessages(50);
    GdiCount after = MeasureGdiObjects();
    printf("  GDI objects (%s): %ld before, %ld after %d ticks (%lu ms)\n",
           before.counted ? "GetGuiResources" : "free handles", before.value, after.value, ticks, elapsed);
    for (HWND window : windows) DestroyWindow(window);
    DeleteHighlightBrushes();
    CHECK_EQ(0, GdiObjectsGained(before, after));
}
