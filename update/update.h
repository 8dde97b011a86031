// Update check: fetches the published description, compares its version with
// the program's own file version.
#ifndef ZORVANE_UPDATE_H
#define ZORVANE_UPDATE_H

#include <windows.h>
#include <wininet.h>

enum UpdateCheckResult {
    NewerAvailable = 0,
    NotConnected = 1,
    OpenFailed = 2,
    ReadFailed = 3,
    BadData = 4,
    UpToDate = 5
};

// Bytes taken from the single read of the description; the last one becomes
// the terminator, so at most UpdateReadSize - 1 bytes are examined.
enum { UpdateReadSize = 4096 };

// The Internet library's entry points, bound from the system folder: it is not
// linked, so that no copy beside the program is ever loaded.
struct InternetLibrary {
    HMODULE module;
    HINTERNET(WINAPI *open)(LPCSTR agent, DWORD access, LPCSTR proxy, LPCSTR bypass, DWORD flags);
    BOOL(WINAPI *connectedState)(LPDWORD flags, DWORD reserved);
    BOOL(WINAPI *canonicalize)(LPCSTR url, LPSTR buffer, LPDWORD size, DWORD flags);
    HINTERNET(WINAPI *openUrl)(HINTERNET internet, LPCSTR url, LPCSTR headers, DWORD length, DWORD flags,
                               DWORD_PTR context);
    BOOL(WINAPI *readFile)(HINTERNET file, LPVOID buffer, DWORD size, LPDWORD read);
    BOOL(WINAPI *queryInfo)(HINTERNET request, DWORD level, LPVOID buffer, LPDWORD size, LPDWORD index);
    BOOL(WINAPI *closeHandle)(HINTERNET handle);
};

// Holds one Internet handle, closed when the client goes out of scope, and the
// library it came from, released after it.
class UpdateClient {
  public:
    UpdateClient();
    virtual ~UpdateClient();
    InternetLibrary library;
    HINTERNET internet;
};

// Checks the description at url against the running program's file version.
UpdateCheckResult CheckForUpdate(UpdateClient *client, const char *url);

// The same check against the file version of the executable at ownPath.
UpdateCheckResult CheckForUpdateAgainst(UpdateClient *client, const char *url, const char *ownPath);

// Writes the fixed file version of the executable ("0.9.0.0"); out stays empty
// when the version resource cannot be read. True when every step worked.
bool ReadOwnVersion(const char *path, char *out, int capacity);

// 1 published newer, -1 older, 0 equal; -21 / -22 for a malformed text. Splits in place.
int CompareVersionTexts(char *published, char *own);

// Command 208 after the guard: check, then show the result owned by the main window.
void RunUpdateCheck();

// Shows the outcome of a check: dialog 208, or string 208 / 209 in a message box.
void ShowUpdateResult(UpdateCheckResult result);

#endif
