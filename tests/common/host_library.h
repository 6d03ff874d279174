// For host tests that load a library by path as a JVM would: whether the
// dynamic loader still has it mapped (a running worker may hold it after
// the last FreeLibrary).
#ifndef VELQUOR_HOST_LIBRARY_H
#define VELQUOR_HOST_LIBRARY_H

#include <dlfcn.h>

inline bool libraryMapped(const char *path) {
  void *h = dlopen(path, RTLD_NOW | RTLD_NOLOAD);
  if (h)
    dlclose(h);
  return h != nullptr;
}

#endif
