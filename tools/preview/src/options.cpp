#include "options.h"

#include <cstring>

namespace preview {

namespace {

const Option *findOption(const char *name, const Option *options, int count) {
  for (int i = 0; i < count; i++) {
    if (std::strcmp(options[i].name, name) == 0)
      return &options[i];
  }
  return nullptr;
}

} // namespace

bool parseOptions(int argc, char **argv, const Option *options, int count) {
  for (int i = 1; i < argc; i++) {
    const Option *o = findOption(argv[i], options, count);
    if (!o)
      return false;
    if (o->flag) {
      *o->flag = true;
      continue;
    }
    if (i + 1 >= argc)
      return false;
    *o->text = argv[++i];
  }
  return true;
}

} // namespace preview
