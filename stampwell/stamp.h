// Stampwell's core: the system test and the writing of Zorvane's manifest resource.
#ifndef STAMPWELL_STAMP_H
#define STAMPWELL_STAMP_H

#include <windows.h>

// Exit codes of Stampwell.
enum StampwellExit {
    StampwellStamped = 0,     // the manifest was written, or was already there
    StampwellNothingToDo = 1, // not NT 6 or later; the target was not touched
    StampwellFailed = 3,      // some step failed; the manifest was not written
};

// Where and what Stampwell writes.
const char kStampTarget[] = "Zorvane.exe";
const char kStampName[] = "Zorvane";
const char kStampDescription[] = "Gravelin";
const WORD kManifestResourceType = 24; // RT_MANIFEST
const WORD kManifestResourceId = 1;
const WORD kManifestLanguage = 1033;

// The application manifest; the two %s take the name and the description, in that order.
extern const char kManifestTemplate[];

// True on the NT platform with major version 6 or later, where the manifest is wanted.
bool SystemWantsManifest();

// Formats the manifest into a buffer of the given capacity; returns the length
// of the text (without its terminator), or -1 when it does not fit.
int FormatManifest(char *buffer, int capacity, const char *name, const char *description);

// Writes the manifest filled with name and description into target as resource
// 24 / 1 / 1033, replacing one that is already there; when that one has the same
// bytes, the file is not written at all. Returns 0, or the system error code of
// the step that failed (the file is then left as it was).
DWORD StampManifest(const char *target, const char *name, const char *description);

// One run of Stampwell: system test, then the stamp of "Zorvane.exe" in the
// current directory; returns the exit code.
int RunStampwell();

#endif
