#include "lighting.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace preview {

namespace {

// The Tovrik selectors the service's log shows: 15 on the LED control
// message switches per-key control, all ones on the light control message
// hands the light back.
constexpr long kPerKeyControlSelector = 15;
constexpr uint32_t kRestoreSelector = 0xFFFFFFFFu;

// The effect types of Duvek's "CreateKeyboardEffect" calls.
enum DuvekEffect : int {
  kEffectOff = 0,
  kEffectColorGrid = 2,
  kEffectSingleColor = 4,
  kEffectKeyGrid = 8,
};

bool parseU32(const std::string &word, uint32_t *out) {
  char *end = nullptr;
  unsigned long long v = std::strtoull(word.c_str(), &end, 0);
  if (word.empty() || *end || v > 0xFFFFFFFFull)
    return false;
  *out = static_cast<uint32_t>(v);
  return true;
}

char hexDigit(int v) { return "0123456789abcdef"[v & 15]; }

std::string rgbText(uint32_t rgb) {
  std::string s;
  for (int shift = 20; shift >= 0; shift -= 4)
    s += hexDigit(static_cast<int>(rgb >> shift));
  return s;
}

uint32_t readLe32(const std::vector<uint8_t> &b, size_t at) {
  return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) |
         (static_cast<uint32_t>(b[at + 3]) << 24);
}

// "-> rc" at the end of a stand-in line.
std::string resultOf(const LogLine &l) {
  size_t n = l.words.size();
  if (n >= 2 && l.words[n - 2] == "->")
    return l.words[n - 1];
  return "";
}

} // namespace

std::string abbreviateHex(const std::string &text) {
  std::string out;
  for (const std::string &word : splitWords(text)) {
    bool bulky =
        word.size() > 16 &&
        word.find_first_not_of("0123456789abcdefABCDEF") == std::string::npos;
    out += (out.empty() ? "" : " ") +
           (bulky ? "<" + std::to_string(word.size() / 2) + " bytes>" : word);
  }
  return out;
}

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

bool applyTovrikLine(const LogLine &l, TovrikState *s, std::string *note) {
  const std::vector<std::string> &w = l.words;
  if (w.empty())
    return false;
  TovrikState before = *s;
  if (w[0] == "led-control" && w.size() >= 3) {
    if (std::atol(w[1].c_str()) == kPerKeyControlSelector) {
      s->sdkMode = std::atol(w[2].c_str()) != 0;
      *note = s->sdkMode ? "per-key control on" : "per-key control off";
    }
  } else if (w[0] == "light-control" && w.size() >= 3) {
    uint32_t wp = 0, lp = 0;
    if (!parseU32(w[1], &wp) || !parseU32(w[2], &lp))
      return false;
    if (wp == kRestoreSelector) {
      s->restored = true;
      *note = "light handed back";
    } else {
      s->restored = false;
      s->colour = lp & 0xFFFFFF;
      *note = "colour " + rgbText(s->colour);
    }
  } else if (w[0] == "keys" && w.size() >= 3) {
    std::vector<uint8_t> data;
    if (!parseHex(w[2], &data) || data.size() < kTovrikBitmapBytes)
      return false;
    std::memcpy(s->bitmap, data.data(), kTovrikBitmapBytes);
    *note = "keys";
  } else {
    return false;
  }
  return std::memcmp(&before.bitmap, s->bitmap, kTovrikBitmapBytes) != 0 ||
         before.colour != s->colour || before.sdkMode != s->sdkMode ||
         before.restored != s->restored;
}

// A grid entry is one little-endian 32-bit colour.
constexpr size_t kColourBytes = 4;
constexpr size_t kGridBytes = kDuvekCells * kColourBytes;

bool composeDuvekEffect(int type, const std::vector<uint8_t> &block,
                        uint32_t *cells) {
  switch (type) {
  case kEffectOff:
    std::fill(cells, cells + kDuvekCells, 0u);
    return true;
  case kEffectColorGrid:
    if (block.size() < kGridBytes)
      return false;
    for (int i = 0; i < kDuvekCells; i++)
      cells[i] = effectToRgb(readLe32(block, i * kColourBytes));
    return true;
  case kEffectSingleColor:
    if (block.size() < kColourBytes)
      return false;
    std::fill(cells, cells + kDuvekCells, effectToRgb(readLe32(block, 0)));
    return true;
  case kEffectKeyGrid:
    if (block.size() < 2 * kGridBytes)
      return false;
    for (int i = 0; i < kDuvekCells; i++) {
      uint32_t key = readLe32(block, kGridBytes + i * kColourBytes);
      uint32_t base = readLe32(block, i * kColourBytes);
      cells[i] = effectToRgb(key & kDuvekKeySetFlag ? key : base);
    }
    return true;
  default:
    return false;
  }
}

