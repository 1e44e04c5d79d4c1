// entry-points: which name of each entry point the program binds.
#include <dlfcn.h>

#include <string>
#include <vector>

#include "tools/plugin_check/plugin_checks.h"
#include "units/plugin_binding.h"

namespace {

constexpr const char* kNames[] = {
    FPX_ENUM_UNITS_NAME,     FPX_GET_INFO_NAME, FPX_CONNECT_NAME,
    FPX_DISCONNECT_NAME,     FPX_CANCEL_NAME,   FPX_SENSOR_CAPTURE_SAMPLE_NAME,
    FPX_EXTRACT_SAMPLE_NAME, FPX_FREE_NAME,
};

std::string Joined(const std::vector<std::string>& names) {
  std::string text;
  for (const std::string& name : names) text += (text.empty() ? "" : ", ") + name;
  return text;
}

// The names that bound, by form, for the detail of a passing check.
std::string Forms(const std::vector<std::string>& plain, const std::vector<std::string>& underscored) {
  if (underscored.empty()) return "all eight under their plain names";
  if (plain.empty()) return "all eight with a leading underscore";
  return "plain: " + Joined(plain) + "; with underscore: " + Joined(underscored);
}

CheckVerdict Unopenable() {
  const char* message = dlerror();
  CheckVerdict verdict;
  verdict.Add(CheckResult::kFail, message != nullptr ? message : "the library cannot be loaded");
  verdict.unopenable = true;
  return verdict;
}

}  // namespace

CheckVerdict CheckEntryPoints(const CheckContext& context) {
  context.channel.Step("loading the library");
  void* handle = nullptr;
  if (LibraryLoad(&handle, context.options.library.c_str()) != 0) return Unopenable();
  CheckVerdict verdict;
  std::vector<std::string> plain, underscored;
  for (const char* name : kNames) {
    context.channel.Step(std::string("resolving ") + name);
    void* bound = nullptr;
    LibraryResolve(&handle, &bound, name);
    std::string withUnderscore = std::string("_") + name;
    void* underscoreForm = dlsym(handle, withUnderscore.c_str());
    void* plainForm = dlsym(handle, name);
    if (bound == nullptr) {
      verdict.Add(CheckResult::kFail, std::string(name) + " is exported neither as " + name + " nor as " +
                                          withUnderscore + ": the program does not load the library");
      continue;
    }
    if (underscoreForm != nullptr && plainForm != nullptr && underscoreForm != plainForm) {
      verdict.Add(CheckResult::kWarn, withUnderscore + " and " + name +
                                          " are different functions: the program binds " + withUnderscore);
    }
    if (bound == underscoreForm)
      underscored.push_back(withUnderscore);
    else
      plain.push_back(name);
  }
  context.channel.Step("unloading the library");
  LibraryUnload(&handle);
  verdict.Add(CheckResult::kPass, Forms(plain, underscored));
  return verdict;
}
