// Test support for Stampwell behind stampwell_support.h.
#include "stampwell_support.h"

#include <stdio.h>
#include <string.h>

ScratchFolder::ScratchFolder() {
    char temp[MAX_PATH];
    DWORD length = GetTempPathA(MAX_PATH, temp);
    if (length == 0 || length >= MAX_PATH) return;
    static LONG counter = 0;
    char candidate[MAX_PATH];
    snprintf(candidate, sizeof candidate, "%szvstamp-%lu-%lu-%ld", temp, GetCurrentProcessId(),
             GetTickCount(), InterlockedIncrement(&counter));
    if (CreateDirectoryA(candidate, nullptr)) lstrcpynA(path, candidate, MAX_PATH);
}

ScratchFolder::~ScratchFolder() { remove(); }

void ScratchFolder::file(const char *name, char *out, int capacity) const {
    snprintf(out, capacity, "%s\\%s", path, name);
}

bool ScratchFolder::copyFromBin(const char *name) const {
    char source[MAX_PATH], target[MAX_PATH];
    BinPath(name, source, MAX_PATH);
    file(name, target, MAX_PATH);
    return CopyFileA(source, target, FALSE) != FALSE;
}

void ScratchFolder::remove() {
    if (!ready()) return;
    char pattern[MAX_PATH];
    file("*", pattern, MAX_PATH);
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(pattern, &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
            char name[MAX_PATH];
            file(found.cFileName, name, MAX_PATH);
            SetFileAttributesA(name, FILE_ATTRIBUTE_NORMAL);
            DeleteFileA(name);
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    RemoveDirectoryA(path);
    path[0] = 0;
}

bool StartInFolder(const char *exePath, const char *folder, Program *program) {
    return StartProgramAt(exePath, nullptr, program, folder);
}

bool RunInFolder(const char *exePath, const char *folder, DWORD timeoutMs, DWORD *exitCode) {
    Program program;
    if (!StartInFolder(exePath, folder, &program)) return false;
    return program.waitExit(timeoutMs, exitCode);
}

namespace {

// The file mapped as data only: no code of it runs, and it is released on scope exit.
struct DataModule {
    HMODULE module;
    explicit DataModule(const char *file)
        : module(LoadLibraryExA(file, nullptr, LOAD_LIBRARY_AS_DATAFILE)) {}
    ~DataModule() {
        if (module) FreeLibrary(module);
    }
};

BOOL CALLBACK CountLanguage(HMODULE, LPCSTR, LPCSTR, WORD, LONG_PTR count) {
    ++*reinterpret_cast<int *>(count);
    return TRUE;
}

BOOL CALLBACK CountNameLanguages(HMODULE module, LPCSTR type, LPSTR name, LONG_PTR count) {
    EnumResourceLanguagesA(module, type, name, CountLanguage, count);
    return TRUE;
}

}  // namespace

bool ReadManifestResource(const char *file, std::vector<char> *data) {
    data->clear();
    DataModule image(file);
    if (!image.module) return false;
    HRSRC resource = FindResourceExA(image.module, MAKEINTRESOURCEA(24), MAKEINTRESOURCEA(1), 1033);
    if (!resource) return false;
    DWORD size = SizeofResource(image.module, resource);
    HGLOBAL loaded = LoadResource(image.module, resource);
    const char *bytes = loaded ? static_cast<const char *>(LockResource(loaded)) : nullptr;
    if (!bytes) return false;
    data->assign(bytes, bytes + size);
    return true;
}

int CountManifestResources(const char *file) {
    DataModule image(file);
    if (!image.module) return -1;
    int count = 0;
    EnumResourceNamesA(image.module, MAKEINTRESOURCEA(24), CountNameLanguages,
                       reinterpret_cast<LONG_PTR>(&count));
    return count;
}

bool ReadWholeFile(const char *file, std::vector<char> *data) {
    data->clear();
    HANDLE handle = CreateFileA(file, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return false;
    DWORD size = GetFileSize(handle, nullptr);
    bool ok = size != INVALID_FILE_SIZE;
    if (ok) {
        data->resize(size);
        DWORD read = 0;
        ok = size == 0 || (ReadFile(handle, data->data(), size, &read, nullptr) && read == size);
    }
    CloseHandle(handle);
    return ok;
}

ULONGLONG LastWriteTime(const char *file) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(file, GetFileExInfoStandard, &data)) return 0;
    return (static_cast<ULONGLONG>(data.ftLastWriteTime.dwHighDateTime) << 32) |
           data.ftLastWriteTime.dwLowDateTime;
}

bool SetLastWriteTime(const char *file, ULONGLONG time) {
    HANDLE handle = CreateFileA(file, FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return false;
    FILETIME written = {static_cast<DWORD>(time), static_cast<DWORD>(time >> 32)};
    BOOL ok = SetFileTime(handle, nullptr, nullptr, &written);
    CloseHandle(handle);
    return ok && LastWriteTime(file) == time;
}