bool applyDuvekLine(const LogLine &l, DuvekState *s, std::string *note) {
  const std::vector<std::string> &w = l.words;
  if (w.size() < 4 || w[0] != "CreateKeyboardEffect")
    return false;
  int type = std::atoi(w[1].c_str());
  std::vector<uint8_t> block;
  if (w[2] != "null" && !parseHex(w[2], &block))
    return false;
  DuvekState next = *s;
  if (!composeDuvekEffect(type, block, next.cells))
    return false;
  next.effect = type;
  static const char *const kNames[] = {"off",           "?", "colour grid", "?",
                                       "single colour", "?", "?",           "?",
                                       "key grid"};
  *note = std::string("effect ") + std::to_string(type) + " (" +
          (type >= 0 && type <= 8 ? kNames[type] : "?") + ") -> " + resultOf(l);
  bool changed = next.effect != s->effect ||
                 std::memcmp(next.cells, s->cells, sizeof next.cells) != 0;
  *s = next;
  return changed;
}

uint8_t percentToByte(int32_t percent) {
  int32_t p = std::clamp<int32_t>(percent, 0, 100);
  return static_cast<uint8_t>((p * 255 + 50) / 100);
}

namespace {

uint32_t percentRgb(const std::vector<std::string> &w, size_t at) {
  uint32_t rgb = 0;
  for (size_t i = 0; i < 3; i++)
    rgb = rgb << 8 | percentToByte(std::atoi(w[at + i].c_str()));
  return rgb;
}

bool ulvoranArgs(const std::vector<std::string> &w, size_t n) {
  return w.size() >= n + 1 + 2; // entry, n args, "->", result
}

} // namespace

bool applyUlvoranLine(const LogLine &l, UlvoranState *s, std::string *note) {
  const std::vector<std::string> &w = l.words;
  if (w.empty() || w[0].rfind("UlvoLed", 0) != 0)
    return false;
  *note = abbreviateHex(l.text);
  const std::string name = w[0].substr(7);
  if (name == "SetLighting" && ulvoranArgs(w, 3)) {
    s->haveColour = true;
    s->colour = percentRgb(w, 1);
    s->keys.clear();
    s->bitmap.clear();
  } else if (name == "SetLightingFromBitmap" && ulvoranArgs(w, 1)) {
    s->bitmap.clear();
    parseHex(w[1], &s->bitmap);
    s->keys.clear();
  } else if (name.rfind("SetLightingForKeyWith", 0) == 0 && ulvoranArgs(w, 4)) {
    UlvoranKey k{name.substr(21), std::atoi(w[1].c_str()), percentRgb(w, 2)};
    auto same = [&](const UlvoranKey &o) {
      return o.how == k.how && o.key == k.key;
    };
    s->keys.erase(std::remove_if(s->keys.begin(), s->keys.end(), same),
                  s->keys.end());
    s->keys.push_back(k);
  } else if (name == "FlashLighting" || name == "PulseLighting" ||
             name == "FlashSingleKey" || name == "PulseSingleKey") {
    s->effect = l.text.substr(0, l.text.find(" ->"));
  } else if (name == "StopEffects" || name == "StopEffectsOnKey") {
    s->effect.clear();
  } else if (name == "RestoreLighting") {
    s->haveColour = false;
    s->keys.clear();
    s->bitmap.clear();
  } else {
    return false; // init, target device, save, shutdown: nothing to see
  }
  return true;
}

bool FlashTiming::complete() const {
  return stepUs[0] >= 0 && stepUs[1] >= 0 && stepUs[2] >= 0 && stepUs[3] >= 0;
}

double FlashTiming::stepMs(int i) const {
  if (stepUs[i] < 0 || stepUs[i + 1] < 0)
    return -1.0;
  return static_cast<double>(stepUs[i + 1] - stepUs[i]) / 1000.0;
}

