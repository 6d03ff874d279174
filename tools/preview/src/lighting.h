// Turns what reached the stand-ins into what each keyboard shows: a state
// per board after every log line, folded into one picture per moment the
// lighting changes, each tied to the session line that caused it.  What is
// particular to a keyboard comes from its row in keyboard.h.
#ifndef PREVIEW_LIGHTING_H
#define PREVIEW_LIGHTING_H

#include "duvek.h"
#include "logs.h"
#include "session.h"
#include "tovrik.h"
#include "ulvoran.h"

#include <cstdint>
#include <string>
#include <vector>

namespace preview {

// The processor build a run played: its player and DLLs.
enum class Build { X86, X64 };
const char *buildName(Build b); // "x86", "x64"

// One keyboard as one build of its library drives it.
struct Board {
  Library library = Library::Tovrik;
  Build build = Build::X86;
};
inline bool operator==(Board a, Board b) {
  return a.library == b.library && a.build == b.build;
}
inline bool operator!=(Board a, Board b) { return !(a == b); }

constexpr int kBoards = 2 * kLibraries;
int boardIndex(Board b); // 0 .. kBoards-1, the x86 boards first
Board boardAt(int index);
std::string boardName(Board b); // "tovrik x64", as the page shows it
std::string boardSlug(Board b); // "tovrik-x64", for file names

// A damage flash as both bridges play it: red, dark, red, then the redraw,
// each step this long after the first red.
constexpr int kFlashSteps = 4;
constexpr int64_t kFlashStepUs[kFlashSteps] = {0, 100000, 200000, 280000};

struct Picture {
  Board board;
  int64_t us = 0;
  int line = 0; // session line that caused it, 0 when none
  std::string note;
  TovrikState tovrik;
  DuvekState duvek;
  UlvoranState ulvoran;
};

// One damage flash as measured: the times of the first red, the dark, the
// second red and the redraw (-1 when not seen).
struct FlashTiming {
  Board board;
  int line = 0;
  int64_t callUs = 0;
  int64_t stepUs[kFlashSteps] = {-1, -1, -1, -1};
  bool overlapping = false;
  bool complete() const;
  double stepMs(int i) const; // 0: red, 1: dark, 2: red; -1 if unknown
};

// A stand-in log line the page lists as one of the library's calls.
struct LoggedCall {
  Board board;
  int64_t us;
  int line;
  std::string text;
};

struct RunLogs {
  PlayerLog player;
  std::vector<LogLine> lines; // the library's log
};

struct Timeline {
  int64_t startUs[kBoards] = {}; // each run's start, for times to show
  std::vector<Picture> pictures; // in time order per board
  std::vector<FlashTiming> flashes;
  std::vector<LoggedCall> loggedCalls;
  std::vector<PlayerCall> boardCalls[kBoards]; // the player's calls per board
};

// Builds the pictures of one board from its library's log and the player's
// log of the same run; the session supplies which calls were onDamage.
void addBoard(Timeline *timeline, Board board, const Session &session,
              const RunLogs &logs);

// The picture showing the board's state once the session line had its
// effect: the last picture caused by that line or an earlier one, before the
// board's next call; null when there is none.
const Picture *pictureAfterLine(const Timeline &timeline, Board board,
                                int line);

} // namespace preview

#endif
