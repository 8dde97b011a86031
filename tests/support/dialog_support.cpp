// Helpers for the shell dialog tests.
#include "dialog_support.h"

#include <stdio.h>
#include <string.h>

#include "harness.h"
#include "resources/resource_ids.h"
#include "shell/application.h"
#include "shell/settings.h"

namespace dlg {

HMODULE LoadZorvaneResources() {
    char path[MAX_PATH];
    BinPath("Zorvane.exe", path, sizeof path);
    return LoadLibraryExA(path, nullptr, LOAD_LIBRARY_AS_DATAFILE);
}

void PrepareInProcessApp(HMODULE resources, int languageBase) {
    Application &app = App();
    app.instance = resources;
    LoadStringA(resources, IDS_PRODUCT_NAME, app.productName, sizeof app.productName);
    SetSettingsKey(app.productName);
    LanguageBase = languageBase;
    app.mainWindow = nullptr;
    app.ActiveDialog = nullptr;
    app.OpenThreadEntry = BindOpenThread();
}

bool InProcessDialog::open(int templateId, DLGPROC procedure, OpenThreadFunction openThread) {
    resources = LoadZorvaneResources();
    if (!resources) return false;
    PrepareInProcessApp(resources, 10000);
    if (openThread) App().OpenThreadEntry = openThread;
    dialog = CreateDialogParamA(resources, MAKEINTRESOURCEA(templateId), nullptr, procedure, 0);
    if (!dialog) return false;
    ShowWindow(dialog, SW_SHOW);
    SetForegroundWindow(dialog);
    UpdateWindow(dialog);
    PumpMessages(50);
    return true;
}

void InProcessDialog::close() {
    if (dialog && IsWindow(dialog)) DestroyWindow(dialog);
    dialog = nullptr;
}

InProcessDialog::~InProcessDialog() {
    close();
    if (resources) FreeLibrary(resources);
}

namespace {

void MarkerPath(char *out, int capacity) { BinPath("link_target.exe.marker", out, capacity); }

}  // namespace

bool ScreenRectHasColour(const RECT &rect, COLORREF colour) {
    int width = rect.right - rect.left, height = rect.bottom - rect.top;
    if (width <= 0 || height <= 0) return false;
    BITMAPINFO info;
    ZeroMemory(&info, sizeof info);
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void *bits = nullptr;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    bool found = false;
    if (bitmap && bits) {
        HGDIOBJ old = SelectObject(memory, bitmap);
        BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
        GdiFlush();
        const DWORD wanted = (GetRValue(colour) << 16) | (GetGValue(colour) << 8) | GetBValue(colour);
        const DWORD *pixels = static_cast<const DWORD *>(bits);
        for (int i = 0; i < width * height && !found; ++i) found = (pixels[i] & 0xFFFFFF) == wanted;
        SelectObject(memory, old);
    }
    if (bitmap) DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return found;
}

void LinkTargetPath(char *out, int capacity) { BinPath("link_target.exe", out, capacity); }

void ResetLinkTargetMarker() {
    char path[MAX_PATH];
    MarkerPath(path, sizeof path);
    DeleteFileA(path);
}

int LinkTargetRuns() {
    char path[MAX_PATH];
    MarkerPath(path, sizeof path);
    FILE *file = fopen(path, "rb");
    if (!file) return 0;
    int lines = 0;
    for (int c; (c = fgetc(file)) != EOF;)
        if (c == '\n') ++lines;
    fclose(file);
    return lines;
}

int RunningLinkTargets() { return CountProcesses("link_target.exe"); }

}  // namespace dlg
