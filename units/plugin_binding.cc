#include "units/plugin_binding.h"

#include <dlfcn.h>

#include "units/entry_points.h"

namespace {

// Resolves every entry point, also after a failure, and collects the names of the missing
// required ones.
bool ResolveAll(PluginParams* params, std::string* missing) {
  bool complete = true;
  for (const EntryPoint& entry : EntryPoints()) {
    if (LibraryResolve(&params->handle, entry.field(*params), entry.name) == 0 || !entry.required) continue;
    complete = false;
    if (missing != nullptr) missing->append(missing->empty() ? "" : ", ").append(entry.name);
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
  *field = nullptr;
  *field = ResolveForms(*handle, name).Bound();
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
    if (why != nullptr) *why = LoaderMessage();
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
  if (ResolveAll(params.get(), why != nullptr ? &missing : nullptr)) return params;
  if (why != nullptr) *why = "entry points not found: " + missing;
  return nullptr;
}

std::shared_ptr<PluginParams> BindPlugin(const char* libraryPath) {
  return BindPluginExplained(libraryPath, nullptr);
}
