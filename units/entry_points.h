// The plug-in's entry points as the program binds them: their names, the two forms each may be
// exported under (the underscore form wins), which ones a library must have, and the loader's
// words when a library does not open. The binding and velmora-plugin-check both read this table,
// so a new entry point is added here once.
//
// Thread rules: the table is constant; ResolveForms may run on any thread while the handle is open.
#ifndef VELMORA_UNITS_ENTRY_POINTS_H_
#define VELMORA_UNITS_ENTRY_POINTS_H_

#include <stddef.h>

#include <span>
#include <string>

struct PluginParams;

// One entry point and the field of PluginParams that it fills.
struct EntryPoint {
  const char* name;  // the plain form, as fpx_plugin.h names it
  // The field, as the void* slot that dlsym's result is stored into.
  void** (*field)(PluginParams& params);
  // A library without a required entry point is not bound; a missing optional one stays null.
  bool required;
};

// Every entry point, in lookup order.
std::span<const EntryPoint> EntryPoints();

// How many entry points are required (the eight of the design).
size_t RequiredEntryPoints();

// The longest underscore form that is looked up; a longer one is cut.
constexpr size_t kMaxSymbolLength = 255;

// "_" and `name`, cut to kMaxSymbolLength characters.
std::string UnderscoreForm(const char* name);

// What a library exports for one name.
struct EntryPointForms {
  void* underscored = nullptr;
  void* plain = nullptr;
  // The one the program binds: the underscore form when it exists.
  void* Bound() const { return underscored != nullptr ? underscored : plain; }
};

// Looks up both forms of `name` in an open library. Allocates nothing.
EntryPointForms ResolveForms(void* handle, const char* name);

// The loader's message for the last failed open, or a fixed text when it gives none.
std::string LoaderMessage();

#endif  // VELMORA_UNITS_ENTRY_POINTS_H_
