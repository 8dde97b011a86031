// Support for the tests of names in every script: folders and copies of the
// build's programs under UTF-16 names, programs started from them, and a
// Zorvane stamped in such a folder as set-up stamps it (UTF-8 code page).
#ifndef ZV_SCRIPT_NAMES_SUPPORT_H
#define ZV_SCRIPT_NAMES_SUPPORT_H

#include <windows.h>

#include "harness.h"

// A fresh folder under the temporary folder (or under parent), removed with
// its files at the end of the scope (files still in use stay).
struct WideFolder {
    WCHAR path[MAX_PATH] = {};
    explicit WideFolder(const WCHAR *name, const WideFolder *parent = nullptr);
    ~WideFolder();
    WideFolder(const WideFolder &) = delete;
    WideFolder &operator=(const WideFolder &) = delete;
    bool ready() const { return path[0] != 0; }
    // Full path of a file in the folder (MAX_PATH units).
    void file(const WCHAR *name, WCHAR *out) const;
    // Copies bin\<exe> into the folder under the name.
    bool copyFromBin(const char *exe, const WCHAR *name) const;
    // The same copy given the manifest Stampwell writes, so that the program
    // reads its command line and sets its titles in UTF-8.
    bool copyWithUtf8(const char *exe, const WCHAR *name) const;
};

// Starts the program at the path with the arguments, its folder as the current one.
bool StartProgramW(const WCHAR *path, const WCHAR *arguments, Program *program);

// Zorvane.exe, Liftrun.exe and Stampwell.exe copied into the folder, and
// Zorvane.exe stamped there by Stampwell.
bool StampZorvaneIn(const WideFolder &folder);

// Starts the folder's Zorvane.exe and waits until its message loop runs.
bool StartZorvaneIn(const WideFolder &folder, const WCHAR *arguments, Program *program, HWND *mainWindow);

// The image path of a running process, empty when it cannot be read.
void ProcessImagePathW(DWORD processId, WCHAR *out, DWORD capacity);

// A UTF-8 literal as UTF-16.
void Wide(const char *utf8, WCHAR *out, int capacity);

#endif
