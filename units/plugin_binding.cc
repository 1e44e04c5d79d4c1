#include "units/plugin_binding.h"

#include <dlfcn.h>
#include <stdio.h>

#include <array>

namespace {

// The lookup names beside the fields they fill, in lookup order; a missing one shows in one place.
struct EntryPointSlot {
  const char* name;
  void** field;
};

// Entry-point fields are filled through void** as dlsym hands out object pointers; POSIX
// guarantees that a function's address survives that round trip.
template <typename Fn>
void** FieldOf(Fn* field) {
  return reinterpret_cast<void**>(field);
}

std::array<EntryPointSlot, 8> SlotsOf(PluginParams* p) {
  return {{
      {FPX_ENUM_UNITS_NAME, FieldOf(&p->FpxEnumUnits)},
      {FPX_GET_INFO_NAME, FieldOf(&p->FpxGetInfo)},
      {FPX_CONNECT_NAME, FieldOf(&p->FpxConnect)},
      {FPX_DISCONNECT_NAME, FieldOf(&p->FpxDisconnect)},
      {FPX_CANCEL_NAME, FieldOf(&p->FpxCancel)},
      {FPX_SENSOR_CAPTURE_SAMPLE_NAME, FieldOf(&p->FpxSensorCaptureSample)},
      {FPX_EXTRACT_SAMPLE_NAME, FieldOf(&p->FpxExtractSample)},
      {FPX_FREE_NAME, FieldOf(&p->FpxFree)},
  }};
}

// Resolves every entry point, also after a failure, and collects the names of the missing ones.
bool ResolveAll(PluginParams* params, std::string* missing) {
  bool complete = true;
  for (const EntryPointSlot& slot : SlotsOf(params)) {
    if (LibraryResolve(&params->handle, slot.field, slot.name) == 0) continue;
    complete = false;
    if (missing != nullptr) missing->append(missing->empty() ? "" : ", ").append(slot.name);
  }
  return complete;
}

}  // namespace

PluginParams::~PluginParams() {
  if (handle != nullptr) LibraryUnload(&handle);
}

bool PluginParams::CloseAtExit() {
  if (!calls.Close()) return false;
  if (handle != nullptr) LibraryUnload(&handle);
  return true;
}

int LibraryLoad(void** handle, const char* path) {
  *handle = nullptr;
  *handle = dlopen(path, RTLD_NOW);
  return *handle != nullptr ? 0 : -1;
}

int LibraryResolve(void** handle, void** field, const char* name) {
  char underscored[256];
  snprintf(underscored, sizeof underscored, "_%s", name);
  *field = nullptr;
  *field = dlsym(*handle, underscored);
  if (*field == nullptr) *field = dlsym(*handle, name);
  return *field != nullptr ? 0 : -1;
}

int LibraryUnload(void** handle) {
  int result = dlclose(*handle);
  *handle = nullptr;
  return result == 0 ? 0 : -1;
}

std::shared_ptr<PluginParams> BindPluginExplained(const char* libraryPath, std::string* why) {
  void* handle = nullptr;
  if (LibraryLoad(&handle, libraryPath) != 0) {
    if (why != nullptr) {
      const char* message = dlerror();
      *why = message != nullptr ? message : "the library cannot be loaded";
    }
    return nullptr;
  }
  std::shared_ptr<PluginParams> params;
  try {
    params = std::make_shared<PluginParams>();
  } catch (...) {
    LibraryUnload(&handle);
    throw;
  }
  params->handle = handle;
  std::string missing;
  if (ResolveAll(params.get(), why != nullptr ? &missing : nullptr)) {
    LibraryResolve(&params->handle, FieldOf(&params->FpxSetPromptSink), FPX_SET_PROMPT_SINK_NAME);
    return params;
  }
  if (why != nullptr) *why = "entry points not found: " + missing;
  return nullptr;
}

std::shared_ptr<PluginParams> BindPlugin(const char* libraryPath) {
  return BindPluginExplained(libraryPath, nullptr);
}
