// The plug-in catalogue: which plug-in libraries the configuration root lists.
//
// Every entry of the root other than its own "conf" is one plug-in entry, a plain file or a
// directory with a "conf" file, holding "Name: <library path>" and "Type: <flags>". The scan only
// lists; the unit discovery decides which entries to load. It prints nothing.
//
// Thread rules: no shared state; each call works on the caller's list only.
#ifndef VELMORA_UNITS_PLUGIN_CATALOGUE_H_
#define VELMORA_UNITS_PLUGIN_CATALOGUE_H_

#include <stdint.h>

#include <string>
#include <vector>

// One catalogue record, held by value.
struct PluginEntry {
  std::string entryName;    // the entry's name in the root
  std::string libraryPath;  // the "Name" value exactly as written, trailing blanks included
  int32_t typeFlags;        // the "Type" value; bit 0 marks a biometric plug-in
};

using PluginEntryList = std::vector<PluginEntry>;

// Replaces the content of `list` by the entries of the configuration root (kConfigRoot of
// install_paths.h), in directory order. An
// unusable root gives an empty list; an entry that cannot be opened or lacks "Name" or "Type" is
// left out. Only std::bad_alloc leaves it.
void PluginCatalogue(PluginEntryList& list);

// As PluginCatalogue, over another root (tests, velmora-units).
void PluginCatalogueAt(const char* root, PluginEntryList& list);

#endif  // VELMORA_UNITS_PLUGIN_CATALOGUE_H_
