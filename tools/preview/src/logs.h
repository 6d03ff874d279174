// Reading the text logs that the stand-in service, effect library and LED
// engine write, and the player's own log of when it made each call.  Every
// line starts with a time stamp in microseconds on one clock shared by all
// processes, so lines of different logs can be ordered against each other.
#ifndef PREVIEW_LOGS_H
#define PREVIEW_LOGS_H

#include <cstdint>
#include <string>
#include <vector>

namespace preview {

struct LogLine {
  int64_t us = -1;                // -1 when the line carries no time stamp
  std::vector<std::string> words; // the words after the time stamp
  std::string text;               // the same, as one string
};

// Splits one line; false for an empty line.
bool parseLogLine(const std::string &line, LogLine *out);

// All complete (newline-terminated) lines of a log; a missing file gives
// none.  A partly written last line is left for a later read.
std::vector<LogLine> readLog(const std::string &path);
std::vector<LogLine> parseLogText(const std::string &text);

// The player's log: "<us> start", "<us> call <line>", "<us> done <line>
// <result>", "<us> end".
struct PlayerCall {
  int line = 0;
  int64_t us = 0;     // just before the call
  int64_t doneUs = 0; // just after it returned
  std::string result;
};

struct PlayerLog {
  int64_t startUs = -1;
  bool ended = false;
  std::vector<PlayerCall> calls;
};

PlayerLog readPlayerLog(const std::vector<LogLine> &lines);

// The text with every long hexadecimal word shown as "<N bytes>".
std::string abbreviateHex(const std::string &text);

} // namespace preview

#endif
