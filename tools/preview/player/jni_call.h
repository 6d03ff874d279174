// Calling a library's native methods the way the Java host does: look the
// export up by its JNI name (decorated on 32-bit x86) and call it with the
// JNI environment, a class reference and the Java arguments, __stdcall.
#ifndef PREVIEW_JNI_CALL_H
#define PREVIEW_JNI_CALL_H

#include "session.h"

#include <windows.h>

#include <string>

namespace preview {

// "Java_eu_velquor_..._init", or "_Java_..._init@8" on 32-bit x86.
std::string exportName(const Method &m);

// Calls the export with the call's arguments; *result gets the Java result
// as text ("true", "-1", "" for void).
void callNative(FARPROC fn, const Call &call, std::string *result);

} // namespace preview

#endif
