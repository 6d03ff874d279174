#include "methods.h"

#include <cstring>

#include "jni_methods.h"

namespace preview {

namespace {

// The kind of each Java type as the JVM passes it.
template <class T> constexpr Kind kindOf();
template <> constexpr Kind kindOf<jint>() { return Kind::Int; }
template <> constexpr Kind kindOf<jfloat>() { return Kind::Float; }
template <> constexpr Kind kindOf<jboolean>() { return Kind::Boolean; }
template <> constexpr Kind kindOf<jbyteArray>() { return Kind::Bytes; }
template <> constexpr Kind kindOf<void>() { return Kind::Void; }
template <> constexpr Kind kindOf<jlong>() { return Kind::Long; }

// A method's row from its C signature: the JNI environment and the class or
// object reference come first and are not the Java method's.
template <class Fn> struct Row;
template <class R, class Env, class Self, class... A>
struct Row<R(Env, Self, A...)> {
  static constexpr Method of(Library lib, const char *name) {
    return Method{lib,
                  name,
                  kindOf<R>(),
                  static_cast<int>(sizeof...(A)),
                  {kindOf<A>()...}};
  }
};

#define PREVIEW_TOVRIK(ret, name, params)                                      \
  Row<ret params>::of(Library::Tovrik, #name),
#define PREVIEW_DUVEK(ret, name, params)                                       \
  Row<ret params>::of(Library::Duvek, #name),
#define PREVIEW_ULVORAN(ret, name, params)                                     \
  Row<ret params>::of(Library::Ulvoran, #name),

const Method kTovrik[] = {TOVRIK_METHODS(PREVIEW_TOVRIK)};
const Method kDuvek[] = {DUVEK_METHODS(PREVIEW_DUVEK)};
const Method kUlvoran[] = {ULVORAN_METHODS(PREVIEW_ULVORAN)};

template <int N> constexpr int countOf(const Method (&)[N]) { return N; }

// In the order of Library.
const LibraryInfo kLibraryInfo[kLibraries] = {
    {"tovrik", TOVRIK_EXPORT_PREFIX, "tovrik.log", "init", kTovrik,
     countOf(kTovrik)},
    {"duvek", DUVEK_EXPORT_PREFIX, "dvglow.log", "init0", kDuvek,
     countOf(kDuvek)},
    {"ulvoran", ULVORAN_EXPORT_PREFIX, "ulvo.log", "UlvoLedInit", kUlvoran,
     countOf(kUlvoran)},
};

} // namespace

const LibraryInfo &libraryInfo(Library lib) {
  return kLibraryInfo[static_cast<int>(lib)];
}

const char *libraryName(Library lib) { return libraryInfo(lib).name; }

bool parseLibrary(const std::string &word, Library *lib) {
  for (Library l : kAllLibraries) {
    if (word == libraryName(l)) {
      *lib = l;
      return true;
    }
  }
  return false;
}

const Method *methodsOf(Library lib, int *count) {
  *count = libraryInfo(lib).methodCount;
  return libraryInfo(lib).methods;
}

const Method *findMethod(Library lib, const std::string &name) {
  int n = 0;
  const Method *m = methodsOf(lib, &n);
  for (int i = 0; i < n; i++) {
    if (name == m[i].name)
      return &m[i];
  }
  return nullptr;
}

} // namespace preview
