// Zorvane's main job from start to end, for scripts/run.sh: a sample window,
// Zorvane started, a capture by the hot key over the window, a screenshot of
// the outline and label, a click, and the window closed by WM_CLOSE.
// Usage: demo_close <screenshot.bmp>; exit code 0 when the window went away.
#include <stdio.h>
#include <stdlib.h>

#include "actions/actions.h"
#include "actions_support.h"
#include "harness.h"
#include "selection_support.h"

namespace {

// The whole screen as a 24-bit bitmap file.
bool SaveScreen(const char *path) {
    int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    HDC screen = GetDC(nullptr);
    if (!screen) return false;
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, 0, 0, SRCCOPY);
    SelectObject(memory, previous);

    BITMAPINFOHEADER header;
    ZeroMemory(&header, sizeof header);
    header.biSize = sizeof header;
    header.biWidth = width;
    header.biHeight = height;
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biCompression = BI_RGB;
    DWORD stride = ((DWORD)width * 3 + 3) & ~3u;
    DWORD size = stride * (DWORD)height;
    BYTE *pixels = static_cast<BYTE *>(malloc(size));
    bool saved = false;
    if (pixels && GetDIBits(memory, bitmap, 0, height, pixels, reinterpret_cast<BITMAPINFO *>(&header),
                            DIB_RGB_COLORS)) {
        BITMAPFILEHEADER file;
        ZeroMemory(&file, sizeof file);
        file.bfType = 0x4D42;  // "BM"
        file.bfOffBits = sizeof file + sizeof header;
        file.bfSize = file.bfOffBits + size;
        FILE *out = fopen(path, "wb");
        if (out) {
            saved = fwrite(&file, sizeof file, 1, out) == 1 && fwrite(&header, sizeof header, 1, out) == 1 &&
                    fwrite(pixels, size, 1, out) == 1;
            saved = fclose(out) == 0 && saved;
        }
    }
    free(pixels);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return saved;
}

int Fail(const char *what) {
    printf("demo: %s\n", what);
    return 1;
}

}  // namespace

int main(int argc, char **argv) {
    if (argc < 2) return Fail("usage: demo_close <screenshot.bmp>");
    // A copy named like an application, since the label shows the executable's name.
    char program[MAX_PATH];
    if (!CopyProgramAs("action_target.exe", "demo", "SampleApp.exe", program, sizeof program))
        return Fail("the sample program could not be copied");
    ActionTarget sample;
    if (!StartActionTarget("Sample application", 340, 260, 600, 400, "alone", &sample, program))
        return Fail("the sample window did not come");
    printf("demo: sample window %p shown\n", static_cast<void *>(sample.frame));

    ZorvaneSession zorvane;
    if (!zorvane.start("", Close)) {
        sample.stop();
        return Fail("Zorvane did not start");
    }
    printf("demo: Zorvane started; Win+Alt+X starts a capture over the sample window\n");
    if (!zorvane.captureOver(sample.frame, ActionColour(Close), ZorvaneSession::ByHotKey)) {
        sample.stop();
        return Fail("the sample window was not outlined");
    }
    PumpMessages(400);  // a repaint or two of outline and label
    bool saved = SaveScreen(argv[1]);
    printf("demo: outline and label shown%s\n", saved ? "; screenshot saved" : "; screenshot failed");

    Click(true);
    long code = WaitExitCode(sample.program, 15000);
    bool gone = !IsWindow(sample.frame);
    sample.stop();
    zorvane.quit();
    if (code != TargetFrameClosed || !gone) return Fail("the sample window did not close");
    printf("demo: the sample window received WM_CLOSE and went away\n");
    return saved ? 0 : 1;
}
