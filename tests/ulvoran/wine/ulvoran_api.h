// The nineteen exports of UlvoranLedJNI, bound by their exact names from a
// DLL path: decorated stdcall names on 32-bit Windows, plain ones on 64-bit
// Windows and on the host build (where LoadLibraryA is dlopen).
#ifndef ULVORAN_API_H
#define ULVORAN_API_H

#include "jni_export.h"

namespace ulvoran_api {

VELQUOR_JNI_API(Api, ULVORAN_EXPORT_PREFIX, ULVORAN_METHODS);

} // namespace ulvoran_api

#endif
