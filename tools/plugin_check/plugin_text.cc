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

size_t Utf8SequenceLength(const std::string& text, size_t i) {
  auto byte = [&](size_t k) { return k < text.size() ? static_cast<unsigned char>(text[k]) : 0u; };
  auto follows = [&](size_t k, unsigned low, unsigned high) { return byte(k) >= low && byte(k) <= high; };
  unsigned lead = byte(i);
  if (i < text.size() && lead < 0x80) return 1;
  if (lead >= 0xc2 && lead <= 0xdf) return follows(i + 1, 0x80, 0xbf) ? 2 : 0;
  if (lead >= 0xe0 && lead <= 0xef) {
    // No overlong forms and no surrogates.
    unsigned low = lead == 0xe0 ? 0xa0 : 0x80, high = lead == 0xed ? 0x9f : 0xbf;
    return follows(i + 1, low, high) && follows(i + 2, 0x80, 0xbf) ? 3 : 0;
  }
  if (lead >= 0xf0 && lead <= 0xf4) {
    unsigned low = lead == 0xf0 ? 0x90 : 0x80, high = lead == 0xf4 ? 0x8f : 0xbf;
    return follows(i + 1, low, high) && follows(i + 2, 0x80, 0xbf) && follows(i + 3, 0x80, 0xbf) ? 4 : 0;
  }
  return 0;
}

bool IsUtf8(const std::string& text) {
  for (size_t i = 0; i < text.size();) {
    size_t length = Utf8SequenceLength(text, i);
    if (length == 0) return false;
    i += length;
  }
  return true;
}
