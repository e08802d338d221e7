// A JDK 1.1 runtime library (javai.dll) for the tests. Each call it receives is transcribed;
// VELKOR_STANDIN picks failures: create=N (JNI_CreateJavaVM's result), no-class, no-method,
// no-string-class, no-array, no-string, throw (main throws), crash-create, crash-main,
// load-dep (main loads velkordep.dll by its bare name).
#define _JNI_IMPLEMENTATION_
#include <jni.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "../Transcript.h"

namespace {

// The initialization record as a JDK 1.1 runtime publishes it.
struct InitArgs {
    jint version;
    char** properties;
    jint checkSource, nativeStackSize, javaStackSize, minHeapSize, maxHeapSize, verifyMode;
    char* classpath;
    jint(JNICALL* vfprintf)(FILE*, const char*, va_list);
    void(JNICALL* exit)(jint);
    void(JNICALL* abort)();
    jint enableClassGC, enableVerboseGC, disableAsyncGC, verbose;
    jboolean debugging;
    jint debugPort;
};
#if !defined(_WIN64)
static_assert(sizeof(InitArgs) == 72, "the 32-bit record is 72 bytes");
#endif

jint JNICALL StandInVfprintf(FILE*, const char*, va_list) { return 0; }
void JNICALL StandInExit(jint) {}
void JNICALL StandInAbort() {}
char defaultProperty[] = "stand.in=default";
char* defaultProperties[] = {defaultProperty, nullptr};
char defaultClassPath[] = "Z:\\stand-in\\classes.zip";

struct Array : _jobjectArray {
    std::vector<std::string> items;
};
struct String : _jstring {
    std::string text;
};
_jclass mainClass, stringClass;
_jthrowable thrown;
bool pending = false;
int mainMethod;

void Crash() { *static_cast<volatile int*>(nullptr) = 1; }

template <typename T>
T* Fail(const char* word, T* result)
{
    pending = pending || StandInAsked(word);
    return StandInAsked(word) ? nullptr : result;
}

jclass JNICALL FindClass(JNIEnv*, const char* name)
{
    Transcribe(std::string("FindClass ") + name);
    return std::string(name) == "java/lang/String" ? Fail("no-string-class", &stringClass) : Fail("no-class", &mainClass);
}

jmethodID JNICALL GetStaticMethodID(JNIEnv*, jclass c, const char* name, const char* signature)
{
    Transcribe(std::string("GetStaticMethodID ") + (c == &mainClass ? "" : "(other class) ") + name + " " + signature);
    return Fail("no-method", reinterpret_cast<jmethodID>(&mainMethod));
}

jobjectArray JNICALL NewObjectArray(JNIEnv*, jsize length, jclass c, jobject initial)
{
    Transcribe("NewObjectArray " + std::to_string(length) + (c == &stringClass && initial == nullptr ? "" : " (wrong class or initial)"));
    Array* array = Fail("no-array", new Array);
    if (array != nullptr)
        array->items.resize(static_cast<size_t>(length));
    return array;
}

jstring JNICALL NewStringUTF(JNIEnv*, const char* bytes)
{
    String* text = Fail("no-string", new String);
    if (text != nullptr)
        text->text = bytes;
    return text;
}

void JNICALL SetObjectArrayElement(JNIEnv*, jobjectArray array, jsize i, jobject value)
{
    static_cast<Array*>(array)->items.at(static_cast<size_t>(i)) = static_cast<String*>(value)->text;
}

void JNICALL DeleteLocalRef(JNIEnv*, jobject object) { delete static_cast<String*>(object); }

void JNICALL CallStaticVoidMethod(JNIEnv*, jclass c, jmethodID method, ...)
{
    SignalMainEntered();
    va_list rest;
    va_start(rest, method);
    auto* array = static_cast<Array*>(va_arg(rest, jobjectArray));
    va_end(rest);
    std::string line = std::string("main") + (c == &mainClass && method == reinterpret_cast<jmethodID>(&mainMethod) ? "" : " (wrong class or method)");
    for (const std::string& item : array->items)
        line += " [" + item + "]";
    Transcribe(line);
    if (StandInAsked("crash-main"))
        Crash();
    if (StandInAsked("load-dep"))
        Transcribe(LoadLibraryA("velkordep.dll") != nullptr ? "velkordep.dll loaded" : "velkordep.dll not loaded, error " + std::to_string(GetLastError()));
    pending = StandInAsked("throw");
}

jthrowable JNICALL ExceptionOccurred(JNIEnv*) { return pending ? &thrown : nullptr; }

void JNICALL ExceptionDescribe(JNIEnv*)
{
    Transcribe(pending ? "ExceptionDescribe" : "ExceptionDescribe with nothing pending");
    pending = false;
}

void JNICALL FatalError(JNIEnv*, const char* message)
{
    Transcribe(std::string("FatalError ") + message);
    ExitProcess(70);
}

jint JNICALL DestroyJavaVM(JavaVM*)
{
    Transcribe("DestroyJavaVM");
    return 0;
}

JNINativeInterface_ functions;
JNIEnv_ environment;
JNIInvokeInterface_ invocation;
JavaVM_ vm;

std::string Fields(const InitArgs* a)
{
    std::string properties;
    for (char** p = a->properties; p != nullptr && *p != nullptr; ++p)
        properties += std::string(properties.empty() ? "" : "|") + *p;
    char numbers[256];
    std::snprintf(numbers, sizeof numbers, "version=%#lx checkSource=%ld stacks=%ld,%ld heap=%ld,%ld verifyMode=%ld gc=%ld,%ld,%ld verbose=%ld debug=%d,%ld",
                  a->version, a->checkSource, a->nativeStackSize, a->javaStackSize, a->minHeapSize, a->maxHeapSize, a->verifyMode,
                  a->enableClassGC, a->enableVerboseGC, a->disableAsyncGC, a->verbose, a->debugging, a->debugPort);
    bool hooks = a->vfprintf == StandInVfprintf && a->exit == StandInExit && a->abort == StandInAbort;
    return numbers + std::string(hooks ? "" : " (hooks changed)") + "\n  classpath=" + (a->classpath ? a->classpath : "(null)") +
           "\n  properties=" + properties;
}

}  // namespace

