// Test support for Stampwell: scratch folders, programs run in a folder, the
// manifest resource of a file read back, whole-file snapshots, modified times
// and Wine's per-program Windows version.
#ifndef ZV_STAMPWELL_SUPPORT_H
#define ZV_STAMPWELL_SUPPORT_H

#include <windows.h>

#include <vector>

#include "harness.h"

// A fresh folder under the temporary directory, deleted with its files by
// remove() or when the object goes out of scope.
struct ScratchFolder {
    char path[MAX_PATH] = {};
    ScratchFolder();
    ~ScratchFolder();
    bool ready() const { return path[0] != 0; }
    // Full path of a file in the folder.
    void file(const char *name, char *out, int capacity) const;
    // Copies bin\<name> of the test's own build into the folder.
    bool copyFromBin(const char *name) const;
    void remove();
};

// Starts the program at the full path with folder as its current directory.
bool StartInFolder(const char *exePath, const char *folder, Program *program);

// Runs the program at the full path in the folder and waits for it; false when
// it could not start or did not end in time (it is then stopped).
bool RunInFolder(const char *exePath, const char *folder, DWORD timeoutMs, DWORD *exitCode);

// The data of resource 24 / 1 / 1033 of the file, or false when there is none.
bool ReadManifestResource(const char *file, std::vector<char> *data);

// The number of resources of type 24 in the file, all ids and languages.
int CountManifestResources(const char *file);

// The whole file, or false when it cannot be read.
bool ReadWholeFile(const char *file, std::vector<char> *data);

// The file's modified time in 100 ns units since 1601 (0 when unreadable), and
// setting it.
ULONGLONG LastWriteTime(const char *file);
bool SetLastWriteTime(const char *file, ULONGLONG time);

#endif
