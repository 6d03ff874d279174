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

template <int N> int countOf(const Method (&)[N]) { return N; }

} // namespace

const char *libraryName(Library lib) {
  switch (lib) {
  case Library::Tovrik:
    return "tovrik";
  case Library::Duvek:
    return "duvek";
  case Library::Ulvoran:
    return "ulvoran";
  }
  return "?";
}

bool parseLibrary(const std::string &word, Library *lib) {
  for (Library l : {Library::Tovrik, Library::Duvek, Library::Ulvoran}) {
    if (word == libraryName(l)) {
      *lib = l;
      return true;
    }
  }
  return false;
}

const Method *methodsOf(Library lib, int *count) {
  switch (lib) {
  case Library::Tovrik:
    *count = countOf(kTovrik);
    return kTovrik;
  case Library::Duvek:
    *count = countOf(kDuvek);
    return kDuvek;
  case Library::Ulvoran:
    *count = countOf(kUlvoran);
    return kUlvoran;
  }
  *count = 0;
  return nullptr;
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
