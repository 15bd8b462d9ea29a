// Machine-dependent JNI types and calling convention for Windows (x86 and
// x86-64), as the published Java Native Interface defines them. The JDK's own
// jni.h includes this file.
#ifndef _JAVASOFT_JNI_MD_H_
#define _JAVASOFT_JNI_MD_H_

#define JNIEXPORT __declspec(dllexport)
#define JNIIMPORT __declspec(dllimport)
#define JNICALL __stdcall

typedef long jint;
typedef __int64 jlong;
typedef signed char jbyte;

#endif
