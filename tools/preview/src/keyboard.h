// What each keyboard brings to the preview: how its stand-in's log lines
// become what it shows, whether it flashes on damage, and how it is drawn
// as a picture, in the terminal and as text.  The generic parts (timeline,
// page, terminal) go through this table; each keyboard's row lives in its
// own file (tovrik.cpp, duvek.cpp, ulvoran.cpp).
#ifndef PREVIEW_KEYBOARD_H
#define PREVIEW_KEYBOARD_H

#include "image.h"
#include "logs.h"
#include "methods.h"

#include <string>

namespace preview {

struct Picture;

// A damage flash's steps as the stand-in's log shows them: every key lit,
// every key dark, anything else (the redraw), or no lighting at all.
enum class FlashStep { Red, Dark, Other, None };

struct Keyboard {
  // Applies one stand-in log line to the keyboard's part of *shown; true
  // when what it shows changed, with *note saying what happened.
  bool (*applyLine)(const LogLine &line, Picture *shown, std::string *note);
  // The flash step a log line is; null for a keyboard that does not flash.
  FlashStep (*flashStep)(const LogLine &line);
  // Stand-in log lines starting with this are listed on the page as the
  // library's calls, under callLogTitle and counted as loggedCalls in the
  // summary; null when none are.
  const char *callLogPrefix;
  const char *callLogTitle;
  const char *loggedCalls;
  Image (*draw)(const Picture &p, const std::string &caption);
  // One text line per key row, with 24-bit colour escapes.
  std::string (*terminalText)(const Picture &p);
  // The key states as one line of text (states.txt).
  std::string (*stateText)(const Picture &p);
};

extern const Keyboard kTovrikKeyboard;
extern const Keyboard kDuvekKeyboard;
extern const Keyboard kUlvoranKeyboard;

// The row of a library's keyboard, in the order of Library.
inline const Keyboard &keyboardOf(Library lib) {
  static const Keyboard *const kRows[] = {&kTovrikKeyboard, &kDuvekKeyboard,
                                          &kUlvoranKeyboard};
  return *kRows[static_cast<int>(lib)];
}

} // namespace preview

#endif
