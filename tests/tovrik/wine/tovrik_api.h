// The nine exports of Tovrik.dll, bound by their exact names, for Windows
// test programs and tools that load the real DLL.
#ifndef TOVRIK_API_H
#define TOVRIK_API_H

#include "jni_export.h"

VELQUOR_JNI_API(TovrikApi, TOVRIK_EXPORT_PREFIX, TOVRIK_METHODS);

#endif
