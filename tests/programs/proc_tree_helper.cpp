// Test helper for process trees and suspension, without windows: "<test pid>
// <role> [file]". Every role ends when the test process ends (five minutes at most).
//   leaf       idles
//   branch     starts a leaf, idles
//   orphaner   starts a leaf and ends at once with the leaf's id as exit code
//   tree FILE  starts a branch and an orphaner; once the orphaner has ended,
//              writes "<orphaner id> <its leaf's id>" to FILE, then idles
//   spawner    starts a new leaf every 200 ms (up to 48), then idles
//   spawnroot  starts a spawner, idles
//   ticker FILE  appends a line to FILE every 20 ms
//   hung       shows a window titled "ZvHung" and never reads its messages
#include <windows.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

namespace {

DWORD testId = 0;
HANDLE testProcess = nullptr;

// Starts this program again in the role; the handle (closed by the caller) and id, or 0.
HANDLE StartRole(const char *role, DWORD *id) {
    char path[MAX_PATH], commandLine[MAX_PATH + 64];
    GetModuleFileNameA(nullptr, path, sizeof path);
    snprintf(commandLine, sizeof commandLine, "\"%s\" %lu %s", path, testId, role);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    if (!CreateProcessA(path, commandLine, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
        return nullptr;
    CloseHandle(info.hThread);
    if (id) *id = info.dwProcessId;
    return info.hProcess;
}

void StartAndLetGo(const char *role) {
    HANDLE process = StartRole(role, nullptr);
    if (process) CloseHandle(process);
}

int Idle() {
    WaitForSingleObject(testProcess, 300000);
    return 3;
}

int Tree(const char *file) {
    StartAndLetGo("branch");
    DWORD orphanerId = 0, leafId = 0;
    HANDLE orphaner = StartRole("orphaner", &orphanerId);
    if (!orphaner || WaitForSingleObject(orphaner, 60000) != WAIT_OBJECT_0) return 2;
    GetExitCodeProcess(orphaner, &leafId);
    CloseHandle(orphaner);  // lets the system hand its id out again
    char text[64];
    snprintf(text, sizeof text, "%lu %lu", orphanerId, leafId);
    FILE *out = fopen(file, "w");
    if (!out) return 2;
    fputs(text, out);
    fclose(out);
    return Idle();
}

// Bounded: hundreds of Wine processes under qemu would take the machine's
// memory and stall the whole suite.
int Spawner() {
    for (int i = 0; i < 48 && WaitForSingleObject(testProcess, 200) == WAIT_TIMEOUT; ++i) StartAndLetGo("leaf");
    return Idle();
}

int Ticker(const char *file) {
    for (unsigned tick = 0; WaitForSingleObject(testProcess, 20) == WAIT_TIMEOUT; ++tick) {
        FILE *out = fopen(file, "a");
        if (out) {
            fprintf(out, "%u\n", tick);
            fclose(out);
        }
    }
    return 3;
}

int Hung() {
    HWND window = CreateWindowExA(0, "STATIC", "ZvHung", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 900, 700, 200, 120,
                                  nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    if (!window) return 2;
    return Idle();
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int) {
    char role[32] = "", file[MAX_PATH] = "";
    if (sscanf(commandLine, "%lu %31s %259[^\n]", &testId, role, file) < 2) return 2;
    testProcess = OpenProcess(SYNCHRONIZE, FALSE, testId);
    if (!testProcess) return 2;
    if (strcmp(role, "leaf") == 0) return Idle();
    if (strcmp(role, "branch") == 0) return StartAndLetGo("leaf"), Idle();
    if (strcmp(role, "orphaner") == 0) {
        DWORD leafId = 0;
        HANDLE leaf = StartRole("leaf", &leafId);
        if (leaf) CloseHandle(leaf);
        return static_cast<int>(leafId);
    }
    if (strcmp(role, "tree") == 0) return Tree(file);
    if (strcmp(role, "spawner") == 0) return Spawner();
    if (strcmp(role, "spawnroot") == 0) return StartAndLetGo("spawner"), Idle();
    if (strcmp(role, "ticker") == 0) return Ticker(file);
    if (strcmp(role, "hung") == 0) return Hung();
    return 2;
}
