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

// Holds one Internet handle, closed when the client goes out of scope.
class UpdateClient {
  public:
    UpdateClient();
    virtual ~UpdateClient();
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
