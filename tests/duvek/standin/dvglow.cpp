// Stand-in for the vendor effect library "DvGlowSDK.dll": the seven entry
// points as plain C functions of the default calling convention.  Each call
// is handed to a recorder with a copy of its parameter block; on the host the
// recorder is a small library of the tests, on Windows a log file.
//
// Variants are built from this one file:
//   DVGLOW_WITHOUT_INIT, DVGLOW_WITHOUT_QUERYDEVICE, DVGLOW_WITHOUT_UNINIT
//     leave that entry point out of the export table;
//   DVGLOW_INIT_RESULT=n makes "Init" return n (default 0);
//   DVGLOW_SILENT records nothing: "CreateKeyboardEffect" only returns 0.
#include "dvglow_sink.h"

#ifndef DVGLOW_INIT_RESULT
#define DVGLOW_INIT_RESULT 0
#endif

#ifdef _WIN32
#define DVGLOW_EXPORT extern "C" __declspec(dllexport)
#else
#define DVGLOW_EXPORT extern "C" __attribute__((visibility("default")))
#endif

namespace {

// Effects are legal only between "Init" and "UnInit" of one load, and
// "UnInit" only once per load (it is legal without "Init": a caller stops a
// library whose "Init" failed).  A load starts afresh, so anything that
// reaches a library loaded again without "Init" is noticed too.  Plain
// memory on purpose: the caller must order its calls, and ThreadSanitizer
// tells when it does not.
bool started = false;
bool stopped = false;

[[maybe_unused]] unsigned blockSize(int type) {
  switch (type) {
  case 2:
    return 528;
  case 4:
    return 4;
  case 8:
    return 1056;
  default:
    return 0;
  }
}

int unusedEntry(const char *name) {
  dvglow_sink_call(name, stopped, 0);
  return 0;
}

} // namespace

#ifndef DVGLOW_WITHOUT_INIT
DVGLOW_EXPORT int Init(void) {
  started = true;
  dvglow_sink_call("Init", 0, DVGLOW_INIT_RESULT);
  return DVGLOW_INIT_RESULT;
}
#endif

DVGLOW_EXPORT int CreateEffect(void) { return unusedEntry("CreateEffect"); }
DVGLOW_EXPORT int SetEffect(void) { return unusedEntry("SetEffect"); }
DVGLOW_EXPORT int DeleteEffect(void) { return unusedEntry("DeleteEffect"); }

#ifndef DVGLOW_WITHOUT_QUERYDEVICE
DVGLOW_EXPORT int QueryDevice(void) { return unusedEntry("QueryDevice"); }
#endif

DVGLOW_EXPORT int CreateKeyboardEffect(int type, const void *param,
                                       void *effectId) {
#ifdef DVGLOW_SILENT
  (void)type;
  (void)param;
  (void)effectId;
  return 0;
#else
  int rc = dvglow_sink_effect_result();
  unsigned size = param ? blockSize(type) : 0;
  dvglow_sink_effect(type, param, size, effectId != nullptr, !started, rc);
  return rc;
#endif
}

#ifndef DVGLOW_WITHOUT_UNINIT
DVGLOW_EXPORT int UnInit(void) {
  bool late = stopped;
  started = false;
  stopped = true;
  dvglow_sink_call("UnInit", late, 0);
  return 0;
}
#endif
