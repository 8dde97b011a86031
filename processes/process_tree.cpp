// End process tree: finds a process's descendants by parent id and creation
// time, holds them all, suspends and ends them, and looks again until no new
// child is left.
#include "processes/process_tree.h"

#include <tlhelp32.h>

#include "actions/actions.h"
#include "actions/end_guard.h"
#include "processes/process_stats.h"
#include "resources/resource_ids.h"
#include "shell/application.h"
#include "shell/code_page.h"
#include "shell/suspended_programs.h"
#include "shell/winutil.h"

namespace {

// The rights a member is held with; without them it is held for its identity only.
const DWORD MemberRights = PROCESS_TERMINATE | ProcessSuspendResume | SYNCHRONIZE;

// New children may keep appearing only while a member is still starting one:
// the rounds are bounded all the same.
const int RoundLimit = 64;

// How long a round waits for the members it ended to be gone, so that none of
// them can start a child after the next look.
const DWORD EndWaitMs = 2000;

struct SnapshotEntry {
    DWORD processId;
    DWORD parentId;
    char name[TEXT_BYTES(MAX_PATH)];
};

struct Snapshot {
    SnapshotEntry entries[ProcessIdentityCapacity];
    int count;
};

// Large, so kept out of the stack; the dialog runs one tree at a time.
Snapshot snapshot;
ProcessTree tree;

bool TakeSnapshot(Snapshot *into) {
    into->count = 0;
    HANDLE handle = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (handle == INVALID_HANDLE_VALUE) return false;
    // The wide walk: the narrow entry holds 260 bytes, too few for a name in UTF-8.
    PROCESSENTRY32W entry;
    entry.dwSize = sizeof entry;
    char name[TEXT_BYTES(MAX_PATH)];
    for (BOOL more = Process32FirstW(handle, &entry); more && into->count < ProcessIdentityCapacity;
         more = Process32NextW(handle, &entry)) {
        FromWideText(entry.szExeFile, name, sizeof name, false);
        SnapshotEntry &kept = into->entries[into->count++];
        kept.processId = entry.th32ProcessID;
        kept.parentId = entry.th32ParentProcessID;
        CopyWholeCharacters(kept.name, ExecutableDisplayName(name), sizeof kept.name);
        entry.dwSize = sizeof entry;
    }
    CloseHandle(handle);
    return true;
}

bool IsMember(const ProcessTree &members, DWORD processId) {
    for (int i = 0; i < members.count; ++i)
        if (members.members[i].processId == processId) return true;
    return false;
}

// Zorvane itself and the Liftrun beside it are never part of a tree.
bool IsOwnProgram(HANDLE process, DWORD processId) {
    if (processId == GetCurrentProcessId()) return true;
    char path[ProcessPathCapacity], liftrun[TEXT_BYTES(MAX_PATH)];
    return ProcessImagePath(process, path, sizeof path) && LiftrunProgramPath(liftrun, sizeof liftrun) &&
           lstrcmpiA(path, liftrun) == 0;
}

void CloseMember(TreeMember *member) {
    if (member->process) CloseHandle(member->process);
    member->process = nullptr;
}

// Opens and holds the process and adds it when it belongs (the parent test, if
// any, is made on the held process, whose id cannot change hands meanwhile).
bool AddMember(ProcessTree *members, const SnapshotEntry &entry, const TreeMember *parent) {
    if (members->count >= ProcessTreeCapacity) return false;
    TreeMember member;
    ZeroMemory(&member, sizeof member);
    member.processId = entry.processId;
    lstrcpynA(member.name, entry.name, sizeof member.name);
    member.process = OpenProcessPinned(entry.processId, MemberRights);
    member.canEnd = member.process != nullptr;
    if (!member.process) member.process = OpenProcessPinned(entry.processId, 0);
    member.created = ProcessCreationTime(member.process);
    bool belongs = member.process && !IsOwnProgram(member.process, member.processId) &&
                   (!parent || IsChildOf(*parent, entry.parentId, member.created));
    if (!belongs) {
        CloseMember(&member);
        return false;
    }
    members->members[members->count++] = member;
    return true;
}

// Adds every process of the snapshot that is a child of a member, members
// added on the way included; returns how many were added.
int AddChildren(ProcessTree *members, const Snapshot &processes) {
    int added = 0;
    for (int m = 0; m < members->count; ++m) {
        for (int i = 0; i < processes.count; ++i) {
            const SnapshotEntry &entry = processes.entries[i];
            if (entry.parentId != members->members[m].processId || IsMember(*members, entry.processId)) continue;
            if (AddMember(members, entry, &members->members[m])) ++added;
        }
    }
    return added;
}

bool Confirmed(HWND owner, const TreeMember &root, int count) {
    char format[256], text[512];
    LoadLocalString(IDS_KILL_TREE_CONFIRM, format, sizeof format);
    FormatText(text, sizeof text, format, root.name, count);
    return MessageBoxA(owner, text, App().productName, MB_YESNO | MB_ICONWARNING) == IDYES;
}

// Guards, suspends and ends the members not handled yet, then waits (bounded)
// until the ended ones are gone. A root that the guard keeps keeps its whole
// tree: nothing is ended then, and false is returned.
bool EndNewMembers(HWND owner, ProcessTree *members) {
    int first = members->count;
    for (int i = 0; i < members->count; ++i) {
        TreeMember &member = members->members[i];
        if (member.handled) continue;
        if (first > i) first = i;
        member.handled = true;
        EndingRisk risk = ProcessEndingRisk(member.process, member.processId);
        if (!ConsentToEnding(owner, risk, member.name)) member.refused = true;
        else if (member.canEnd) SetProcessSuspended(member.process, true);
        if (i == 0 && member.refused) return false;
    }
    for (int i = first; i < members->count; ++i)
        if (members->members[i].canEnd && !members->members[i].refused) TerminateProcess(members->members[i].process, 0);
    DWORD deadline = GetTickCount() + EndWaitMs;
    for (int i = first; i < members->count; ++i) {
        DWORD left = deadline - GetTickCount();
        if (members->members[i].canEnd && !members->members[i].refused && static_cast<LONG>(left) > 0)
            WaitForSingleObject(members->members[i].process, left);
    }
    return true;
}

// The members that could not be opened for ending (not those the guard kept),
// as Liftrun's list.
int FailedMembersList(const ProcessTree &members, char *out, int capacity) {
    int failed = 0, length = 0;
    out[0] = 0;
    for (int i = 0; i < members.count; ++i) {
        const TreeMember &member = members.members[i];
        if (!member.handled || member.canEnd || member.refused) continue;
        int written = FormatText(out + length, capacity - length, "%s%lu:%I64u", failed ? "," : "",
                                 static_cast<unsigned long>(member.processId), member.created);
        if (written < 0) break;
        length += written;
        ++failed;
    }
    return failed;
}

}  // namespace

