#include "runs.h"

namespace preview {

const char *standInLogOf(Library lib) {
  switch (lib) {
  case Library::Tovrik:
    return "tovrik.log";
  case Library::Duvek:
    return "dvglow.log";
  default:
    return "ulvo.log";
  }
}

RunLogs readRunLogs(const std::string &dir, Library lib) {
  RunLogs r;
  r.player = readPlayerLog(readLog(dir + "/player.log"));
  r.lines = readLog(dir + "/" + standInLogOf(lib));
  return r;
}

void addRun(Timeline *t, Build build, const Session &session,
            const std::string &dir) {
  for (int i = 0; i < kLibraries; i++) {
    Board board{static_cast<Library>(i), build};
    addBoard(t, board, session, readRunLogs(dir, board.library));
  }
}

} // namespace preview
