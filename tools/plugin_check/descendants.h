// Ending every process that the child of a check started, wherever it went. The checker is a
// child subreaper: a process that leaves its parent's group or session still becomes the
// checker's child when its parent ends, and is found and killed like the others.
//
// Affects the whole process: every child of it is taken for a check's. Thread rules: call from
// the thread that forks the checks' children, with no other thread forking.
#ifndef VELMORA_TOOLS_PLUGIN_CHECK_DESCENDANTS_H_
#define VELMORA_TOOLS_PLUGIN_CHECK_DESCENDANTS_H_

// Makes this process the reaper of its orphaned descendants (PR_SET_CHILD_SUBREAPER). False, with
// "prctl: <error>" on standard error, when the kernel refuses.
bool AdoptOrphans();

// Kills every child of this process with SIGKILL and reaps it, then the children that their end
// hands over to this process, until none is left.
void KillDescendants();

#endif  // VELMORA_TOOLS_PLUGIN_CHECK_DESCENDANTS_H_
