#include "jni_call.h"

#include <jni.h>

#include "mini_jni.h"

#include <cstdio>
#include <vector>

namespace preview {

namespace {

// The JNI environment the libraries are called with: of its functions they
// use only the two that read a byte array back.
mini_jni::Env &environment() {
  static mini_jni::Env env;
  return env;
}

// The class reference is never used by the libraries; any non-null value.
jclass theClass() { return reinterpret_cast<jclass>(0x1000); }

template <typename R, typename... A> R invoke(FARPROC fn, A... args) {
  typedef R(JNICALL * F)(JNIEnv *, jclass, A...);
  return reinterpret_cast<F>(reinterpret_cast<void *>(fn))(environment().jni(),
                                                           theClass(), args...);
}

std::string signature(const Method &m) {
  std::string s;
  for (int i = 0; i < m.argCount; i++) {
    Kind k = m.args[i];
    s += k == Kind::Int       ? 'I'
         : k == Kind::Float   ? 'F'
         : k == Kind::Boolean ? 'Z'
                              : 'B';
  }
  return s;
}

template <typename R> R dispatch(FARPROC fn, const Call &c, jbyteArray array) {
  const std::vector<Value> &a = c.args;
  auto I = [&](int n) { return static_cast<jint>(a[n].i); };
  auto F = [&](int n) { return static_cast<jfloat>(a[n].f); };
  auto Z = [&](int n) { return static_cast<jboolean>(a[n].z ? 1 : 0); };
  std::string sig = signature(*c.method);
  if (sig == "")
    return invoke<R>(fn);
  if (sig == "I")
    return invoke<R>(fn, I(0));
  if (sig == "II")
    return invoke<R>(fn, I(0), I(1));
  if (sig == "Z")
    return invoke<R>(fn, Z(0));
  if (sig == "FF")
    return invoke<R>(fn, F(0), F(1));
  if (sig == "B")
    return invoke<R>(fn, array);
  if (sig == "III")
    return invoke<R>(fn, I(0), I(1), I(2));
  if (sig == "IIII")
    return invoke<R>(fn, I(0), I(1), I(2), I(3));
  if (sig == "IIIII")
    return invoke<R>(fn, I(0), I(1), I(2), I(3), I(4));
  if (sig == "IIIIII")
    return invoke<R>(fn, I(0), I(1), I(2), I(3), I(4), I(5));
  if (sig == "IIIIIIIIZ")
    return invoke<R>(fn, I(0), I(1), I(2), I(3), I(4), I(5), I(6), I(7), Z(8));
  std::fprintf(stderr, "player: no call shape for %s\n", sig.c_str());
  return R();
}

// Only 32-bit export names carry the argument size.
[[maybe_unused]] int argumentBytes(const Method &m) {
  return 8 + 4 * m.argCount; // every Java argument here takes 4 bytes
}

} // namespace

std::string exportName(const Method &m) {
  std::string plain = std::string(libraryInfo(m.library).exportPrefix) + m.name;
#if defined(_WIN64)
  return plain;
#else
  return "_" + plain + "@" + std::to_string(argumentBytes(m));
#endif
}

void callNative(FARPROC fn, const Call &c, std::string *result) {
  jbyteArray array = nullptr;
  if (!c.args.empty() && c.method->args[0] == Kind::Bytes) {
    const std::vector<uint8_t> &b = c.args[0].bytes;
    array = environment().array(b.data(), static_cast<jsize>(b.size()));
  }
  char buf[32];
  switch (c.method->result) {
  case Kind::Void:
    dispatch<void>(fn, c, array);
    result->clear();
    break;
  case Kind::Boolean:
    *result = dispatch<jboolean>(fn, c, array) ? "true" : "false";
    break;
  case Kind::Long:
    std::snprintf(buf, sizeof buf, "%lld",
                  static_cast<long long>(dispatch<jlong>(fn, c, array)));
    *result = buf;
    break;
  default:
    std::snprintf(buf, sizeof buf, "%ld",
                  static_cast<long>(dispatch<jint>(fn, c, array)));
    *result = buf;
    break;
  }
}

} // namespace preview
