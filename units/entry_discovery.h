// The discovery of one catalogue entry: its units, or why the entry gives none.
//
// One entry goes through the same steps wherever it is looked at: its Type must have bit 0 set,
// its files must be ones that only root or the calling user can change (plugin_trust.h), its
// library must load and bind (plugin_binding.h), and the plug-in must list its units
// (plugin_units.h). The unit discovery (unit_list.h) and velmora-units both take an entry through
// here, so the rules exist once. Nothing is printed: what to say about a skipped entry is the
// caller's choice.
//
// Thread rules: main thread only, like the discovery; loads and unloads plug-in libraries.
#ifndef VELMORA_UNITS_ENTRY_DISCOVERY_H_
#define VELMORA_UNITS_ENTRY_DISCOVERY_H_

#include <stdint.h>

#include <string>

#include "units/bio_unit.h"
#include "units/plugin_catalogue.h"
#include "units/plugin_trust.h"
#include "units/unit_list.h"

// What became of one catalogue entry. Every kind but kUnits means the entry is skipped; its
// library, when it was loaded, is unloaded again by the time the outcome is handed back.
struct EntryDiscovery {
  enum Kind {
    kUnits,         // `units` holds the plug-in's units in its order; they keep the library loaded
    kNotBiometric,  // bit 0 of the entry's Type is clear; no file was examined or loaded
    kUntrusted,     // `trust` names a file that someone else could change, and why
    kUnexamined,    // `trust` names a file that cannot be examined (the system's error text)
    kNotBound,      // the library does not load, or lacks an entry point; `why` (explained only)
    kEnumFailed,    // FpxEnumUnits failed
    kNoUnits,       // the plug-in listed no unit
  };
  Kind kind = kNotBiometric;
  // What the examination of the entry's files found; kTrusted when they were not examined.
  TrustFinding trust;
  // For kNotBound in an explained discovery: the loader's message, or "entry points not found: "
  // and the missing names (BindPluginExplained). Empty otherwise.
  std::string why;
  // The units of kUnits; empty for every other kind.
  UnitSequence units;
};

// Takes `entry` of the configuration root `root` through the discovery's steps, as the capture
// program does: a file that cannot be examined ends them before any load (kUnexamined), and no
// reason is fetched from the loader. Throws std::runtime_error("FpxGetInfo failed") when the plug-in cannot
// describe one of its units, and std::bad_alloc; either way this entry's units and library are
// released before the error leaves.
EntryDiscovery DiscoverEntry(const char* root, const PluginEntry& entry);

// As DiscoverEntry, for diagnostic tools: a kNotBound outcome carries its reason, and a file that
// cannot be examined is left to the loader, whose message names the failure better (the outcome
// is then that of the binding and enumeration, never kUnexamined).
EntryDiscovery DiscoverEntryExplained(const char* root, const PluginEntry& entry);

// The id that the plug-in gave `unit`, which must be one of the units that a discovery made.
uint32_t DiscoveredUnitId(const BioUnit& unit);

#endif  // VELMORA_UNITS_ENTRY_DISCOVERY_H_
