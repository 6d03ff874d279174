// A scripted game session: one native-method call per line, at a time in
// milliseconds from the start of play.
//
//   # a comment runs to the end of its line; blank lines are skipped
//   <ms> <library> <method> [<argument> ...]
//
// <ms> is a whole number of milliseconds and never smaller than the line
// before it.  <library> is tovrik, duvek or ulvoran, <method> the Java native
// method's name exactly as the class declares it.  Arguments follow the Java
// parameter types:
//   int      decimal (-5, 42) or hexadecimal 0x0000FF00 (up to 32 bits; the
//            bit pattern is kept, so 0xFFFFFFFF is -1)
//   float    a decimal number such as 0.5 or 1e-3
//   boolean  true, false, 1 or 0
//   byte[]   hexadecimal bytes; a group may repeat with *N and groups are
//            joined with commas: ff0000*3,00ff00 is twelve bytes; - is empty
#ifndef PREVIEW_SESSION_H
#define PREVIEW_SESSION_H

#include "methods.h"

#include <cstdint>
#include <string>
#include <vector>

namespace preview {

struct Value {
  Kind kind = Kind::Int;
  int32_t i = 0;
  float f = 0.0f;
  bool z = false;
  std::vector<uint8_t> bytes;
};

struct Call {
  int line = 0; // 1-based line in the session text
  int64_t timeMs = 0;
  const Method *method = nullptr;
  std::vector<Value> args;
  std::string text; // its words one space apart, without the comment
};

struct Session {
  std::vector<Call> calls;
};

// Parses a whole session.  On any malformed line nothing is kept: the result
// is false and errors holds one "line N: ..." message per bad line.
bool parseSession(const std::string &text, Session *session,
                  std::vector<std::string> *errors);

bool readFile(const std::string &path, std::string *text);

// Argument parsers, shared with the log readers.
bool parseInt32(const std::string &word, int32_t *out);
bool parseFloat(const std::string &word, float *out);
bool parseBoolean(const std::string &word, bool *out);
bool parseBytes(const std::string &word, std::vector<uint8_t> *out);
bool parseHex(const std::string &hex, std::vector<uint8_t> *out);

std::vector<std::string> splitWords(const std::string &line);

// The value as a session line would write it (bytes abbreviated).
std::string formatValue(const Value &v);

} // namespace preview

#endif
