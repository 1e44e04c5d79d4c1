#include "tools/plugin_check/check_options.h"

#include <errno.h>
#include <stdlib.h>
#include <string.h>

namespace {

// A decimal number from `low` to `high`, the whole text.
bool ParseNumber(const char* text, unsigned long long low, unsigned long long high,
                 unsigned long long* value) {
  if (*text < '0' || *text > '9') return false;
  char* end = nullptr;
  errno = 0;
  unsigned long long parsed = strtoull(text, &end, 10);
  if (errno != 0 || *end != '\0' || parsed < low || parsed > high) return false;
  *value = parsed;
  return true;
}

bool Fail(std::string* error, const std::string& reason) {
  *error = reason;
  return false;
}

// The option at argv[*i] that takes a value; advances *i past the value.
bool ParseValued(int argc, const char* const* argv, int* i, CheckOptions* options, std::string* error) {
  const char* name = argv[*i];
  if (*i + 1 >= argc) return Fail(error, std::string(name) + " needs a value");
  const char* value = argv[++*i];
  unsigned long long number = 0;
  if (strcmp(name, "--unit") == 0) {
    if (!ParseNumber(value, 0, UINT32_MAX, &number))
      return Fail(error, std::string("--unit: not a unit id: ") + value);
    options->hasUnit = true;
    options->unit = static_cast<uint32_t>(number);
    return true;
  }
  if (strcmp(name, "--slow") == 0) {
    if (!ParseNumber(value, 1, 100, &number))
      return Fail(error, std::string("--slow: not a whole number from 1 to 100: ") + value);
    options->slowFactor = static_cast<int>(number);
    return true;
  }
  if (!ParseNumber(value, 1, 3600, &number))
    return Fail(error, std::string("--timeout: not a number of seconds from 1 to 3600: ") + value);
  options->timeoutSeconds = static_cast<int>(number);
  return true;
}

}  // namespace

const char* CheckUsage() {
  return "usage: velmora-plugin-check [--json] [--unit ID] [--timeout SECONDS] [--slow FACTOR] [--no-capture]"
         " LIBRARY\n"
         "  checks that the reader plug-in LIBRARY keeps the contract of velmora-capture\n"
         "  --json          one JSON object instead of the table\n"
         "  --unit ID       the unit for the capture checks (default: the first one listed)\n"
         "  --timeout SEC   a check that gives no answer this long fails (default 10)\n"
         "  --slow FACTOR   allow the disconnect checks FACTOR times their time (sanitizers, a loaded "
         "machine)\n"
         "  --no-capture    skip the checks that need a finger on the reader\n"
         "exit status: 0 nothing failed, 1 a check failed, 2 bad usage or LIBRARY cannot be opened\n";
}

bool ParseCheckOptions(int argc, const char* const* argv, CheckOptions* options, std::string* error) {
  bool haveLibrary = false;
  for (int i = 1; i < argc; ++i) {
    const char* arg = argv[i];
    if (strcmp(arg, "--help") == 0) {
      options->help = true;
    } else if (strcmp(arg, "--json") == 0) {
      options->json = true;
    } else if (strcmp(arg, "--no-capture") == 0) {
      options->noCapture = true;
    } else if (strcmp(arg, "--unit") == 0 || strcmp(arg, "--timeout") == 0 || strcmp(arg, "--slow") == 0) {
      if (!ParseValued(argc, argv, &i, options, error)) return false;
    } else if (arg[0] == '-' && arg[1] != '\0') {
      return Fail(error, std::string("unknown option: ") + arg);
    } else if (haveLibrary) {
      return Fail(error, std::string("one library at a time: ") + arg);
    } else {
      options->library = arg;
      haveLibrary = true;
    }
  }
  if (!haveLibrary && !options->help) return Fail(error, "no library given");
  return true;
}
