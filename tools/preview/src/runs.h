// A run folder: what one build's player run left behind, its own log
// (player.log) and one log per stand-in (tovrik.log, dvglow.log, ulvo.log).
#ifndef PREVIEW_RUNS_H
#define PREVIEW_RUNS_H

#include "lighting.h"

#include <string>

namespace preview {

// The player's log and the library's stand-in log from a run folder.
RunLogs readRunLogs(const std::string &dir, Library lib);

// Adds the boards of all three libraries as that build played them in the
// run folder.
void addRun(Timeline *timeline, Build build, const Session &session,
            const std::string &dir);

} // namespace preview

#endif
