// Helpers for the shell dialog tests.
#include "dialog_support.h"

#include <commctrl.h>
#include <stdio.h>
#include <string.h>

#include "harness.h"
#include "resources/resource_ids.h"
#include "shell/application.h"
#include "shell/settings.h"
#include "shell/winutil.h"

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
    // The classes Zorvane registers before it opens its own dialogs.
    RegisterCommonControls(ICC_LISTVIEW_CLASSES | ICC_HOTKEY_CLASS);
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
    ScreenImage image;
    if (!image.read(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top)) return false;
    const DWORD wanted = ScreenImage::Pixel(colour);
    for (int i = 0; i < image.width * image.height; ++i)
        if ((image.pixels[i] & 0xFFFFFF) == wanted) return true;
    return false;
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
