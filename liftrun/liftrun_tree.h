// Liftrun's retry of an ended process tree: the members that Zorvane could not
// end, each named by its id and creation time.
#ifndef LIFTRUN_LIFTRUN_TREE_H
#define LIFTRUN_LIFTRUN_TREE_H

#include <windows.h>

// "-killtree" in any letter case.
bool IsKillTreeVerb(const char *argument);

// Ends each process of the list ("<id>:<creation time>" items joined by
// commas) that still has that creation time, through the guard against ending
// what Windows needs (which refuses here: nobody is asked). Items without a
// creation time, replaced or gone processes and Liftrun itself are left alone.
// True when every item was ended or left alone for that reason; false when one
// could not be opened or was refused.
bool EndListedProcesses(const char *list);

#endif
