// The virtual effect library's sink: the stand-in's seven entry points
// (tests/duvek/standin/dvglow.cpp) hand every call here, and the 6 x 22
// grid is drawn in a window of its own from "Init" to "UnInit".  Effects
// are composed on the caller's thread (a few hundred bytes) and drawn on the
// window's.
#include "dvglow_sink.h"

#include "duvek.h"
#include "live_view.h"

#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

struct Glow {
  CRITICAL_SECTION lock;
  preview::DuvekState state;
  std::string note = "no effect yet";
  int effects = 0;
  Glow() { InitializeCriticalSection(&lock); }
};

Glow glow;

preview::Image drawGlow() {
  EnterCriticalSection(&glow.lock);
  preview::DuvekState state = glow.state;
  std::string note = glow.note;
  int effects = glow.effects;
  LeaveCriticalSection(&glow.lock);
  return preview::drawDuvekBoard(
      state, note,
      "virtual effect library: " + std::to_string(effects) + " effects");
}

const char *effectName(int type) {
  switch (type) {
  case preview::kEffectOff:
    return "dark";
  case preview::kEffectColorGrid:
    return "colour grid";
  case preview::kEffectSingleColor:
    return "one colour";
  case preview::kEffectKeyGrid:
    return "key grid over base grid";
  default:
    return nullptr;
  }
}

} // namespace

void dvglow_sink_call(const char *entry, bool, int) {
  if (std::strcmp(entry, "Init") == 0)
    virtualkb::liveViewOpen(L"DvGlowSDK (virtual)", drawGlow, "duvek");
  else if (std::strcmp(entry, "UnInit") == 0)
    virtualkb::liveViewClose();
}

void dvglow_sink_effect(int type, const void *param, unsigned size, bool, bool,
                        int) {
  const auto *p = static_cast<const uint8_t *>(param);
  std::vector<uint8_t> block(p, p + (p ? size : 0));
  uint32_t cells[preview::kDuvekCells];
  bool shown = preview::composeDuvekEffect(type, block, cells);
  const char *name = effectName(type);
  std::string note = "effect " + std::to_string(type) + " (" +
                     (name ? name : "unknown") + ")" +
                     (shown ? "" : ": not shown, its block is unknown");
  EnterCriticalSection(&glow.lock);
  if (shown) {
    std::memcpy(glow.state.cells, cells, sizeof cells);
    glow.state.effect = type;
  }
  glow.note = note;
  glow.effects++;
  LeaveCriticalSection(&glow.lock);
  virtualkb::liveViewChanged();
}

int dvglow_sink_effect_result() { return 0; }
