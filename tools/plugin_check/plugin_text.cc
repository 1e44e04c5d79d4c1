#include "tools/plugin_check/plugin_text.h"

#include <stdio.h>

namespace {

std::string Hex(unsigned char byte) {
  char escaped[5];
  snprintf(escaped, sizeof escaped, "\\x%02x", byte);
  return escaped;
}

}  // namespace

std::string QuoteBytes(const unsigned char* bytes, size_t length, size_t shown) {
  std::string quoted = "\"";
  for (size_t i = 0; i < length && i < shown; ++i) {
    unsigned char byte = bytes[i];
    if (byte == '"' || byte == '\\') quoted += '\\';
    if (byte >= 0x20 && byte < 0x7f)
      quoted += static_cast<char>(byte);
    else
      quoted += Hex(byte);
  }
  quoted += '"';
  if (length > shown) quoted += "...";
  return quoted;
}

std::string IdList(const uint32_t* ids, size_t count, size_t shown) {
  std::string list;
  for (size_t i = 0; i < count && i < shown; ++i) list += (i > 0 ? ", " : "") + std::to_string(ids[i]);
  if (count > shown) list += ", ...";
  return list;
}

std::string OneLine(const std::string& text) {
  std::string line;
  for (char c : text) {
    unsigned char byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7f)
      line += Hex(byte);
    else
      line += c;
  }
  return line;
}
