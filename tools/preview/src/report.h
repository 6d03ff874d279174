// Writes the preview folder: one PNG per picture, index.html with the
// pictures in order beside the session lines that caused them, states.txt
// with each picture's key states as text, and the one-line summaries.
#ifndef PREVIEW_REPORT_H
#define PREVIEW_REPORT_H

#include "lighting.h"
#include "session.h"

#include <string>
#include <vector>

namespace preview {

// Pictures in display order: the 32-bit run by time, then the 64-bit run.
std::vector<const Picture *> orderedPictures(const Timeline &t);

// "+123.4 ms  line 7: 100 tovrik update"
std::string captionOf(const Timeline &t, const Session &s, const Picture &p);

// The key states of a picture as one line of text.
std::string stateText(const Picture &p);

// One line per board that took part.
std::vector<std::string> summaries(const Timeline &t, const Session &s);

// Writes everything into dir (which must exist); false on a write error.
bool writeReport(const std::string &dir, const Timeline &t, const Session &s,
                 const std::string &sessionText, std::string *error);

} // namespace preview

#endif
