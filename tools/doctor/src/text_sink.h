// Where the doctor's text goes, and in which encoding.  A console shows
// every letter when it is given UTF-16 (WriteConsoleW), whatever its code
// page; a file, a pipe or the NUL device (a character device that is no
// console) gets UTF-8 bytes, which tools and parsers read.
#ifndef VELQUOR_DOCTOR_TEXT_SINK_H
#define VELQUOR_DOCTOR_TEXT_SINK_H

#include <string>

namespace doctor {

enum class Sink { kConsole, kUtf8 };

// From what GetFileType and GetConsoleMode say of the handle.
inline Sink sinkFor(bool characterDevice, bool consoleMode) {
  return characterDevice && consoleMode ? Sink::kConsole : Sink::kUtf8;
}

// Writes UTF-8 text to standard output (or standard error).
void writeText(const std::string &utf8Text, bool toError = false);

} // namespace doctor

#endif
