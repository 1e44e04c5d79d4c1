// Plug-in binding: loading a plug-in library and binding its entry points (entry_points.h), the
// optional FpxSetPromptSink among them.
//
// A PluginParams is one loaded library with its entry points, held through std::shared_ptr; the
// library is unloaded when the last reference goes. The library operations give 0 for success and
// -1 for failure and, like BindPlugin, print nothing and fetch no loader error text.
//
// Thread rules: binding runs on the main thread before any other thread exists. The bound entry
// points are then called from several threads without a lock; reference counts and the call gate
// are atomic.
#ifndef VELMORA_UNITS_PLUGIN_BINDING_H_
#define VELMORA_UNITS_PLUGIN_BINDING_H_

#include <memory>
#include <string>

#include "units/plugin_call_gate.h"
#include "units/prompt_sink.h"
#include "velmora/fpx_plugin.h"

// One loaded plug-in library. Fields are null until bound.
struct PluginParams {
  PluginParams() = default;
  PluginParams(const PluginParams&) = delete;
  PluginParams& operator=(const PluginParams&) = delete;
  // Unloads the library when one is loaded; a failing unload is ignored.
  ~PluginParams();

  // As the process ends: closes `calls` and unloads the library unless one of its entry points is
  // running, in which case the library stays loaded until the process is gone. Either way no
  // later call enters it. False when a call was running.
  bool CloseAtExit();

  void* handle = nullptr;
  FpxEnumUnitsFn FpxEnumUnits = nullptr;
  FpxGetInfoFn FpxGetInfo = nullptr;
  FpxConnectFn FpxConnect = nullptr;
  FpxDisconnectFn FpxDisconnect = nullptr;
  FpxCancelFn FpxCancel = nullptr;
  FpxSensorCaptureSampleFn FpxSensorCaptureSample = nullptr;
  FpxExtractSampleFn FpxExtractSample = nullptr;
  FpxFreeFn FpxFree = nullptr;
  // Optional: null when the library does not export it.
  FpxSetPromptSinkFn FpxSetPromptSink = nullptr;
  // The entry-point calls that units forward (bio_unit_impl.h) pass through here.
  PluginCallGate calls;
  // The `data` of the prompt sink that this library receives (prompt_sink.h).
  PromptGate prompts;
};

// Opens `path` with RTLD_NOW (symbols stay local) into *handle. 0 when *handle is not null.
int LibraryLoad(void** handle, const char* path);

// Looks up "_<name>" (cut to 255 characters) and, when that is missing, `name`, storing the
// address in *field (null when neither exists). 0 when *field is not null.
int LibraryResolve(void** handle, void** field, const char* name);

// Closes *handle (which must not be null) and clears it whatever the outcome. 0 when the loader
// reported success.
int LibraryUnload(void** handle);

// Loads `libraryPath` and binds the entry points of entry_points.h. Null when the library cannot be
// loaded or a required entry point is missing under both forms; the library is then unloaded again.
std::shared_ptr<PluginParams> BindPlugin(const char* libraryPath);

// As BindPlugin; on failure *why (when not null) receives the reason: the loader's message, or
// "entry points not found: " and the missing names (LoaderMessage, entry_points.h). For diagnostic
// tools only.
std::shared_ptr<PluginParams> BindPluginExplained(const char* libraryPath, std::string* why);

#endif  // VELMORA_UNITS_PLUGIN_BINDING_H_
