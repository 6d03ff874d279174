// Where the stand-in effect library reports its calls.
#ifndef DVGLOW_SINK_H
#define DVGLOW_SINK_H

// A call without a parameter block ("Init", "UnInit", the unused entries).
void dvglow_sink_call(const char *entry, bool late, int rc);
// A "CreateKeyboardEffect" call; size bytes of param are copied.
void dvglow_sink_effect(int type, const void *param, unsigned size,
                        bool thirdNonNull, bool late, int rc);
// What "CreateKeyboardEffect" returns, as the test chose.
int dvglow_sink_effect_result();

#endif
