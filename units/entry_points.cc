#include "units/entry_points.h"

#include <dlfcn.h>
#include <stdio.h>

#include "units/plugin_binding.h"

namespace {

// Entry-point fields are filled through void** as dlsym hands out object pointers; POSIX
// guarantees that a function's address survives that round trip.
template <typename Fn>
void** FieldOf(Fn* field) {
  return reinterpret_cast<void**>(field);
}

constexpr EntryPoint kEntryPoints[] = {
    {FPX_ENUM_UNITS_NAME, [](PluginParams& p) { return FieldOf(&p.FpxEnumUnits); }, true},
    {FPX_GET_INFO_NAME, [](PluginParams& p) { return FieldOf(&p.FpxGetInfo); }, true},
    {FPX_CONNECT_NAME, [](PluginParams& p) { return FieldOf(&p.FpxConnect); }, true},
    {FPX_DISCONNECT_NAME, [](PluginParams& p) { return FieldOf(&p.FpxDisconnect); }, true},
    {FPX_CANCEL_NAME, [](PluginParams& p) { return FieldOf(&p.FpxCancel); }, true},
    {FPX_SENSOR_CAPTURE_SAMPLE_NAME, [](PluginParams& p) { return FieldOf(&p.FpxSensorCaptureSample); },
     true},
    {FPX_EXTRACT_SAMPLE_NAME, [](PluginParams& p) { return FieldOf(&p.FpxExtractSample); }, true},
    {FPX_FREE_NAME, [](PluginParams& p) { return FieldOf(&p.FpxFree); }, true},
    {FPX_SET_PROMPT_SINK_NAME, [](PluginParams& p) { return FieldOf(&p.FpxSetPromptSink); }, false},
};

// The underscore form into `buffer`, cut to its size.
void FormatUnderscored(const char* name, char (&buffer)[kMaxSymbolLength + 1]) {
  snprintf(buffer, sizeof buffer, "_%s", name);
}

}  // namespace

std::span<const EntryPoint> EntryPoints() { return kEntryPoints; }

size_t RequiredEntryPoints() {
  size_t count = 0;
  for (const EntryPoint& entry : kEntryPoints) count += entry.required ? 1 : 0;
  return count;
}

std::string UnderscoreForm(const char* name) {
  char underscored[kMaxSymbolLength + 1];
  FormatUnderscored(name, underscored);
  return underscored;
}

EntryPointForms ResolveForms(void* handle, const char* name) {
  char underscored[kMaxSymbolLength + 1];
  FormatUnderscored(name, underscored);
  return {dlsym(handle, underscored), dlsym(handle, name)};
}

std::string LoaderMessage() {
  const char* message = dlerror();
  return message != nullptr ? message : "the library cannot be loaded";
}