#if !defined(JAVAI_NO_DEFAULTS)
extern "C" jint JNICALL JNI_GetDefaultJavaVMInitArgs(void* record)
{
    auto* a = static_cast<InitArgs*>(record);
    char version[32];
    std::snprintf(version, sizeof version, "%#lx", a->version);
    Transcribe(std::string("JNI_GetDefaultJavaVMInitArgs version=") + version);
    *a = InitArgs{a->version, defaultProperties, 0, 131072, 409600, 1048576, 16777216, 1, defaultClassPath,
                  StandInVfprintf, StandInExit, StandInAbort, 1, 0, 0, 0, 0, 0};
    return 0;
}
#endif

#if !defined(JAVAI_NO_CREATE)
extern "C" jint JNICALL JNI_CreateJavaVM(JavaVM** vmOut, void** envOut, void* record)
{
    Transcribe("JNI_CreateJavaVM " + Fields(static_cast<InitArgs*>(record)));
    if (StandInAsked("crash-create"))
        Crash();
    std::string result = StandInEnv("VELKOR_STANDIN");
    size_t at = result.find("create=");
    if (at != std::string::npos)
        return static_cast<jint>(std::atol(result.c_str() + at + 7));
    functions.FindClass = FindClass;
    functions.GetStaticMethodID = GetStaticMethodID;
    functions.CallStaticVoidMethod = CallStaticVoidMethod;
    functions.ExceptionOccurred = ExceptionOccurred;
    functions.ExceptionDescribe = ExceptionDescribe;
    functions.FatalError = FatalError;
    functions.NewObjectArray = NewObjectArray;
    functions.NewStringUTF = NewStringUTF;
    functions.SetObjectArrayElement = SetObjectArrayElement;
    functions.DeleteLocalRef = DeleteLocalRef;
    environment.functions = &functions;
    invocation.DestroyJavaVM = DestroyJavaVM;
    vm.functions = &invocation;
    *vmOut = &vm;
    *envOut = &environment;
    return 0;
}
#endif

#if defined(JAVAI_WITH_DEP)
extern "C" int VelkorDep();
int (*keepDep)() = VelkorDep;
#endif

// Unloaded by FreeLibrary, not at process end: the launcher released the library.
BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID atExit)
{
    if (reason == DLL_PROCESS_DETACH && atExit == nullptr)
        Transcribe("FreeLibrary");
    return TRUE;
}
