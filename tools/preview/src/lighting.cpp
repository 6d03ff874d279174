#include "lighting.h"

#include "keyboard.h"

#include <cstdlib>
#include <cstring>

namespace preview {

namespace {

// The first red comes when the flash's worker starts, which on a busy or
// emulated machine can take well over 100 ms: it is looked for this long
// after the call.  The later steps follow it by their offsets, give or take
// the step slack.
constexpr int64_t kFirstRedSlackUs = 1000000;
constexpr int64_t kStepSlackUs = 60000;
// A colour post this close to a flash's first red or its redraw belongs to
// the flash.  A posted message waits in the service's queue behind sent
// ones, on a busy machine for several milliseconds.
constexpr int64_t kNextToStepUs = 30000;
// Flashes whose calls are closer than this (a flash's length and a little)
// run at the same time.
constexpr int64_t kOverlapUs = 300000;
// Lines of one call this close together (a colour post and its frame) are
// one moment, one picture.
constexpr int64_t kMomentUs = 5000;

const FlashStep kFlashStepKinds[kFlashSteps] = {
    FlashStep::Red, FlashStep::Dark, FlashStep::Red, FlashStep::Other};

struct Event {
  int64_t us;
  FlashStep step;
  int line = 0;
  bool claimed = false;
  LogLine log;
};

// Claims the unclaimed event of that step nearest to the expected time,
// no earlier than notBefore and within the slack.
int claimNearest(std::vector<Event> &events, FlashStep step, int64_t expected,
                 int64_t notBefore, int64_t slack) {
  int best = -1;
  int64_t bestDist = slack + 1;
  for (size_t i = 0; i < events.size(); i++) {
    Event &e = events[i];
    if (e.claimed || e.step != step || e.us < notBefore)
      continue;
    int64_t d = std::llabs(e.us - expected);
    if (d < bestDist) {
      best = static_cast<int>(i);
      bestDist = d;
    }
  }
  if (best >= 0)
    events[best].claimed = true;
  return best;
}

bool isFlashCall(const Session &session, int line) {
  for (const Call &c : session.calls) {
    if (c.line == line)
      return std::strcmp(c.method->name, "onDamage") == 0;
  }
  return false;
}

// Finds the steps of the flash the call started; they take its line.
FlashTiming matchFlash(Board board, const PlayerCall &c,
                       std::vector<Event> &events) {
  FlashTiming f;
  f.board = board;
  f.line = c.line;
  f.callUs = c.us;
  int64_t at = c.us;
  for (int k = 0; k < kFlashSteps; k++) {
    if (k > 0 && f.stepUs[0] < 0)
      break;
    int64_t expected = k == 0 ? c.us : f.stepUs[0] + kFlashStepUs[k];
    int64_t slack = k == 0 ? kFirstRedSlackUs : kStepSlackUs;
    int i = claimNearest(events, kFlashStepKinds[k], expected, at, slack);
    if (i < 0)
      break;
    f.stepUs[k] = events[i].us;
    events[i].line = c.line;
    at = events[i].us;
  }
  // Colour posts next to the steps that post one (the red with the first,
  // the key colour with the redraw) share the flash's cause.  A posted
  // message can reach the service after a later sent one, so "next to"
  // goes both ways.  The dark step posts none: a post by it is an update's.
  for (Event &e : events) {
    for (int k : {0, kFlashSteps - 1}) {
      if (e.step == FlashStep::None && f.stepUs[k] >= 0 &&
          std::llabs(e.us - f.stepUs[k]) <= kNextToStepUs)
        e.line = c.line;
    }
  }
  return f;
}

void matchFlashes(Timeline *t, Board board, const Session &session,
                  const std::vector<PlayerCall> &calls,
                  std::vector<Event> &events) {
  size_t first = t->flashes.size();
  for (const PlayerCall &c : calls) {
    if (isFlashCall(session, c.line))
      t->flashes.push_back(matchFlash(board, c, events));
  }
  for (size_t i = first; i < t->flashes.size(); i++) {
    for (size_t j = first; j < t->flashes.size(); j++) {
      const FlashTiming &a = t->flashes[i], &b = t->flashes[j];
      if (i != j && b.callUs >= a.callUs && b.callUs < a.callUs + kOverlapUs)
        t->flashes[i].overlapping = t->flashes[j].overlapping = true;
    }
  }
}

// The board's latest call at or before the time: what caused a line.
int causeOf(const std::vector<PlayerCall> &calls, int64_t us) {
  int line = 0;
  for (const PlayerCall &c : calls) {
    if (c.us <= us)
      line = c.line;
  }
  return line;
}

// The player's calls of the board's library.
std::vector<PlayerCall> callsOf(Library lib, const Session &session,
                                const PlayerLog &player) {
  std::vector<PlayerCall> calls;
  for (const PlayerCall &c : player.calls) {
    for (const Call &sc : session.calls) {
      if (sc.line == c.line && sc.method->library == lib)
        calls.push_back(c);
    }
  }
  return calls;
}

bool startsWith(const LogLine &l, const char *prefix) {
  return prefix && !l.words.empty() && l.words[0].rfind(prefix, 0) == 0;
}

} // namespace

const char *buildName(Build b) { return b == Build::X64 ? "x64" : "x86"; }

int boardIndex(Board b) {
  return static_cast<int>(b.build) * kLibraries + static_cast<int>(b.library);
}

Board boardAt(int index) {
  return {static_cast<Library>(index % kLibraries),
          static_cast<Build>(index / kLibraries)};
}

std::string boardName(Board b) {
  return std::string(libraryName(b.library)) + " " + buildName(b.build);
}

std::string boardSlug(Board b) {
  return std::string(libraryName(b.library)) + "-" + buildName(b.build);
}

bool FlashTiming::complete() const {
  for (int64_t us : stepUs) {
    if (us < 0)
      return false;
  }
  return true;
}

double FlashTiming::stepMs(int i) const {
  if (stepUs[i] < 0 || stepUs[i + 1] < 0)
    return -1.0;
  return static_cast<double>(stepUs[i + 1] - stepUs[i]) / 1000.0;
}

void addBoard(Timeline *t, Board board, const Session &session,
              const RunLogs &logs) {
  const Keyboard &kb = keyboardOf(board.library);
  const int index = boardIndex(board);
  t->startUs[index] = logs.player.startUs;
  std::vector<PlayerCall> calls = callsOf(board.library, session, logs.player);
  t->boardCalls[index] = calls;

  std::vector<Event> events;
  for (const LogLine &l : logs.lines) {
    if (l.us < 0)
      continue;
    FlashStep step = kb.flashStep ? kb.flashStep(l) : FlashStep::None;
    events.push_back({l.us, step, causeOf(calls, l.us), false, l});
  }
  if (kb.flashStep)
    matchFlashes(t, board, session, calls, events);

  Picture shown;
  shown.board = board;
  for (const Event &e : events) {
    std::string note;
    bool changed = kb.applyLine(e.log, &shown, &note);
    if (startsWith(e.log, kb.callLogPrefix))
      t->loggedCalls.push_back({board, e.us, e.line, e.log.text});
    if (!changed)
      continue;
    Picture p = shown;
    p.us = e.us;
    p.line = e.line;
    p.note = note;
    if (!t->pictures.empty()) {
      Picture &last = t->pictures.back();
      if (last.board == board && last.line == p.line &&
          p.us - last.us < kMomentUs) {
        p.note = last.note + ", " + p.note;
        last = p;
        continue;
      }
    }
    t->pictures.push_back(p);
  }
}

const Picture *pictureAfterLine(const Timeline &t, Board board, int line) {
  int64_t until = INT64_MAX;
  for (const PlayerCall &c : t.boardCalls[boardIndex(board)]) {
    if (c.line > line) {
      until = c.us;
      break;
    }
  }
  const Picture *found = nullptr;
  for (const Picture &p : t.pictures) {
    if (p.board == board && p.line <= line && p.us < until)
      found = &p;
  }
  return found;
}

} // namespace preview
