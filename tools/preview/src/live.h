// The keyboards in a true-colour terminal, redrawn as the session plays.
#ifndef PREVIEW_LIVE_H
#define PREVIEW_LIVE_H

#include "lighting.h"

#include <string>

namespace preview {

// The board as terminal text with 24-bit colour escapes, one text line per
// key row; ends with a reset.
std::string terminalBoard(const Picture &p);

} // namespace preview

#endif
