// Reading the JSON that the tools print (velmora-capture-host --json, velmora-plugin-check --json),
// strictly: a test that reads a value has also seen that the whole text is valid JSON.
//
// Test support only; no shared state.
#ifndef VELMORA_TESTS_SUPPORT_JSON_READER_H_
#define VELMORA_TESTS_SUPPORT_JSON_READER_H_

#include <map>
#include <string>
#include <vector>

namespace velmora::test {

struct JsonValue {
  enum Kind { kNull, kBool, kNumber, kString, kArray, kObject };
  Kind kind = kNull;
  bool boolean = false;
  std::string text;  // a string's value (escapes resolved, UTF-8), or a number as written
  std::vector<JsonValue> items;
  std::map<std::string, JsonValue> members;

  // The member `name` of an object. Throws std::runtime_error when there is none.
  const JsonValue& operator[](const std::string& name) const;
};

// Parses `text`, one value with nothing but white space around it. Throws std::runtime_error
// with the offset of the first error.
JsonValue ParseJson(const std::string& text);

}  // namespace velmora::test

#endif  // VELMORA_TESTS_SUPPORT_JSON_READER_H_
