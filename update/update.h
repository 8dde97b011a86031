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

// Holds one Internet handle, closed when the client goes out of scope.
class UpdateClient {
  public:
    UpdateClient();
    virtual ~UpdateClient();
    HINTERNET internet;
};

UpdateCheckResult CheckForUpdate(UpdateClient *client, const char *url);
bool ReadOwnVersion(const char *path, char *out, int capacity);

// 1 published newer, -1 older, 0 equal; -21 / -22 for a malformed text. Splits in place.
int CompareVersionTexts(char *published, char *own);

// Command 208 after the guard: check, then show the result owned by the main window.
void RunUpdateCheck();

#endif
