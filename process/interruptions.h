// The signals that interrupt a person's run of a parent (SIGINT, SIGTERM, SIGHUP), taken by the
// wait for its child (ChildWatch::interruptions) instead of ending the parent at once, so that it
// can end the child and clean up what it made before it goes: velmora-capture-host removes its
// segment.
//
// Thread rules: main thread only, in a parent that has no other thread.
#ifndef VELMORA_PROCESS_INTERRUPTIONS_H_
#define VELMORA_PROCESS_INTERRUPTIONS_H_

#include <signal.h>

struct Interruptions {
  sigset_t former;  // the mask from before BlockInterruptions: the children's (ChildCommand::mask)
  sigset_t taken;   // SIGINT, SIGTERM and SIGHUP
};

// Blocks SIGINT, SIGTERM and SIGHUP. Call it before making what must not be left behind, so that
// an interruption can never leave it.
Interruptions BlockInterruptions();

// Ends the parent by the signal that interrupted it, as an uninterrupted process would have
// ended, so that a calling shell sees the interruption. Returns only if the signal does not end it.
void RaiseInterruption(int signal);

#endif  // VELMORA_PROCESS_INTERRUPTIONS_H_
