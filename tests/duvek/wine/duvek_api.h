// The nine exports of Duvek.dll, bound by their exact names, for Windows
// test programs and tools that load the real DLL of their bitness.
#ifndef DUVEK_API_H
#define DUVEK_API_H

#include "jni_export.h"

// The effect library's name that this build of Duvek loads first.
#ifdef _WIN64
constexpr const char *kEffectLibraryName = "DvGlowSDK64.dll";
#else
constexpr const char *kEffectLibraryName = "DvGlowSDK.dll";
#endif

VELQUOR_JNI_API(DuvekApi, DUVEK_EXPORT_PREFIX, DUVEK_METHODS);

#endif
