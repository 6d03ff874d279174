// The virtual LED engine's sink: the stand-in's nineteen entries
// (tests/ulvoran/standin/ulvo_engine.cpp) hand every call here as one line,
// which the preview's reader turns into the board's state; the window, open
// from "UlvoLedInit" to "UlvoLedShutdown", draws the whole-board colour, the
// last bitmap and the latest calls.
#include "ulvo_sink.h"

#include "live_view.h"
#include "logs.h"
#include "ulvoran.h"

#include <windows.h>

#include <algorithm>
#include <deque>
#include <string>

namespace {

constexpr size_t kLogLines = 16;
constexpr int kLineHeight = 14;
constexpr uint32_t kLogInk = 0xC8C8D0;

struct Led {
  CRITICAL_SECTION lock;
  preview::UlvoranState state;
  std::deque<std::string> log; // the latest calls, oldest first
  int calls = 0;
  Led() { InitializeCriticalSection(&lock); }
};

Led led;

// The picture with the log of calls added below it.
preview::Image withLog(const preview::Image &board,
                       const std::deque<std::string> &log) {
  int height = board.height + 24 + static_cast<int>(kLogLines) * kLineHeight;
  preview::Image img =
      preview::makeImage(board.width, height, preview::kBackground);
  std::copy(board.rgb.begin(), board.rgb.end(), img.rgb.begin());
  int y = board.height + 8;
  preview::drawText(&img, preview::kMargin, y, "latest calls:", preview::kNote,
                    1);
  for (const std::string &line : log) {
    y += kLineHeight;
    preview::drawText(&img, preview::kMargin, y, line, kLogInk, 1);
  }
  return img;
}

preview::Image drawLed() {
  EnterCriticalSection(&led.lock);
  preview::UlvoranState state = led.state;
  std::deque<std::string> log = led.log;
  int calls = led.calls;
  LeaveCriticalSection(&led.lock);
  return withLog(
      preview::drawUlvoranBoard(
          state, "", "virtual LED engine: " + std::to_string(calls) + " calls"),
      log);
}

bool startsWith(const std::string &s, const char *prefix) {
  return s.rfind(prefix, 0) == 0;
}

} // namespace

bool ulvo_sink_listening() { return true; }

unsigned char ulvo_sink_result(bool) { return 1; }

// Six rows of 24 keys, one byte each, as the stand-in reads by default.
int ulvo_sink_bitmap_bytes() { return 144; }

void ulvo_sink_record(const std::string &line) {
  preview::LogLine parsed;
  std::string note;
  bool ok = preview::parseLogLine(line, &parsed);
  EnterCriticalSection(&led.lock);
  if (ok)
    preview::applyUlvoranLine(parsed, &led.state, &note);
  led.log.push_back(preview::abbreviateHex(line));
  if (led.log.size() > kLogLines)
    led.log.pop_front();
  led.calls++;
  LeaveCriticalSection(&led.lock);
  if (startsWith(line, "UlvoLedInit "))
    virtualkb::liveViewOpen(L"LED engine (virtual)", drawLed, "ulvoran");
  else if (startsWith(line, "UlvoLedShutdown "))
    virtualkb::liveViewClose();
  else
    virtualkb::liveViewChanged();
}
