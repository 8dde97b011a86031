// Ending a whole program: a process with every process started under it.
#ifndef ZORVANE_PROCESS_TREE_H
#define ZORVANE_PROCESS_TREE_H

#include <windows.h>

#include "actions/identity.h"
#include "shell/code_page.h"

// At most this many members are ended in one go (and named in one retry).
enum { ProcessTreeCapacity = 256 };

struct TreeMember {
    DWORD processId;
    CreationTime created;
    HANDLE process;  // held from the moment it is found until the end
    bool canEnd;     // opened with the rights to suspend and end it
    bool handled;    // went through the guard (and was ended when allowed)
    bool refused;    // the guard kept it: not ended, not retried
    char name[TEXT_BYTES(MAX_PATH)];
};

struct ProcessTree {
    TreeMember members[ProcessTreeCapacity];
    int count;
};

// True when the process was started by the member: its recorded parent id is
// the member's and it was created no earlier than the member (a parent id is
// never cleared and is handed out again, so an older process "under" a reused
// id is no child). An unknown creation time proves nothing: no child.
bool IsChildOf(const TreeMember &parent, DWORD parentIdOfCandidate, CreationTime candidateCreated);

// Ends the root's process tree after one confirmation naming the root and the
// count: every member held first, then suspended and ended, and a new look for
// children that appeared meanwhile, until none are left. Never Zorvane itself
// nor its Liftrun. Each member goes through the guard against ending what
// Windows needs; members that could not be opened for ending are reported in
// one failure box whose Retry hands Liftrun exactly those, each with its
// creation time. True when the root was ended.
bool EndProcessTree(HWND owner, DWORD rootId, CreationTime rootCreated);

// The Liftrun verb that ends a list of processes: "-killtree" followed by
// "<id>:<creation time>" items joined by commas.
#define KILL_TREE_VERB "-killtree"

#endif
