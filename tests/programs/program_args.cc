#include "tests/programs/program_args.h"

#include <errno.h>
#include <stdlib.h>

namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

bool ParseInt(const std::string& text, long low, long high, long* value) {
  if (text.empty()) return false;
  char* end = nullptr;
  errno = 0;
  *value = strtol(text.c_str(), &end, 10);
  return errno == 0 && *end == '\0' && *value >= low && *value <= high;
}

bool ParseHexBytes(const std::string& text, std::vector<uint8_t>* bytes) {
  bytes->clear();
  for (size_t i = 0; i < text.size(); i += 2) {
    int high = HexDigit(text[i]);
    int low = i + 1 < text.size() ? HexDigit(text[i + 1]) : -1;
    if (high < 0 || low < 0) return false;
    bytes->push_back(static_cast<uint8_t>(high << 4 | low));
    // A comma may separate two pairs, nothing else.
    bool comma = i + 2 < text.size() && text[i + 2] == ',';
    if (comma && i + 3 == text.size()) return false;
    if (comma) ++i;
  }
  return true;
}

std::string HexOf(const uint8_t* bytes, size_t length) {
  static const char kDigits[] = "0123456789abcdef";
  std::string hex;
  for (size_t i = 0; i < length; ++i) {
    hex += kDigits[bytes[i] >> 4];
    hex += kDigits[bytes[i] & 0xF];
  }
  return hex;
}