namespace {

// Flash steps as the logs show them: every key lit, every key dark, and
// anything else (the redraw).
enum class Step { Red, Dark, Other, None };

struct Event {
  int64_t us;
  Step step;
  int line = 0;
  bool claimed = false;
  LogLine log;
};

Step tovrikStep(const LogLine &l) {
  if (l.words.size() < 3 || l.words[0] != "keys")
    return Step::None;
  std::vector<uint8_t> data;
  if (!parseHex(l.words[2], &data) || data.size() < kTovrikBitmapBytes)
    return Step::None;
  bool all = true, none = true;
  for (int i = 0; i < kTovrikBitmapBytes; i++) {
    all = all && data[i] == 0xFF;
    none = none && data[i] == 0;
  }
  return all ? Step::Red : none ? Step::Dark : Step::Other;
}

Step duvekStep(const LogLine &l) {
  if (l.words.size() < 2 || l.words[0] != "CreateKeyboardEffect")
    return Step::None;
  int type = std::atoi(l.words[1].c_str());
  return type == kEffectColorGrid ? Step::Red
         : type == kEffectOff     ? Step::Dark
                                  : Step::Other;
}

// Claims the unclaimed event of that step nearest to the expected time,
// no earlier than notBefore and within the slack.
int claimNearest(std::vector<Event> &events, Step step, int64_t expected,
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

void matchFlashes(Timeline *t, Board board, const Session &session,
                  const std::vector<PlayerCall> &calls,
                  std::vector<Event> &events) {
  static const int64_t kOffsets[4] = {0, 100000, 200000, 280000};
  static const Step kSteps[4] = {Step::Red, Step::Dark, Step::Red, Step::Other};
  size_t first = t->flashes.size();
  for (const PlayerCall &c : calls) {
    if (!isFlashCall(session, c.line))
      continue;
    FlashTiming f;
    f.board = board;
    f.line = c.line;
    f.callUs = c.us;
    int64_t at = c.us;
    for (int k = 0; k < 4; k++) {
      // The first red comes when the worker starts, which on a busy or
      // emulated machine can take well over 100 ms; the others follow it
      // by the pauses.
      int64_t expected = k == 0 ? c.us : f.stepUs[0] + kOffsets[k];
      int64_t slack = k == 0 ? 1000000 : 60000;
      if (k > 0 && f.stepUs[0] < 0)
        break;
      int i = claimNearest(events, kSteps[k], expected, at, slack);
      if (i < 0)
        break;
      f.stepUs[k] = events[i].us;
      events[i].line = c.line;
      at = events[i].us;
    }
    // Colour posts next to a step (the red before the first, the key colour
    // with the redraw) share the flash's cause.  A posted message can reach
    // the service after a later sent one, so "next to" goes both ways.
    for (Event &e : events) {
      for (int k = 0; k < 4 && e.step == Step::None; k++) {
        if (f.stepUs[k] >= 0 && std::llabs(e.us - f.stepUs[k]) <= 5000)
          e.line = c.line;
      }
    }
    t->flashes.push_back(f);
  }
  for (size_t i = first; i < t->flashes.size(); i++) {
    for (size_t j = first; j < t->flashes.size(); j++) {
      const FlashTiming &a = t->flashes[i], &b = t->flashes[j];
      if (i != j && b.callUs >= a.callUs && b.callUs < a.callUs + 300000)
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

} // namespace

namespace {

Step stepOf(Library lib, const LogLine &l) {
  switch (lib) {
  case Library::Tovrik:
    return tovrikStep(l);
  case Library::Duvek:
    return duvekStep(l);
  default:
    return Step::None;
  }
}

} // namespace

void addBoard(Timeline *t, Board board, const Session &session,
              const RunLogs &logs) {
  const int index = boardIndex(board);
  t->startUs[index] = logs.player.startUs;
  std::vector<PlayerCall> calls;
  for (const PlayerCall &c : logs.player.calls) {
    for (const Call &sc : session.calls) {
      if (sc.line == c.line && sc.method->library == board.library)
        calls.push_back(c);
    }
  }
  t->boardCalls[index] = calls;

  std::vector<Event> events;
  for (const LogLine &l : logs.lines) {
    if (l.us < 0)
      continue;
    Event e{l.us, stepOf(board.library, l), causeOf(calls, l.us), false, l};
    events.push_back(e);
  }
  if (board.library != Library::Ulvoran)
    matchFlashes(t, board, session, calls, events);

  TovrikState tv;
  DuvekState dv;
  UlvoranState uv;
  for (const Event &e : events) {
    std::string note;
    bool changed = false;
    if (board.library == Library::Tovrik)
      changed = applyTovrikLine(e.log, &tv, &note);
    else if (board.library == Library::Duvek)
      changed = applyDuvekLine(e.log, &dv, &note);
    else {
      changed = applyUlvoranLine(e.log, &uv, &note);
      if (e.log.words.size() && e.log.words[0].rfind("UlvoLed", 0) == 0)
        t->ulvoranCalls.push_back({board, e.us, e.line, e.log.text});
    }
    if (!changed)
      continue;
    Picture p;
    p.board = board;
    p.us = e.us;
    p.line = e.line;
    p.note = note;
    p.tovrik = tv;
    p.duvek = dv;
    p.ulvoran = uv;
    // Lines of one call that land within a few milliseconds of each other
    // (a colour post and its frame) make one moment, not two.
    if (!t->pictures.empty()) {
      Picture &last = t->pictures.back();
      if (last.board == board && last.line == p.line && p.us - last.us < 5000) {
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
