// A stand-in for a JDK 1.1 runtime library (javai.dll), for the tests only. It behaves as the
// environment variables below ask and appends what it was given to the file named by
// JAVAI_RECORD, one line per event:
//   JAVAI_DEFAULTS       name=value;... integer fields that JNI_GetDefaultJavaVMInitArgs reports
//   JAVAI_CREATE_RESULT  the result of JNI_CreateJavaVM (default 0)
//   JAVAI_FAIL           comma list of: FindClass (the main class), GetStaticMethodID,
//                        StringClass, NewObjectArray, NewStringUTF, throw (main throws)
// FatalError records its text and ends the process with exit code 70.
#define _JNI_IMPLEMENTATION_
#include <jni.h>
#include <windows.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "../MainEntered.h"

namespace {

// The initialization record as a JDK 1.1 runtime publishes it, declared here independently of
// the launcher's declaration so that a field out of order there shows in the record.
struct RuntimeInitArgs {
    jint version;
    char** properties;
    jint checkSource;
    jint nativeStackSize;
    jint javaStackSize;
    jint minHeapSize;
    jint maxHeapSize;
    jint verifyMode;
    char* classpath;
    jint(JNICALL* vfprintf)(FILE*, const char*, va_list);
    void(JNICALL* exit)(jint);
    void(JNICALL* abort)();
    jint enableClassGC;
    jint enableVerboseGC;
    jint disableAsyncGC;
    jint verbose;
    jboolean debugging;
    jint debugPort;
};

jint JNICALL DefaultVfprintf(FILE*, const char*, va_list) { return 0; }
void JNICALL DefaultExit(jint) {}
void JNICALL DefaultAbort() {}

char defaultProperty[] = "stand.in=default";
char* defaultProperties[] = {defaultProperty, nullptr};
char defaultClassPath[] = "Z:\\stand-in\\classes.zip";

class StandInString : public _jstring {
public:
    std::string text;
};
class StandInArray : public _jobjectArray {
public:
    std::vector<std::string> items;
};

_jclass mainClass;
_jclass stringClass;
_jthrowable thrown;
bool exceptionPending = false;
std::string mainClassName;
int mainMethod;

std::string Env(const char* name)
{
    char value[4096];
    DWORD length = GetEnvironmentVariableA(name, value, sizeof value);
    return length > 0 && length < sizeof value ? std::string(value, length) : std::string();
}

bool Fails(const char* step)
{
    std::string list = "," + Env("JAVAI_FAIL") + ",";
    return list.find("," + std::string(step) + ",") != std::string::npos;
}

std::string Escaped(const char* text)
{
    std::string out;
    for (const char* c = text; *c != 0; ++c) {
        if (*c == '\r')
            out += "\\r";
        else if (*c == '\n')
            out += "\\n";
        else
            out += *c;
    }
    return out;
}

void Record(const std::string& line)
{
    std::string path = Env("JAVAI_RECORD");
    if (path.empty())
        return;
    if (FILE* file = std::fopen(path.c_str(), "ab")) {
        std::fprintf(file, "%s\n", line.c_str());
        std::fclose(file);
    }
}

std::string Number(jint value) { return std::to_string(static_cast<long>(value)); }

[[maybe_unused]] void RecordInitArgs(const RuntimeInitArgs* args)
{
    char version[16];
    std::snprintf(version, sizeof version, "0x%08lx", static_cast<unsigned long>(args->version));
    Record(std::string("create version=") + version);
    Record("classpath=" + std::string(args->classpath != nullptr ? args->classpath : "(null)"));
    if (args->properties == defaultProperties)
        Record("properties=default");
    else
        for (char** property = args->properties; property != nullptr && *property != nullptr; ++property)
            Record("property=" + std::string(*property));
    Record("checkSource=" + Number(args->checkSource));
    Record("sizes=" + Number(args->nativeStackSize) + "," + Number(args->javaStackSize) + "," +
           Number(args->minHeapSize) + "," + Number(args->maxHeapSize));
    Record("verifyMode=" + Number(args->verifyMode));
    bool hooksKept = args->vfprintf == DefaultVfprintf && args->exit == DefaultExit && args->abort == DefaultAbort;
    Record(std::string("hooks=") + (hooksKept ? "default" : "changed"));
    Record("gc=" + Number(args->enableClassGC) + "," + Number(args->enableVerboseGC) + "," +
           Number(args->disableAsyncGC));
    Record("verbose=" + Number(args->verbose));
    Record("debug=" + Number(args->debugging) + "," + Number(args->debugPort));
}

// The function tables: only the slots that the launcher uses are filled, the others are null.
jclass JNICALL FindClass(JNIEnv*, const char* name)
{
    Record("FindClass " + std::string(name));
    bool isString = std::strcmp(name, "java/lang/String") == 0;
    if (Fails(isString ? "StringClass" : "FindClass")) {
        exceptionPending = true;
        return nullptr;
    }
    if (isString)
        return &stringClass;
    mainClassName = name;
    return &mainClass;
}

jmethodID JNICALL GetStaticMethodID(JNIEnv*, jclass cls, const char* name, const char* signature)
{
    Record("GetStaticMethodID " + std::string(cls == &mainClass ? mainClassName : "?") + " " + name + " " + signature);
    if (Fails("GetStaticMethodID")) {
        exceptionPending = true;
        return nullptr;
    }
    return reinterpret_cast<jmethodID>(&mainMethod);
}

void JNICALL CallStaticVoidMethod(JNIEnv*, jclass cls, jmethodID method, ...)
{
    SignalMainEntered();
    va_list rest;
    va_start(rest, method);
    auto* array = static_cast<StandInArray*>(va_arg(rest, jobjectArray));
    va_end(rest);
    bool known = cls == &mainClass && method == reinterpret_cast<jmethodID>(&mainMethod);
    Record("main " + std::string(known ? mainClassName : "?") + " args=" + std::to_string(array->items.size()));
    for (const std::string& item : array->items)
        Record("arg=" + item);
    if (Fails("throw"))
        exceptionPending = true;
}

jthrowable JNICALL ExceptionOccurred(JNIEnv*) { return exceptionPending ? &thrown : nullptr; }

void JNICALL ExceptionDescribe(JNIEnv*)
{
    Record(exceptionPending ? "ExceptionDescribe" : "ExceptionDescribe (none pending)");
    exceptionPending = false;
}

void JNICALL FatalError(JNIEnv*, const char* message)
{
    Record("FatalError " + Escaped(message));
    ExitProcess(70);
}

jobjectArray JNICALL NewObjectArray(JNIEnv*, jsize length, jclass elementClass, jobject initial)
{
    Record("NewObjectArray " + Number(length) + (elementClass == &stringClass ? " String" : " ?") +
           (initial == nullptr ? "" : " initial"));
    if (Fails("NewObjectArray")) {
        exceptionPending = true;
        return nullptr;
    }
    auto* array = new StandInArray;
    array->items.resize(static_cast<size_t>(length));
    return array;
}

jstring JNICALL NewStringUTF(JNIEnv*, const char* bytes)
{
    if (Fails("NewStringUTF")) {
        exceptionPending = true;
        return nullptr;
    }
    auto* text = new StandInString;
    text->text = bytes;
    return text;
}

void JNICALL SetObjectArrayElement(JNIEnv*, jobjectArray array, jsize index, jobject value)
{
    static_cast<StandInArray*>(array)->items.at(static_cast<size_t>(index)) = static_cast<StandInString*>(value)->text;
}

void JNICALL DeleteLocalRef(JNIEnv*, jobject object) { delete static_cast<StandInString*>(object); }

jint JNICALL DestroyJavaVM(JavaVM*)
{
    Record("DestroyJavaVM");
    return 0;
}

JNINativeInterface_ nativeInterface;
JNIEnv_ environment;
JNIInvokeInterface_ invokeInterface;
JavaVM_ virtualMachine;

[[maybe_unused]] void FillTables()
{
    nativeInterface.FindClass = FindClass;
    nativeInterface.GetStaticMethodID = GetStaticMethodID;
    nativeInterface.CallStaticVoidMethod = CallStaticVoidMethod;
    nativeInterface.ExceptionOccurred = ExceptionOccurred;
    nativeInterface.ExceptionDescribe = ExceptionDescribe;
    nativeInterface.FatalError = FatalError;
    nativeInterface.NewObjectArray = NewObjectArray;
    nativeInterface.NewStringUTF = NewStringUTF;
    nativeInterface.SetObjectArrayElement = SetObjectArrayElement;
    nativeInterface.DeleteLocalRef = DeleteLocalRef;
    environment.functions = &nativeInterface;
    invokeInterface.DestroyJavaVM = DestroyJavaVM;
    virtualMachine.functions = &invokeInterface;
}

[[maybe_unused]] void ApplyDefaults(RuntimeInitArgs* args)
{
    args->properties = defaultProperties;
    args->checkSource = 0;
    args->nativeStackSize = 131072;
    args->javaStackSize = 409600;
    args->minHeapSize = 1048576;
    args->maxHeapSize = 16777216;
    args->verifyMode = 1;
    args->classpath = defaultClassPath;
    args->vfprintf = DefaultVfprintf;
    args->exit = DefaultExit;
    args->abort = DefaultAbort;
    args->enableClassGC = 1;
    args->enableVerboseGC = 0;
    args->disableAsyncGC = 0;
    args->verbose = 0;
    args->debugging = 0;
    args->debugPort = 0;
    struct Field {
        const char* name;
        jint* value;
    } fields[] = {{"checkSource", &args->checkSource}, {"nativeStackSize", &args->nativeStackSize},
                  {"javaStackSize", &args->javaStackSize}, {"minHeapSize", &args->minHeapSize},
                  {"maxHeapSize", &args->maxHeapSize}, {"verifyMode", &args->verifyMode},
                  {"enableClassGC", &args->enableClassGC}, {"enableVerboseGC", &args->enableVerboseGC},
                  {"disableAsyncGC", &args->disableAsyncGC}, {"verbose", &args->verbose},
                  {"debugPort", &args->debugPort}};
    std::string list = Env("JAVAI_DEFAULTS");
    for (size_t start = 0; start < list.size();) {
        size_t end = list.find(';', start);
        std::string item = list.substr(start, end == std::string::npos ? std::string::npos : end - start);
        size_t equals = item.find('=');
        for (Field& field : fields)
            if (item.compare(0, equals, field.name) == 0 && equals == std::strlen(field.name))
                *field.value = std::atoi(item.c_str() + equals + 1);
        start = end == std::string::npos ? list.size() : end + 1;
    }
}

}  // namespace

