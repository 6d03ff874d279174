// Where the LED engine's entries (ulvo_engine.cpp) report their calls: the
// stand-in's recorder (ulvo_stub.cpp) for the tests and the preview, or the
// virtual engine's window (tools/virtual).
#ifndef ULVO_SINK_H
#define ULVO_SINK_H

#include <string>

// False: the entries only return their result and format nothing (for
// timing the call itself).
bool ulvo_sink_listening();
// What an entry returns; "UlvoLedInit" asks with init true.
unsigned char ulvo_sink_result(bool init);
// How many bytes "UlvoLedSetLightingFromBitmap" reads of its argument.
int ulvo_sink_bitmap_bytes();
// One call as "<EntryName> <args in decimal> -> <result>".
void ulvo_sink_record(const std::string &line);

#endif
