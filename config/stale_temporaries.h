// Removing the temporary files that killed replacements left beside a file. A replacement holds
// an exclusive lock (flock) on its temporary file from its creation to the rename, which ends with
// the process: a temporary file that can be locked has no writer left.
//
// Internal to config/. Keeps no state; safe from any thread. Takes the locks only for a moment.
#ifndef VELMORA_CONFIG_STALE_TEMPORARIES_H_
#define VELMORA_CONFIG_STALE_TEMPORARIES_H_

namespace velmora::config {

// Removes, from the folder of the file that `path` names (links followed), every regular file
// under a temporary name of that file (temporary_name.h) that no process holds locked and that
// this process may open. Best effort: what cannot be examined or removed stays, and nothing is
// reported. A replacement elsewhere that has made its named temporary file but not yet locked it
// can lose it here; its rename then fails and leaves its file untouched.
void RemoveStaleTemporaries(const char* path);

}  // namespace velmora::config

#endif  // VELMORA_CONFIG_STALE_TEMPORARIES_H_
