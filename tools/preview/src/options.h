// Command-line options of the preview's programs: "--name value" pairs and
// lone flags, in any order, each read into the caller's variable.  Plain
// C++, shared by the host renderer and the Windows player.
#ifndef PREVIEW_OPTIONS_H
#define PREVIEW_OPTIONS_H

#include <string>

namespace preview {

struct Option {
  const char *name;  // "--session"
  std::string *text; // gets the value that follows; null for a flag
  bool *flag;        // set when the flag is given; null for a value
};

// Reads argv[1..argc-1]; false on an unknown option or a value missing at
// the end.  A later option of the same name wins.
bool parseOptions(int argc, char **argv, const Option *options, int count);

template <int N>
bool parseOptions(int argc, char **argv, const Option (&options)[N]) {
  return parseOptions(argc, argv, options, N);
}

} // namespace preview

#endif
