// Whether the files of a catalogue entry may be trusted with the program's process.
//
// A plug-in runs with the rights of whoever starts the capture, so a file that someone else can
// change is refused: the entry's settings file (and, for a folder entry, the folder) and its
// library must be owned by root or by the real user, and no group or other user may write them.
// A library named without a slash is left to the loader's own search path, which only the
// system's administrator controls.
//
// Thread rules: no shared state.
#ifndef VELMORA_UNITS_PLUGIN_TRUST_H_
#define VELMORA_UNITS_PLUGIN_TRUST_H_

#include <string>

#include "units/plugin_catalogue.h"

struct TrustFinding {
  enum Kind {
    kTrusted,    // every file passes
    kUntrusted,  // `file` is owned by someone else or writable by others: `reason` says which
    kMissing,    // `file` cannot be examined (`reason` holds the system's error text)
  };
  Kind kind = kTrusted;
  std::string file;
  std::string reason;
};

// Examines the files of `entry`, found in the configuration root `root`, in the order settings
// (folder first), library; stops at the first that does not pass.
TrustFinding ExamineEntryFiles(const char* root, const PluginEntry& entry);

#endif  // VELMORA_UNITS_PLUGIN_TRUST_H_
