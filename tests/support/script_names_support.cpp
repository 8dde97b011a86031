// Folders, copies and programs under names in every script, and a stamped Zorvane.
#include "script_names_support.h"

#include <stdio.h>
#include <wchar.h>

#include "stampwell/stamp.h"

WideFolder::WideFolder(const WCHAR *name, const WideFolder *parent) {
    WCHAR base[MAX_PATH];
    if (parent) {
        if (!parent->ready()) return;
        swprintf(base, MAX_PATH, L"%ls\\", parent->path);
    } else {
        DWORD length = GetTempPathW(MAX_PATH, base);
        if (length == 0 || length >= MAX_PATH) return;
    }
    WCHAR candidate[MAX_PATH];
    // A number of this run, so that a folder left behind by a crash is never reused.
    static LONG counter = 0;
    int length = parent ? swprintf(candidate, MAX_PATH, L"%ls%ls", base, name)
                        : swprintf(candidate, MAX_PATH, L"%lszv%lu-%ld %ls", base, GetCurrentProcessId(),
                                   InterlockedIncrement(&counter), name);
    if (length > 0 && CreateDirectoryW(candidate, nullptr)) lstrcpynW(path, candidate, MAX_PATH);
}

WideFolder::~WideFolder() {
    if (!ready()) return;
    WCHAR pattern[MAX_PATH];
    file(L"*", pattern);
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(pattern, &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
            WCHAR name[MAX_PATH];
            file(found.cFileName, name);
            DeleteFileW(name);
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    RemoveDirectoryW(path);
}

void WideFolder::file(const WCHAR *name, WCHAR *out) const { swprintf(out, MAX_PATH, L"%ls\\%ls", path, name); }

bool WideFolder::copyFromBin(const char *exe, const WCHAR *name) const {
    char source[MAX_PATH];
    BinPath(exe, source, MAX_PATH);
    WCHAR wideSource[MAX_PATH], target[MAX_PATH];
    MultiByteToWideChar(CP_ACP, 0, source, -1, wideSource, MAX_PATH);
    file(name, target);
    return ready() && CopyFileW(wideSource, target, FALSE);
}

bool WideFolder::copyWithUtf8(const char *exe, const WCHAR *name) const {
    // Stamped under a plain name beside the build's programs, then copied here.
    char source[MAX_PATH], stamped[MAX_PATH];
    BinPath(exe, source, MAX_PATH);
    snprintf(stamped, sizeof stamped, "%s.utf8-%lu.exe", source, GetCurrentProcessId());
    bool ok = CopyFileA(source, stamped, FALSE) && StampManifest(stamped, "Zorvane", "Gravelin") == 0;
    WCHAR wideStamped[MAX_PATH], target[MAX_PATH];
    MultiByteToWideChar(CP_ACP, 0, stamped, -1, wideStamped, MAX_PATH);
    file(name, target);
    ok = ok && CopyFileW(wideStamped, target, FALSE);
    DeleteFileA(stamped);
    return ok;
}

bool StartProgramW(const WCHAR *path, const WCHAR *arguments, Program *program) {
    program->stop();
    static WCHAR commandLine[4096];
    swprintf(commandLine, 4096, L"\"%ls\"%ls%ls", path, arguments && *arguments ? L" " : L"",
             arguments ? arguments : L"");
    WCHAR folder[MAX_PATH];
    lstrcpynW(folder, path, MAX_PATH);
    WCHAR *slash = wcsrchr(folder, L'\\');
    if (slash) *slash = 0;
    STARTUPINFOW startup;
    ZeroMemory(&startup, sizeof startup);
    startup.cb = sizeof startup;
    return CreateProcessW(path, commandLine, nullptr, nullptr, FALSE, 0, nullptr, slash ? folder : nullptr,
                          &startup, &program->info) != FALSE;
}

bool StampZorvaneIn(const WideFolder &folder) {
    if (!folder.copyFromBin("Zorvane.exe", L"Zorvane.exe") || !folder.copyFromBin("Liftrun.exe", L"Liftrun.exe") ||
        !folder.copyFromBin("Stampwell.exe", L"Stampwell.exe"))
        return false;
    WCHAR stampwell[MAX_PATH];
    folder.file(L"Stampwell.exe", stampwell);
    Program run;
    DWORD code = 99;
    if (!StartProgramW(stampwell, nullptr, &run) || !run.waitExit(30000, &code)) return false;
    if (code != 0) printf("    Stampwell ended with %lu\n", (unsigned long)code);
    return code == 0;
}

bool StartZorvaneIn(const WideFolder &folder, const WCHAR *arguments, Program *program, HWND *mainWindow) {
    *mainWindow = nullptr;
    WCHAR zorvane[MAX_PATH];
    folder.file(L"Zorvane.exe", zorvane);
    if (!StartProgramW(zorvane, arguments, program)) return false;
    DWORD pid = program->pid();
    HWND found = nullptr;
    WaitFor([&] { return (found = FindZorvaneWindow(pid)) != nullptr || !program->running(); }, 20000);
    *mainWindow = found;
    return found && WaitZorvaneLoop(found);
}

void ProcessImagePathW(DWORD processId, WCHAR *out, DWORD capacity) {
    out[0] = 0;
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
    if (!process) return;
    if (!QueryFullProcessImageNameW(process, 0, out, &capacity)) out[0] = 0;
    CloseHandle(process);
}

void Wide(const char *utf8, WCHAR *out, int capacity) {
    if (!MultiByteToWideChar(CP_UTF8, 0, utf8, -1, out, capacity)) out[0] = 0;
}
