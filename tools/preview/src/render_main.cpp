// preview_render: turns the logs of one or two player runs into the preview
// folder, or with --live follows a run as it plays and redraws the
// keyboards in the terminal.
//
//   preview_render --session FILE --run32 DIR [--run64 DIR] --out DIR
//   preview_render --session FILE --live DIR
//   preview_render --session FILE --check
//
// A run folder holds player.log and the stand-ins' logs tovrik.log,
// dvglow.log and ulvo.log.
#include "lighting.h"
#include "live.h"
#include "report.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>

using namespace preview;

namespace {

struct Options {
  std::string session, run32, run64, out, live;
  bool check = false;
};

bool parseOptions(int argc, char **argv, Options *o) {
  if (argc == 4 && std::strcmp(argv[3], "--check") == 0 &&
      std::strcmp(argv[1], "--session") == 0) {
    o->session = argv[2];
    o->check = true;
    return true;
  }
  for (int i = 1; i + 1 < argc; i += 2) {
    std::string k = argv[i], v = argv[i + 1];
    if (k == "--session")
      o->session = v;
    else if (k == "--run32")
      o->run32 = v;
    else if (k == "--run64")
      o->run64 = v;
    else if (k == "--out")
      o->out = v;
    else if (k == "--live")
      o->live = v;
    else
      return false;
  }
  return argc % 2 == 1 && !o->session.empty() &&
         (!o->live.empty() ||
          ((!o->run32.empty() || !o->run64.empty()) && !o->out.empty()));
}

RunLogs runLogs(const std::string &dir, const char *log) {
  RunLogs r;
  r.player = readPlayerLog(readLog(dir + "/player.log"));
  r.lines = readLog(dir + "/" + log);
  return r;
}

Timeline buildTimeline(const Session &s, const std::string &run32,
                       const std::string &run64) {
  Timeline t;
  if (!run32.empty()) {
    addBoard(&t, Board::Tovrik, s, runLogs(run32, "tovrik.log"));
    addBoard(&t, Board::Duvek, s, runLogs(run32, "dvglow.log"));
    addBoard(&t, Board::UlvoranX86, s, runLogs(run32, "ulvo.log"));
  }
  if (!run64.empty())
    addBoard(&t, Board::UlvoranX64, s, runLogs(run64, "ulvo.log"));
  return t;
}

// Redraws the newest picture of every board whenever one is added, until the
// player writes its end line (or a generous minute passes without one).
int followLive(const Session &s, const std::string &dir) {
  size_t shown = static_cast<size_t>(-1);
  auto started = std::chrono::steady_clock::now();
  for (;;) {
    bool ended = readPlayerLog(readLog(dir + "/player.log")).ended;
    Timeline t = buildTimeline(s, dir, "");
    if (t.pictures.size() != shown) {
      shown = t.pictures.size();
      std::string screen = "\x1b[H\x1b[2J";
      for (Board b : {Board::Tovrik, Board::Duvek, Board::UlvoranX86}) {
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
    if (std::chrono::steady_clock::now() - started > std::chrono::minutes(5))
      return 1;
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
  }
}

} // namespace

int main(int argc, char **argv) {
  Options o;
  if (!parseOptions(argc, argv, &o)) {
    std::fprintf(stderr,
                 "usage: %s --session FILE (--run32 DIR [--run64 DIR] --out "
                 "DIR | --live DIR | --check)\n",
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
    return followLive(session, o.live);
  Timeline t = buildTimeline(session, o.run32, o.run64);
  std::error_code ec;
  std::filesystem::create_directories(o.out, ec);
  std::string error;
  if (!writeReport(o.out, t, session, text, &error)) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return 1;
  }
  for (const std::string &line : summaries(t, session))
    std::printf("%s\n", line.c_str());
  return 0;
}
