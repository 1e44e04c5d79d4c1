// entry-points: which name of each entry point the program binds.
#include "tools/plugin_check/entry_points_check.h"

#include <iterator>

#include "tools/plugin_check/plugin_checks.h"
#include "units/entry_points.h"
#include "units/plugin_binding.h"

namespace {

std::string Joined(const std::vector<std::string>& names) {
  std::string text;
  for (const std::string& name : names) text += (text.empty() ? "" : ", ") + name;
  return text;
}

std::string CountWord(size_t count) {
  static const char* const kWords[] = {"none",  "one",   "two",  "three", "four",   "five",  "six",
                                       "seven", "eight", "nine", "ten",   "eleven", "twelve"};
  return count < std::size(kWords) ? kWords[count] : std::to_string(count);
}

// The names that bound, by form, for the detail of a passing check.
std::string Forms(const std::vector<std::string>& plain, const std::vector<std::string>& underscored) {
  std::string all = "all " + CountWord(plain.size() + underscored.size());
  if (underscored.empty()) return all + " under their plain names";
  if (plain.empty()) return all + " with a leading underscore";
  return "plain: " + Joined(plain) + "; with underscore: " + Joined(underscored);
}

CheckVerdict Unopenable() {
  CheckVerdict verdict;
  verdict.Add(CheckResult::kFail, LoaderMessage());
  verdict.unopenable = true;
  return verdict;
}

ExportedEntryPoint Look(void* handle, const EntryPoint& entry) {
  EntryPointForms forms = ResolveForms(handle, entry.name);
  ExportedEntryPoint found{entry.name, entry.required, forms.underscored != nullptr, forms.plain != nullptr};
  found.different = found.underscored && found.plain && forms.underscored != forms.plain;
  return found;
}

}  // namespace

CheckVerdict JudgeEntryPoints(const std::vector<ExportedEntryPoint>& exported) {
  CheckVerdict verdict;
  std::vector<std::string> plain, underscored;
  for (const ExportedEntryPoint& entry : exported) {
    std::string withUnderscore = UnderscoreForm(entry.name.c_str());
    if (!entry.underscored && !entry.plain) {
      if (entry.required)
        verdict.Add(CheckResult::kFail, entry.name + " is exported neither as " + entry.name + " nor as " +
                                            withUnderscore + ": the program does not load the library");
      continue;
    }
    if (entry.different)
      verdict.Add(CheckResult::kWarn, withUnderscore + " and " + entry.name +
                                          " are different functions: the program binds " + withUnderscore);
    (entry.underscored ? underscored : plain).push_back(entry.underscored ? withUnderscore : entry.name);
  }
  verdict.Add(CheckResult::kPass, Forms(plain, underscored));
  return verdict;
}

CheckVerdict CheckEntryPoints(const CheckContext& context) {
  context.channel.Step("loading the library");
  void* handle = nullptr;
  if (LibraryLoad(&handle, context.options.library.c_str()) != 0) return Unopenable();
  std::vector<ExportedEntryPoint> exported;
  for (const EntryPoint& entry : EntryPoints()) {
    context.channel.Step(std::string("resolving ") + entry.name);
    exported.push_back(Look(handle, entry));
  }
  context.channel.Step("unloading the library");
  LibraryUnload(&handle);
  return JudgeEntryPoints(exported);
}
