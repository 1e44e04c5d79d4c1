#include "tools/capture_host/host_options.h"

#include <string.h>

#include <charconv>
#include <string_view>

namespace {

constexpr int kMaxTimeoutSeconds = 86400;

// A whole decimal number from low to high, nothing around it.
bool ParseNumber(std::string_view text, int low, int high, int* value) {
  const char* end = text.data() + text.size();
  auto [stop, code] = std::from_chars(text.data(), end, *value);
  return code == std::errc() && stop == end && *value >= low && *value <= high;
}

bool ParseFingers(std::string_view text, std::vector<FingerNumber>* fingers, std::string* error) {
  fingers->clear();
  while (!text.empty()) {
    size_t comma = text.find(',');
    std::string_view item = text.substr(0, comma);
    int finger = 0;
    if (!ParseNumber(item, 1, kExchangeMaxEnrolled, &finger)) {
      *error = "--fingers: \"" + std::string(item) + "\" is not a finger number from 1 to 10";
      return false;
    }
    if (fingers->size() == kExchangeMaxEnrolled) {
      *error = "--fingers: at most 10 fingers";
      return false;
    }
    fingers->push_back(static_cast<FingerNumber>(finger));
    text = comma == std::string_view::npos ? std::string_view() : text.substr(comma + 1);
    if (comma != std::string_view::npos && text.empty()) {
      *error = "--fingers: the list ends in a comma";
      return false;
    }
  }
  return true;
}

// Applies one option that takes a value.
bool ApplyValue(std::string_view name, std::string_view value, HostOptions* options, std::string* error) {
  if (name == "--fingers") return ParseFingers(value, &options->fingers, error);
  if (name == "--program") {
    options->program = std::string(value);
    if (!value.empty()) return true;
    *error = "--program: the path is empty";
    return false;
  }
  if (ParseNumber(value, 1, kMaxTimeoutSeconds, &options->timeoutSeconds)) return true;
  *error = "--timeout: \"" + std::string(value) + "\" is not a number of seconds from 1 to 86400";
  return false;
}

bool TakesValue(std::string_view name) {
  return name == "--fingers" || name == "--program" || name == "--timeout";
}

}  // namespace

const char* HostUsage() {
  return "usage: velmora-capture-host [--fingers 7,2,1] [--program PATH] [--timeout SECONDS] [--json]\n"
         "  --fingers   enrolled finger positions, 1-10, in order (default: none)\n"
         "  --program   capture program to start (default: the installed velmora-capture)\n"
         "  --timeout   seconds before the program is killed (default: 120)\n"
         "  --json      print the result as one JSON object\n"
         "exit status: 0 sample, 2 finished without sample, 3 did not finish, 1 host error\n";
}

bool ParseHostOptions(int argc, const char* const* argv, const char* defaultProgram, HostOptions* options,
                      std::string* error) {
  *options = HostOptions();
  options->program = defaultProgram;
  for (int i = 1; i < argc; ++i) {
    std::string_view arg = argv[i];
    std::string_view name = arg.substr(0, arg.find('='));
    if (arg == "--json" || arg == "--help") {
      (arg == "--json" ? options->json : options->help) = true;
      continue;
    }
    if (!TakesValue(name)) {
      *error = "unknown argument \"" + std::string(arg) + "\"";
      return false;
    }
    if (name.size() == arg.size() && i + 1 == argc) {
      *error = std::string(name) + ": a value is missing";
      return false;
    }
    std::string_view value = name.size() < arg.size() ? arg.substr(name.size() + 1) : argv[++i];
    if (!ApplyValue(name, value, options, error)) return false;
  }
  return true;
}