#if !defined(VELKOR_JAVAI_NO_DEFAULTS)
extern "C" jint JNICALL JNI_GetDefaultJavaVMInitArgs(void* args)
{
    auto* record = static_cast<RuntimeInitArgs*>(args);
    char version[16];
    std::snprintf(version, sizeof version, "0x%08lx", static_cast<unsigned long>(record->version));
    Record(std::string("defaults version=") + version);
    ApplyDefaults(record);
    return 0;
}
#endif

#if !defined(VELKOR_JAVAI_NO_CREATE)
extern "C" jint JNICALL JNI_CreateJavaVM(JavaVM** vm, void** env, void* args)
{
    RecordInitArgs(static_cast<RuntimeInitArgs*>(args));
    jint result = static_cast<jint>(std::atol(Env("JAVAI_CREATE_RESULT").c_str()));
    if (result != 0) {
        Record("create result=" + Number(result));
        return result;
    }
    FillTables();
    exceptionPending = false;
    *vm = &virtualMachine;
    *env = &environment;
    return 0;
}
#endif

// Unloading through FreeLibrary (not at process end) shows that the launcher released the library.
BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID reserved)
{
    if (reason == DLL_PROCESS_DETACH && reserved == nullptr)
        Record("FreeLibrary");
    return TRUE;
}
