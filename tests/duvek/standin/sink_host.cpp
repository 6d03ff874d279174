// Host sink: hands each call to the recorder library, which outlives every
// load of the stand-in.
#include "dvglow_recorder.h"
#include "dvglow_sink.h"

void dvglow_sink_call(const char *entry, bool late, int rc) {
  dvrec_add(entry, -1, nullptr, 0, false, late, rc);
}

void dvglow_sink_effect(int type, const void *param, unsigned size,
                        bool thirdNonNull, bool late, int rc) {
  dvrec_add("CreateKeyboardEffect", type, param, size, thirdNonNull, late, rc);
}

int dvglow_sink_effect_result() { return dvrec_effect_result(); }

__attribute__((constructor)) static void noteLoad() { dvrec_module(true); }
__attribute__((destructor)) static void noteUnload() { dvrec_module(false); }
