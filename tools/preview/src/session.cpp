#include "session.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>

namespace preview {

namespace {

// Limits that keep a mistyped line from meaning years or gigabytes: a time
// of at most twelve digits, a group repeated at most kMaxRepeat times, and
// a byte array of at most kMaxBytes.
constexpr size_t kMaxTimeDigits = 12;
constexpr long kMaxRepeat = 65536;
constexpr size_t kMaxBytes = size_t{1} << 20;

std::string trim(const std::string &s) {
  size_t b = s.find_first_not_of(" \t\r");
  if (b == std::string::npos)
    return "";
  size_t e = s.find_last_not_of(" \t\r");
  return s.substr(b, e - b + 1);
}

bool parseTime(const std::string &word, int64_t *out) {
  if (word.empty() || word.size() > kMaxTimeDigits)
    return false;
  int64_t v = 0;
  for (char c : word) {
    if (c < '0' || c > '9')
      return false;
    v = v * 10 + (c - '0');
  }
  *out = v;
  return true;
}

// "an int", as an error message names a parameter's kind; in the order of
// Kind.
const char *kindName(Kind k) {
  static const char *const kNames[] = {"an int", "a float", "a boolean",
                                       "a byte array"};
  int i = static_cast<int>(k);
  return i < static_cast<int>(std::size(kNames)) ? kNames[i] : "a value";
}

bool parseValue(Kind kind, const std::string &word, Value *v) {
  v->kind = kind;
  switch (kind) {
  case Kind::Int:
    return parseInt32(word, &v->i);
  case Kind::Float:
    return parseFloat(word, &v->f);
  case Kind::Boolean:
    return parseBoolean(word, &v->z);
  case Kind::Bytes:
    return parseBytes(word, &v->bytes);
  default:
    return false;
  }
}

// Parses one non-empty line; returns the error text or "".
// A time that parses moves *lastTime on even when the rest of the line is
// bad, so that a later line is still checked against it.
std::string parseLine(const std::vector<std::string> &w, Call *call,
                      int64_t *lastTime) {
  if (!parseTime(w[0], &call->timeMs))
    return "'" + w[0] + "' is not a time in whole milliseconds";
  int64_t before = *lastTime;
  *lastTime = std::max(before, call->timeMs);
  if (call->timeMs < before)
    return "time " + std::to_string(call->timeMs) + " goes back before " +
           std::to_string(before);
  if (w.size() < 3)
    return "expected '<ms> <library> <method> [arguments]'";
  Library lib;
  if (!parseLibrary(w[1], &lib))
    return "unknown library '" + w[1] + "' (tovrik, duvek or ulvoran)";
  call->method = findMethod(lib, w[2]);
  if (!call->method)
    return std::string(libraryName(lib)) + " has no native method '" + w[2] +
           "'";
  int given = static_cast<int>(w.size()) - 3;
  if (given != call->method->argCount) {
    return std::string(libraryName(lib)) + " " + call->method->name +
           " takes " + std::to_string(call->method->argCount) +
           " argument(s), got " + std::to_string(given);
  }
  for (int a = 0; a < given; a++) {
    Value v;
    const std::string &word = w[3 + a];
    if (!parseValue(call->method->args[a], word, &v))
      return "argument " + std::to_string(a + 1) + " '" + word + "' is not " +
             kindName(call->method->args[a]);
    call->args.push_back(v);
  }
  return "";
}

} // namespace

std::vector<std::string> splitWords(const std::string &line) {
  std::vector<std::string> words;
  std::istringstream in(line);
  std::string w;
  while (in >> w)
    words.push_back(w);
  return words;
}

bool parseInt32(const std::string &word, int32_t *out) {
  if (word.empty())
    return false;
  const char *s = word.c_str();
  char *end = nullptr;
  errno = 0;
  bool hex =
      word.size() > 2 && word[0] == '0' && (word[1] == 'x' || word[1] == 'X');
  if (hex) {
    unsigned long long v = std::strtoull(s + 2, &end, 16);
    if (errno || *end || v > 0xFFFFFFFFull || s[2] == '-' || s[2] == '+')
      return false;
    *out = static_cast<int32_t>(static_cast<uint32_t>(v));
    return true;
  }
  long long v = std::strtoll(s, &end, 10);
  if (errno || *end || v < INT32_MIN || v > INT32_MAX)
    return false;
  *out = static_cast<int32_t>(v);
  return true;
}

bool parseFloat(const std::string &word, float *out) {
  if (word.empty())
    return false;
  char *end = nullptr;
  errno = 0;
  float v = std::strtof(word.c_str(), &end);
  // Hexadecimal floats and inf/nan words are refused: a session writes
  // decimal fractions, and the bridges' handling of NaN is tested elsewhere.
  if (errno || *end || !std::isfinite(v) ||
      word.find_first_of("xXnN") != std::string::npos)
    return false;
  *out = v;
  return true;
}

bool parseBoolean(const std::string &word, bool *out) {
  if (word == "true" || word == "1") {
    *out = true;
    return true;
  }
  if (word == "false" || word == "0") {
    *out = false;
    return true;
  }
  return false;
}

bool parseHex(const std::string &hex, std::vector<uint8_t> *out) {
  if (hex.size() % 2)
    return false;
  for (size_t i = 0; i < hex.size(); i += 2) {
    int v = 0;
    for (int k = 0; k < 2; k++) {
      char c = hex[i + k];
      int d = c >= '0' && c <= '9'   ? c - '0'
              : c >= 'a' && c <= 'f' ? c - 'a' + 10
              : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                     : -1;
      if (d < 0)
        return false;
      v = v * 16 + d;
    }
    out->push_back(static_cast<uint8_t>(v));
  }
  return true;
}

bool parseBytes(const std::string &word, std::vector<uint8_t> *out) {
  out->clear();
  if (word == "-")
    return true;
  std::istringstream in(word);
  std::string group;
  while (std::getline(in, group, ',')) {
    std::string hex = group;
    long repeat = 1;
    size_t star = group.find('*');
    if (star != std::string::npos) {
      hex = group.substr(0, star);
      std::string count = group.substr(star + 1);
      char *end = nullptr;
      repeat = std::strtol(count.c_str(), &end, 10);
      if (count.empty() || *end || repeat < 0 || repeat > kMaxRepeat)
        return false;
    }
    std::vector<uint8_t> one;
    if (hex.empty() || !parseHex(hex, &one))
      return false;
    // Refused before it is built: repeated long groups could otherwise ask
    // for far more memory than the limit.
    if (one.size() * static_cast<size_t>(repeat) > kMaxBytes - out->size())
      return false;
    for (long r = 0; r < repeat; r++)
      out->insert(out->end(), one.begin(), one.end());
  }
  return !word.empty() && word.back() != ',';
}

bool parseSession(const std::string &text, Session *session,
                  std::vector<std::string> *errors) {
  session->calls.clear();
  errors->clear();
  std::istringstream in(text);
  std::string raw;
  int lineNo = 0;
  int64_t lastTime = 0;
  std::vector<Call> calls;
  while (std::getline(in, raw)) {
    lineNo++;
    std::string line = trim(raw.substr(0, raw.find('#')));
    if (line.empty())
      continue;
    std::vector<std::string> words = splitWords(line);
    if (words.empty()) // only spacing that trim() keeps, such as \v or \f
      continue;
    Call call;
    call.line = lineNo;
    for (const std::string &w : words)
      call.text += (call.text.empty() ? "" : " ") + w;
    std::string err = parseLine(words, &call, &lastTime);
    if (!err.empty()) {
      errors->push_back("line " + std::to_string(lineNo) + ": " + err);
      continue;
    }
    calls.push_back(call);
  }
  if (!errors->empty())
    return false;
  session->calls = calls;
  return true;
}

bool readFile(const std::string &path, std::string *text) {
  std::ifstream in(path, std::ios::binary);
  if (!in)
    return false;
  std::ostringstream s;
  s << in.rdbuf();
  *text = s.str();
  return true;
}

std::string formatValue(const Value &v) {
  char buf[64];
  switch (v.kind) {
  case Kind::Int:
    std::snprintf(buf, sizeof buf, "%d", v.i);
    return buf;
  case Kind::Float:
    std::snprintf(buf, sizeof buf, "%g", v.f);
    return buf;
  case Kind::Boolean:
    return v.z ? "true" : "false";
  case Kind::Bytes:
    return std::to_string(v.bytes.size()) + " bytes";
  default:
    return "?";
  }
}

} // namespace preview
