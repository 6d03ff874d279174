#include "runs.h"

namespace preview {

RunLogs readRunLogs(const std::string &dir, Library lib) {
  RunLogs r;
  r.player = readPlayerLog(readLog(dir + "/player.log"));
  r.lines = readLog(dir + "/" + libraryInfo(lib).standInLog);
  return r;
}

void addRun(Timeline *t, Build build, const Session &session,
            const std::string &dir) {
  for (Library lib : kAllLibraries)
    addBoard(t, {lib, build}, session, readRunLogs(dir, lib));
}

} // namespace preview
