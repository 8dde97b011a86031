// Helpers for the shell dialog tests.
#include "dialog_support.h"

#include <stdio.h>
#include <string.h>
#include <tlhelp32.h>

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

HWND WaitForProcessDialog(DWORD processId, const char *title, DWORD timeoutMs) {
    HWND found = nullptr;
    WaitFor([&] {
        found = FindProcessTopWindow(processId, "#32770", title);
        return found && IsWindowVisible(found);
    }, timeoutMs);
    return found && IsWindowVisible(found) ? found : nullptr;
}

bool WaitWindowGone(HWND window, DWORD timeoutMs) {
    return WaitFor([&] { return !IsWindow(window) || !IsWindowVisible(window); }, timeoutMs);
}

bool SendCommand(HWND window, int id, DWORD timeoutMs) {
    DWORD_PTR result = 0;
    return SendMessageTimeoutA(window, WM_COMMAND, (WPARAM)id, 0, SMTO_NORMAL, timeoutMs, &result) != 0;
}

namespace {

struct TextSearch {
    char *out;
    int capacity;
};

BOOL CALLBACK TakeStaticText(HWND child, LPARAM lParam) {
    TextSearch *search = reinterpret_cast<TextSearch *>(lParam);
    char className[64];
    GetClassNameA(child, className, sizeof className);
    if (lstrcmpiA(className, "Static") != 0) return TRUE;
    GetWindowTextA(child, search->out, search->capacity);
    return search->out[0] == 0;
}

struct DialogCount {
    DWORD processId;
    int count;
};

BOOL CALLBACK CountDialog(HWND window, LPARAM lParam) {
    DialogCount *count = reinterpret_cast<DialogCount *>(lParam);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    char className[64];
    if (pid == count->processId && IsWindowVisible(window) && GetClassNameA(window, className, sizeof className) &&
        strcmp(className, "#32770") == 0)
        ++count->count;
    return TRUE;
}

void MarkerPath(char *out, int capacity) { BinPath("link_target.exe.marker", out, capacity); }

}  // namespace

void MessageBoxText(HWND box, char *out, int capacity) {
    out[0] = 0;
    TextSearch search = {out, capacity};
    EnumChildWindows(box, TakeStaticText, reinterpret_cast<LPARAM>(&search));
}

int CountProcessDialogs(DWORD processId) {
    DialogCount count = {processId, 0};
    EnumWindows(CountDialog, reinterpret_cast<LPARAM>(&count));
    return count.count;
}

void ClickControl(HWND dialog, int controlId) {
    RECT rect;
    GetWindowRect(GetDlgItem(dialog, controlId), &rect);
    MovePointer((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
    Click();
}

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

int RunningLinkTargets() {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return 0;
    PROCESSENTRY32 entry;
    entry.dwSize = sizeof entry;
    int count = 0;
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry))
        if (lstrcmpiA(entry.szExeFile, "link_target.exe") == 0) ++count;
    CloseHandle(snapshot);
    return count;
}

}  // namespace dlg
