// One run of Stampwell: the system version test, then the stamp of Zorvane's executable.
#include "stampwell/stamp.h"

static_assert(sizeof(OSVERSIONINFOA) == 148, "OSVERSIONINFOA is 148 bytes");

bool SystemWantsManifest() {
    OSVERSIONINFOA version;
    ZeroMemory(&version, sizeof version);
    version.dwOSVersionInfoSize = sizeof version;
    if (!GetVersionExA(&version)) return false;
    return version.dwPlatformId == VER_PLATFORM_WIN32_NT && version.dwMajorVersion >= 6;
}

int RunStampwell() {
    if (!SystemWantsManifest()) return StampwellNothingToDo;
    // Relative name: the file of that name in the current directory, which set-up
    // makes Zorvane's directory.
    if (StampManifest(kStampTarget, kStampName, kStampDescription) != 0) return StampwellFailed;
    return StampwellStamped;
}
