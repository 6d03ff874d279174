// Turns what reached the stand-ins into what each keyboard shows: a state
// per board after every log line, folded into one picture per moment the
// lighting changes, each tied to the session line that caused it.
#ifndef PREVIEW_LIGHTING_H
#define PREVIEW_LIGHTING_H

#include "keyboards.h"
#include "logs.h"
#include "session.h"

#include <cstdint>
#include <string>
#include <vector>

namespace preview {

// The processor build a run played: its player and DLLs.
enum class Build { X86, X64 };
const char *buildName(Build b); // "x86", "x64"
// The build of the running program itself.
constexpr Build kOwnBuild = sizeof(void *) == 8 ? Build::X64 : Build::X86;

// One keyboard as one build of its library drives it.
struct Board {
  Library library = Library::Tovrik;
  Build build = Build::X86;
};
inline bool operator==(Board a, Board b) {
  return a.library == b.library && a.build == b.build;
}
inline bool operator!=(Board a, Board b) { return !(a == b); }

constexpr int kLibraries = 3;
constexpr int kBoards = 2 * kLibraries;
int boardIndex(Board b); // 0 .. kBoards-1, the x86 boards first
Board boardAt(int index);
std::string boardName(Board b); // "tovrik x64", as the page shows it
std::string boardSlug(Board b); // "tovrik-x64", for file names

// The lighting service's view of the Tovrik board.
struct TovrikState {
  bool sdkMode = false;       // per-key control taken over
  uint32_t colour = 0xFFFFFF; // last colour posted, 0x00RRGGBB
  uint8_t bitmap[kTovrikBitmapBytes] = {};
  bool restored = false; // light handed back to the service
};

// Applies one service log line; true when what the board shows changed.
bool applyTovrikLine(const LogLine &line, TovrikState *state,
                     std::string *note);

// The effect library's view of the Duvek board.
struct DuvekState {
  int effect = -1;                  // last effect type, -1 before any
  uint32_t cells[kDuvekCells] = {}; // shown colours, 0x00RRGGBB
};

bool applyDuvekLine(const LogLine &line, DuvekState *state, std::string *note);

// Composes what a keyboard shows for one effect type and parameter block
// (null for type 0); false for a type or block size it does not know.
bool composeDuvekEffect(int type, const std::vector<uint8_t> &block,
                        uint32_t *cells);

// The LED engine's view: the whole-board colour, the last bitmap and the
// colours given to single keys.
struct UlvoranKey {
  std::string how; // ScanCode, HidCode, QuartzCode, KeyName
  int32_t key;
  uint32_t colour;
};

struct UlvoranState {
  bool haveColour = false;
  uint32_t colour = 0; // 0x00RRGGBB from percentages
  std::vector<uint8_t> bitmap;
  std::vector<UlvoranKey> keys;
  std::string effect; // running flash or pulse, as text
};

bool applyUlvoranLine(const LogLine &line, UlvoranState *state,
                      std::string *note);

// The text with every long hexadecimal word shown as "<N bytes>".
std::string abbreviateHex(const std::string &text);

// Percent (0..100, clamped) to a byte.
uint8_t percentToByte(int32_t percent);

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
  int64_t stepUs[4] = {-1, -1, -1, -1};
  bool overlapping = false;
  bool complete() const;
  double stepMs(int i) const; // 0: red, 1: dark, 2: red; -1 if unknown
};

struct UlvoranCall {
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
  std::vector<UlvoranCall> ulvoranCalls;
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
