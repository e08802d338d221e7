/* Win32 machine-dependent part of the JNI declarations. jni.h includes it by its quoted name;
   the JDK's own jni_md.h lies in a platform folder that is not on our include path, so this
   one is found instead. */
#ifndef _JAVASOFT_JNI_MD_H_
#define _JAVASOFT_JNI_MD_H_

#define VELKOR_WIN32_JNI_MD 1

#define JNIEXPORT __declspec(dllexport)
#define JNIIMPORT __declspec(dllimport)
#define JNICALL __stdcall

/* long is 32 bits on Windows, in 32- and in 64-bit processes alike. */
typedef long jint;
typedef long long jlong;
typedef signed char jbyte;

#endif /* !_JAVASOFT_JNI_MD_H_ */
