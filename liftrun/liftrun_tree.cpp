// Ending the listed members of a process tree, each checked to be the one named.
#include "liftrun/liftrun_tree.h"

#include "actions/end_guard.h"
#include "actions/identity.h"

namespace {

// Reads "<id>:<creation time>" up to the comma or the end; false when the item
// is not that (then the reader moves past it all the same).
bool ReadItem(const char **text, DWORD *processId, CreationTime *created) {
    const char *p = *text;
    unsigned long long id = 0, time = 0;
    bool ok = *p >= '0' && *p <= '9';
    for (; *p >= '0' && *p <= '9'; ++p) id = id < 0x100000000ull ? id * 10 + (*p - '0') : id;
    ok = ok && *p == ':' && id <= 0xFFFFFFFFull;
    if (*p == ':') ++p;
    ok = ok && *p >= '0' && *p <= '9';
    for (; *p >= '0' && *p <= '9'; ++p) time = time * 10 + (*p - '0');
    ok = ok && (*p == ',' || *p == 0);
    while (*p && *p != ',') ++p;
    if (*p == ',') ++p;
    *text = p;
    *processId = static_cast<DWORD>(id);
    *created = time;
    return ok && time != 0;
}

// True when the member was ended, or is no longer the one named.
bool EndMember(DWORD processId, CreationTime created) {
    if (processId == GetCurrentProcessId()) return true;
    HANDLE process = OpenProcessPinned(processId, PROCESS_TERMINATE);
    if (!process) {
        bool gone = false;
        CreationTime now = CurrentProcessCreationTime(processId, &gone);
        return gone || IsReplaced(created, now);
    }
    bool done = true;
    if (!IsReplaced(created, ProcessCreationTime(process))) {
        if (ProcessEndingRisk(process, processId) == EndingOrdinary) TerminateProcess(process, 0);
        else done = false;
    }
    CloseHandle(process);
    return done;
}

}  // namespace

bool IsKillTreeVerb(const char *argument) { return argument && lstrcmpiA(argument, "-killtree") == 0; }

bool EndListedProcesses(const char *list) {
    bool allDone = true;
    for (const char *p = list; p && *p;) {
        DWORD processId = 0;
        CreationTime created = 0;
        if (ReadItem(&p, &processId, &created) && !EndMember(processId, created)) allDone = false;
    }
    return allDone;
}
