// The three libraries and the native methods a session may call: for each
// library its name, its Java class's methods with their Java parameter
// types, and where its stand-in logs, so that a session line can be checked
// before anything is played and the player knows how to call it.
#ifndef PREVIEW_METHODS_H
#define PREVIEW_METHODS_H

#include <string>

namespace preview {

enum class Library { Tovrik, Duvek, Ulvoran };
constexpr int kLibraries = 3;
constexpr Library kAllLibraries[kLibraries] = {Library::Tovrik, Library::Duvek,
                                               Library::Ulvoran};

// Java parameter and result kinds that the three classes use.
enum class Kind { Int, Float, Boolean, Bytes, Void, Long };

struct Method {
  Library library;
  const char *name;
  Kind result;
  int argCount;
  Kind args[9];
};

struct LibraryInfo {
  const char *name;         // "tovrik", as sessions and pictures name it
  const char *exportPrefix; // the JNI export names before the method's name
  const char *standInLog;   // the stand-in's log in a run folder
  const char *startMethod;  // whose result tells whether it found its vendor
  const Method *methods;    // in declaration order
  int methodCount;
};

const LibraryInfo &libraryInfo(Library lib);

const char *libraryName(Library lib);
bool parseLibrary(const std::string &word, Library *lib);

// The method of that library with that name, or null.
const Method *findMethod(Library lib, const std::string &name);

// Every method of the library, in declaration order; *count gets the number.
const Method *methodsOf(Library lib, int *count);

} // namespace preview

#endif
