// preview_render: turns the logs of one or two player runs into the preview
// folder, or with --live follows a run as it plays and redraws the
// keyboards in the terminal.
//
//   preview_render --session FILE [--run32 DIR] [--run64 DIR] --out DIR
//   preview_render --session FILE --live DIR | --live64 DIR
//   preview_render --session FILE --check
//   preview_render --pixels PNG RRGGBB...
//
// --pixels counts the pixels of each colour (within a small tolerance) in a
// picture, such as a browser's screenshot of index.html, one count a line.
//
// A run folder holds player.log and the stand-ins' logs tovrik.log,
// dvglow.log and ulvo.log.  Each run given draws the boards of all three
// libraries in its build.
#include "draw.h"
#include "image.h"
#include "lighting.h"
#include "options.h"
#include "report.h"
#include "runs.h"

#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>

using namespace preview;

namespace {

// How long --live waits for the player's end line, and how often it looks.
constexpr std::chrono::minutes kLiveTimeout{5};
constexpr std::chrono::milliseconds kLivePoll{30};
// --pixels counts a pixel as the colour when each channel is within about
// this much of it (as a sum of squares over the three channels).
constexpr int kPixelTolerance = 8;

struct Options {
  std::string session, run32, run64, out, live;
  bool check = false;
  bool live64 = false;
};

bool parseOptions(int argc, char **argv, Options *o) {
  std::string live64;
  const Option table[] = {
      {"--session", &o->session, nullptr}, {"--run32", &o->run32, nullptr},
      {"--run64", &o->run64, nullptr},     {"--out", &o->out, nullptr},
      {"--live", &o->live, nullptr},       {"--live64", &live64, nullptr},
      {"--check", nullptr, &o->check},
  };
  if (!preview::parseOptions(argc, argv, table) || o->session.empty())
    return false;
  if (!live64.empty()) {
    o->live = live64;
    o->live64 = true;
  }
  bool runs = !o->run32.empty() || !o->run64.empty();
  // --check only reads the session: nothing else goes with it.
  if (o->check)
    return argc == 4;
  return !o->live.empty() || (runs && !o->out.empty());
}

Timeline buildTimeline(const Session &s, const std::string &run32,
                       const std::string &run64) {
  Timeline t;
  if (!run32.empty())
    addRun(&t, Build::X86, s, run32);
  if (!run64.empty())
    addRun(&t, Build::X64, s, run64);
  return t;
}

// Redraws the newest picture of every board whenever one is added, until the
// player writes its end line (or kLiveTimeout passes without one).
int followLive(const Session &s, const std::string &dir, bool is64) {
  size_t shown = static_cast<size_t>(-1);
  auto started = std::chrono::steady_clock::now();
  for (;;) {
    bool ended = readPlayerLog(readLog(dir + "/player.log")).ended;
    Timeline t = is64 ? buildTimeline(s, "", dir) : buildTimeline(s, dir, "");
    if (t.pictures.size() != shown) {
      shown = t.pictures.size();
      std::string screen = "\x1b[H\x1b[2J";
      for (int i = 0; i < kBoards; i++) {
        Board b = boardAt(i);
        const Picture *last = nullptr;
        for (const Picture &p : t.pictures)
          last = p.board == b ? &p : last;
        if (!last)
          continue;
        screen += captionOf(t, s, *last) + "  [" + last->note + "]\n";
        screen += terminalBoard(*last) + "\n";
      }
      std::fputs(screen.c_str(), stdout);
      std::fflush(stdout);
    }
    if (ended)
      return 0;
    if (std::chrono::steady_clock::now() - started > kLiveTimeout)
      return 1;
    std::this_thread::sleep_for(kLivePoll);
  }
}

// Pictures of an earlier run would otherwise stay beside the new ones.
void removeOldPictures(const std::string &dir) {
  std::error_code ec;
  for (const auto &e : std::filesystem::directory_iterator(dir, ec)) {
    std::string name = e.path().filename().string();
    bool numbered = name.size() > 8 && std::isdigit(name[0]) &&
                    std::isdigit(name[1]) && std::isdigit(name[2]) &&
                    name[3] == '-' && e.path().extension() == ".png";
    if (numbered)
      std::filesystem::remove(e.path(), ec);
  }
}

int countPixels(int argc, char **argv) {
  Image img;
  if (!readPng(argv[2], &img)) {
    std::fprintf(stderr, "%s: not a PNG picture\n", argv[2]);
    return 2;
  }
  for (int a = 3; a < argc; a++) {
    unsigned long rgb = std::strtoul(argv[a], nullptr, 16);
    long count = 0;
    const uint8_t *px = img.rgb.data();
    for (long i = 0; i < static_cast<long>(img.width) * img.height; i++) {
      int dr = px[i * 3] - static_cast<int>(rgb >> 16 & 0xFF);
      int dg = px[i * 3 + 1] - static_cast<int>(rgb >> 8 & 0xFF);
      int db = px[i * 3 + 2] - static_cast<int>(rgb & 0xFF);
      count +=
          dr * dr + dg * dg + db * db <= 3 * kPixelTolerance * kPixelTolerance;
    }
    std::printf("%s %ld\n", argv[a], count);
  }
  return 0;
}

} // namespace

int main(int argc, char **argv) {
  if (argc >= 4 && std::strcmp(argv[1], "--pixels") == 0)
    return countPixels(argc, argv);
  Options o;
  if (!parseOptions(argc, argv, &o)) {
    std::fprintf(stderr,
                 "usage: %s --session FILE ([--run32 DIR] [--run64 DIR] "
                 "--out DIR | --live[64] DIR | --check)\n",
                 argv[0]);
    return 2;
  }
  std::string text;
  if (!readFile(o.session, &text)) {
    std::fprintf(stderr, "%s: cannot read\n", o.session.c_str());
    return 2;
  }
  Session session;
  std::vector<std::string> errors;
  if (!parseSession(text, &session, &errors)) {
    for (const std::string &e : errors)
      std::fprintf(stderr, "%s:%s\n", o.session.c_str(), e.c_str());
    return 2;
  }
  if (o.check)
    return 0;
  if (!o.live.empty())
    return followLive(session, o.live, o.live64);
  Timeline t = buildTimeline(session, o.run32, o.run64);
  std::error_code ec;
  std::filesystem::create_directories(o.out, ec);
  removeOldPictures(o.out);
  std::string error;
  if (!writeReport(o.out, t, session, text, &error)) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return 1;
  }
  for (const std::string &line : summaries(t, session))
    std::printf("%s\n", line.c_str());
  return 0;
}
