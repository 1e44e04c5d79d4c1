// Small argument helpers shared by the test programs: numbers and hex bytes, strictly parsed,
// so that a mistyped test fails loudly instead of running with a wrong record.
//
// Thread rules: none.
#ifndef VELMORA_TESTS_PROGRAMS_PROGRAM_ARGS_H_
#define VELMORA_TESTS_PROGRAMS_PROGRAM_ARGS_H_

#include <stdint.h>

#include <string>
#include <vector>

// A whole decimal number (a leading '-' allowed) within low..high. Gives true and *value, or false.
bool ParseInt(const std::string& text, long low, long high, long* value);

// Hex digits in pairs, optionally separated by commas ("0b,03" or "0b03"). Gives true and *bytes.
bool ParseHexBytes(const std::string& text, std::vector<uint8_t>* bytes);

// The bytes as lower-case hex, no separators.
std::string HexOf(const uint8_t* bytes, size_t length);

#endif  // VELMORA_TESTS_PROGRAMS_PROGRAM_ARGS_H_
