// The JNI 1.1 initialization record that JNI_GetDefaultJavaVMInitArgs and JNI_CreateJavaVM take.
#pragma once

#include <jni.h>

#include <cstddef>
#include <cstdio>
#include <cstdarg>
#include <type_traits>

#if !defined(VELKOR_WIN32_JNI_MD)
#error "jni.h picked up a jni_md.h other than the Win32 one in jni_launcher/"
#endif
static_assert(std::is_same<jint, long>::value && sizeof(jint) == 4, "jint must be the 32-bit Win32 long");
static_assert(sizeof(jlong) == 8 && sizeof(jbyte) == 1, "JNI integer types of the wrong size");

struct JDK1_1InitArgs {
    jint version;
    char** properties;
    jint checkSource;
    jint nativeStackSize;
    jint javaStackSize;
    jint minHeapSize;
    jint maxHeapSize;
    jint verifyMode;
    char* classpath;
    jint(JNICALL* vfprintf)(FILE* stream, const char* format, va_list args);
    void(JNICALL* exit)(jint code);
    void(JNICALL* abort)();
    jint enableClassGC;
    jint enableVerboseGC;
    jint disableAsyncGC;
    jint verbose;
    jboolean debugging;
    jint debugPort;
};

#if !defined(_WIN64)
// The layout that a 32-bit JDK 1.1 runtime library expects.
static_assert(offsetof(JDK1_1InitArgs, properties) == 4, "JDK1_1InitArgs layout");
static_assert(offsetof(JDK1_1InitArgs, verifyMode) == 28, "JDK1_1InitArgs layout");
static_assert(offsetof(JDK1_1InitArgs, classpath) == 32, "JDK1_1InitArgs layout");
static_assert(offsetof(JDK1_1InitArgs, abort) == 44, "JDK1_1InitArgs layout");
static_assert(offsetof(JDK1_1InitArgs, verbose) == 60, "JDK1_1InitArgs layout");
static_assert(offsetof(JDK1_1InitArgs, debugging) == 64, "JDK1_1InitArgs layout");
static_assert(offsetof(JDK1_1InitArgs, debugPort) == 68, "JDK1_1InitArgs layout");
static_assert(sizeof(JDK1_1InitArgs) == 72, "JDK1_1InitArgs layout");
#endif

// The two invocation exports of a runtime library, as looked up with GetProcAddress.
typedef jint(JNICALL* GetDefaultJavaVMInitArgsFunction)(void* args);
typedef jint(JNICALL* CreateJavaVMFunction)(JavaVM** vm, void** env, void* args);