bool IsChildOf(const TreeMember &parent, DWORD parentIdOfCandidate, CreationTime candidateCreated) {
    return parentIdOfCandidate == parent.processId && parent.created && candidateCreated &&
           candidateCreated >= parent.created;
}

bool EndProcessTree(HWND owner, DWORD rootId, CreationTime rootCreated) {
    tree.count = 0;
    SnapshotEntry root = {rootId, 0, ""};
    if (TakeSnapshot(&snapshot))
        for (int i = 0; i < snapshot.count; ++i)
            if (snapshot.entries[i].processId == rootId) root = snapshot.entries[i];
    if (!AddMember(&tree, root, nullptr) || IsReplaced(rootCreated, tree.members[0].created)) {
        MessageBeep(MB_ICONWARNING);
        for (int i = 0; i < tree.count; ++i) CloseMember(&tree.members[i]);
        return false;
    }
    AddChildren(&tree, snapshot);
    bool confirmed = Confirmed(owner, tree.members[0], tree.count);
    for (int round = 0; confirmed && round < RoundLimit; ++round) {
        if (!EndNewMembers(owner, &tree)) break;
        if (!TakeSnapshot(&snapshot) || AddChildren(&tree, snapshot) == 0) break;
    }
    bool rootEnded = confirmed && tree.members[0].canEnd && !tree.members[0].refused;
    char list[ProcessTreeCapacity * 34];
    if (confirmed && !tree.members[0].refused && FailedMembersList(tree, list, sizeof list) > 0)
        ReportFailureWithTargets(owner, IDS_KILL_TREE_FAILED, KILL_TREE_VERB, list);
    for (int i = 0; i < tree.count; ++i) CloseMember(&tree.members[i]);
    return rootEnded;
}
