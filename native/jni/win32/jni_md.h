/*
 * jni_md.h for the Windows targets.  It must come before the JDK's own
 * include folders: the Linux jni_md.h leaves JNICALL empty, and every 32-bit
 * export would then silently become cdecl.  JNIEXPORT is empty because the
 * .def files alone decide what each DLL exports.
 */
#ifndef _JAVASOFT_JNI_MD_H_
#define _JAVASOFT_JNI_MD_H_

#define JNIEXPORT
#define JNIIMPORT
#define JNICALL __stdcall

typedef long jint;
typedef __int64 jlong;
typedef signed char jbyte;

#endif
