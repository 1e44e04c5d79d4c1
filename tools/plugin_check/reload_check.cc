// reload: the library loaded, unloaded and loaded again in one process, as the program does when
// a library that gave no unit is named again by a later catalogue entry.
#include "tools/plugin_check/reload_check.h"

#include <dlfcn.h>

#include <string>

#include "tools/plugin_check/plugin_checks.h"
#include "tools/plugin_check/plugin_session.h"
#include "tools/plugin_check/unit_id_list.h"
#include "units/plugin_units.h"

namespace {

// Binds the library and makes its units as the discovery does, then lets everything go, which
// unloads the library. The number of units, or -1 when FpxEnumUnits failed.
long DiscoverAndRelease(const CheckContext& context, const char* when) {
  std::shared_ptr<PluginParams> plugin = BindForCheck(context);
  context.channel.Step(std::string("the program's discovery, ") + when);
  UnitSequence units;
  if (EnumeratePluginUnits(plugin, units) != 0) return -1;
  context.channel.Step(std::string("releasing the units and the library, ") + when);
  return static_cast<long>(units.size());
}

// Whether the library is still mapped after its last close.
bool StillLoaded(const std::string& library) {
  void* handle = dlopen(library.c_str(), RTLD_NOW | RTLD_NOLOAD);
  if (handle == nullptr) return false;
  dlclose(handle);
  return true;
}

}  // namespace

CheckVerdict JudgeReload(const ReloadSeen& seen) {
  CheckVerdict verdict;
  if (seen.second < 0) {
    verdict.Add(CheckResult::kFail, "after the library was loaded again, FpxEnumUnits failed");
    return verdict;
  }
  if (seen.second != seen.first)
    verdict.Add(CheckResult::kWarn, UnitCountText(seen.first) + " at the first load, " +
                                        UnitCountText(seen.second) + " at the second");
  verdict.Add(CheckResult::kPass,
              std::string(seen.stayed ? "stays mapped after its last close (not unloadable); "
                                      : "unloaded and loaded again; ") +
                  UnitCountText(seen.second) + " both times");
  return verdict;
}

CheckVerdict CheckReload(const CheckContext& context) {
  ReloadSeen seen;
  seen.first = DiscoverAndRelease(context, "first load");
  seen.stayed = StillLoaded(context.options.library);
  seen.second = DiscoverAndRelease(context, "second load");
  return JudgeReload(seen);
}
