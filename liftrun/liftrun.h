// Liftrun's core: reading the verb, id and message from its arguments, and the
// one action it repeats with the rights it was started with.
#ifndef LIFTRUN_LIFTRUN_H
#define LIFTRUN_LIFTRUN_H

#include <windows.h>
#include <stddef.h>

#include "actions/identity.h"

// Thread-opening entry point: the system's "OpenThread", or the fallback.
typedef HANDLE(WINAPI *LiftrunOpenThreadFunction)(DWORD access, BOOL inherit, DWORD threadId);

// Liftrun's own copy of the entry, bound by BindLiftrunOpenThread.
extern LiftrunOpenThreadFunction OpenThreadEntry;

// Stands in for "OpenThread" where the system lacks it: never opens anything.
HANDLE WINAPI LiftrunOpenThreadFallback(DWORD access, BOOL inherit, DWORD threadId);

// Sets OpenThreadEntry to the fallback, then to "OpenThread" of Kernel32.dll when found.
void BindLiftrunOpenThread();

enum LiftrunVerb { VerbNone, VerbClose, VerbQuit, VerbKillThread, VerbKillProcess };

// "-close", "-quit", "-killth" or "-killps" in any letter case; VerbNone otherwise.
LiftrunVerb ParseLiftrunVerb(const char *argument);

// Decimal id: leading white space skipped, optional sign, digits up to the first
// other character; no digits give 0. Values beyond 32 bits are clamped to the
// nearest end of the signed range.
LONG ParseLiftrunId(const char *argument);

// Bytes needed to join arguments first..argc-1, terminator included; 0 when the
// size would not fit in memory.
size_t LiftrunMessageSize(int argc, char **argv, int first);

// Joins arguments first..argc-1, each followed by one blank, then the
// terminator; out holds LiftrunMessageSize bytes.
void JoinLiftrunMessage(int argc, char **argv, int first, char *out);

// Carries out the verb on the id while holding a handle, only when the target
// still has the creation time written after the id (0: none was, act on the id
// alone). Done when it succeeded (an opened handle counts), failed when it
// could not act (a window that does not exist included), replaced when the id
// now names another target or none: then nothing is touched.
TargetOutcome CarryOutLiftrunAction(LiftrunVerb verb, LONG id, CreationTime creation = 0);

// True when the id argument is written with an explicit plus sign: Zorvane's
// mark that the user agreed to end a process or thread that Windows or the
// shell needs (an older Liftrun reads the same id and creation time).
bool LiftrunConsentGiven(const char *argument);

// One whole run over the program's arguments: binds the entry point, acts, and
// shows the message captioned "Zorvane" when the action failed (not when its
// target was replaced while the elevation prompt waited). Returns 0.
int RunLiftrun(int argc, char **argv);

#endif
