// The host tests' record of every call made into the stand-in effect
// library.  It lives in a library of its own that the test program links, so
// that it survives the stand-in being freed and loaded again.
#ifndef DVGLOW_RECORDER_H
#define DVGLOW_RECORDER_H

#include <cstdint>
#include <string>
#include <vector>

struct DvCall {
  std::string entry;
  int type;                   // effect type; -1 for calls without one
  bool hasBlock;              // the second pointer was not null
  std::vector<uint8_t> block; // copy of the parameter block
  bool thirdNonNull;
  bool late; // arrived after "UnInit" or before "Init" of this load
  int rc;
  int64_t micros; // steady clock
};

#define DVREC_API __attribute__((visibility("default")))

// Stand-in side.
DVREC_API void dvrec_add(const char *entry, int type, const void *block,
                         unsigned size, bool thirdNonNull, bool late, int rc);
DVREC_API void dvrec_module(bool loaded);
DVREC_API int dvrec_effect_result();

// Test side.
DVREC_API std::vector<DvCall> dvrec_calls();
DVREC_API void dvrec_clear();
DVREC_API void dvrec_set_effect_result(int rc);
DVREC_API int dvrec_loads();
DVREC_API int dvrec_unloads();
DVREC_API bool dvrec_loaded();

#endif
