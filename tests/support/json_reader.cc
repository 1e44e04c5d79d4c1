// The strict JSON reader (json_reader.h).
#include "tests/support/json_reader.h"

#include <stdexcept>

namespace velmora::test {
namespace {

class Parser {
 public:
  explicit Parser(const std::string& text) : m_Text(text) {}

  JsonValue Document() {
    JsonValue value = Value();
    Space();
    if (m_At != m_Text.size()) Fail("text after the value");
    return value;
  }

 private:
  [[noreturn]] void Fail(const std::string& what) const {
    throw std::runtime_error("JSON: " + what + " at offset " + std::to_string(m_At));
  }

  void Space() {
    while (m_At < m_Text.size() && std::string(" \t\r\n").find(m_Text[m_At]) != std::string::npos) ++m_At;
  }

  bool Take(char c) {
    Space();
    if (m_At < m_Text.size() && m_Text[m_At] == c) {
      ++m_At;
      return true;
    }
    return false;
  }

  void Expect(char c) {
    if (!Take(c)) Fail(std::string("expected '") + c + "'");
  }

  bool Word(const std::string& word) {
    if (m_Text.compare(m_At, word.size(), word) != 0) return false;
    m_At += word.size();
    return true;
  }

  JsonValue Value() {
    Space();
    JsonValue value;
    if (Take('{')) return Object();
    if (Take('[')) return Array();
    if (m_At < m_Text.size() && m_Text[m_At] == '"') {
      value.kind = JsonValue::kString;
      value.text = String();
    } else if (Word("true") || Word("false")) {
      value.kind = JsonValue::kBool;
      value.boolean = m_Text[m_At - 1] == 'e' && m_Text[m_At - 2] == 'u';
    } else if (Word("null")) {
      value.kind = JsonValue::kNull;
    } else {
      value.kind = JsonValue::kNumber;
      value.text = Number();
    }
    return value;
  }

  JsonValue Object() {
    JsonValue value;
    value.kind = JsonValue::kObject;
    if (Take('}')) return value;
    do {
      Space();
      if (m_At >= m_Text.size() || m_Text[m_At] != '"') Fail("expected a member name");
      std::string name = String();
      Expect(':');
      value.members[name] = Value();
    } while (Take(','));
    Expect('}');
    return value;
  }

  JsonValue Array() {
    JsonValue value;
    value.kind = JsonValue::kArray;
    if (Take(']')) return value;
    do value.items.push_back(Value());
    while (Take(','));
    Expect(']');
    return value;
  }

  std::string Number() {
    size_t start = m_At;
    while (m_At < m_Text.size() && std::string("+-0123456789.eE").find(m_Text[m_At]) != std::string::npos)
      ++m_At;
    if (m_At == start) Fail("expected a value");
    return m_Text.substr(start, m_At - start);
  }

  // Four hex digits after "\u".
  unsigned Hex4() {
    if (m_At + 4 > m_Text.size()) Fail("short \\u escape");
    unsigned code = std::stoul(m_Text.substr(m_At, 4), nullptr, 16);
    m_At += 4;
    return code;
  }

  static void AppendUtf8(unsigned code, std::string& out) {
    if (code < 0x80) {
      out += static_cast<char>(code);
    } else if (code < 0x800) {
      out += static_cast<char>(0xc0 | (code >> 6));
      out += static_cast<char>(0x80 | (code & 0x3f));
    } else {
      out += static_cast<char>(0xe0 | (code >> 12));
      out += static_cast<char>(0x80 | ((code >> 6) & 0x3f));
      out += static_cast<char>(0x80 | (code & 0x3f));
    }
  }

  std::string String() {
    ++m_At;  // the opening quote
    std::string out;
    for (;;) {
      if (m_At >= m_Text.size()) Fail("unterminated string");
      char c = m_Text[m_At++];
      if (c == '"') return out;
      if (static_cast<unsigned char>(c) < 0x20) Fail("control character in a string");
      if (c != '\\') {
        out += c;
        continue;
      }
      if (m_At >= m_Text.size()) Fail("unterminated escape");
      char escape = m_Text[m_At++];
      const std::string kPlain = "\"\\/bfnrt", kMeaning = "\"\\/\b\f\n\r\t";
      size_t plain = kPlain.find(escape);
      if (plain != std::string::npos)
        out += kMeaning[plain];
      else if (escape == 'u')
        AppendUtf8(Hex4(), out);
      else
        Fail("unknown escape");
    }
  }

  const std::string& m_Text;
  size_t m_At = 0;
};

}  // namespace

const JsonValue& JsonValue::operator[](const std::string& name) const {
  auto member = members.find(name);
  if (member == members.end()) throw std::runtime_error("JSON: no member \"" + name + "\"");
  return member->second;
}

JsonValue ParseJson(const std::string& text) { return Parser(text).Document(); }

}  // namespace velmora::test
