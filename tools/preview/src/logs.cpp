#include "logs.h"

#include "session.h"

#include <cstdlib>

namespace preview {

bool parseLogLine(const std::string &line, LogLine *out) {
  std::vector<std::string> w = splitWords(line);
  if (w.empty())
    return false;
  out->us = -1;
  char *end = nullptr;
  long long us = std::strtoll(w[0].c_str(), &end, 10);
  if (*end == '\0' && w[0][0] >= '0' && w[0][0] <= '9') {
    out->us = us;
    w.erase(w.begin());
  }
  out->words = w;
  out->text.clear();
  for (size_t i = 0; i < w.size(); i++)
    out->text += (i ? " " : "") + w[i];
  return true;
}

std::vector<LogLine> parseLogText(const std::string &text) {
  std::vector<LogLine> lines;
  size_t pos = 0;
  for (;;) {
    size_t nl = text.find('\n', pos);
    if (nl == std::string::npos)
      break;
    LogLine l;
    if (parseLogLine(text.substr(pos, nl - pos), &l))
      lines.push_back(l);
    pos = nl + 1;
  }
  return lines;
}

std::vector<LogLine> readLog(const std::string &path) {
  std::string text;
  if (!readFile(path, &text))
    return {};
  return parseLogText(text);
}

PlayerLog readPlayerLog(const std::vector<LogLine> &lines) {
  PlayerLog log;
  for (const LogLine &l : lines) {
    if (l.words.empty() || l.us < 0)
      continue;
    const std::string &what = l.words[0];
    if (what == "start") {
      log.startUs = l.us;
    } else if (what == "end") {
      log.ended = true;
    } else if (what == "call" && l.words.size() >= 2) {
      PlayerCall c;
      c.line = std::atoi(l.words[1].c_str());
      c.us = l.us;
      c.doneUs = l.us;
      log.calls.push_back(c);
    } else if (what == "done" && l.words.size() >= 2 && !log.calls.empty()) {
      PlayerCall &c = log.calls.back();
      c.doneUs = l.us;
      c.result = l.words.size() >= 3 ? l.words[2] : "";
    }
  }
  return log;
}

// A hexadecimal word longer than this is shown by its byte count.
constexpr size_t kLongHexDigits = 16;

std::string abbreviateHex(const std::string &text) {
  std::string out;
  for (const std::string &word : splitWords(text)) {
    bool bulky =
        word.size() > kLongHexDigits &&
        word.find_first_not_of("0123456789abcdefABCDEF") == std::string::npos;
    out += (out.empty() ? "" : " ") +
           (bulky ? "<" + std::to_string(word.size() / 2) + " bytes>" : word);
  }
  return out;
}

} // namespace preview
