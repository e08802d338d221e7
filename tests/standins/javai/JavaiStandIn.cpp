// A JDK 1.1 runtime library (javai.dll) for the tests. Each call it receives is transcribed;
// VELKOR_STANDIN picks failures: create=N (JNI_CreateJavaVM's result), no-class, no-method,
// no-string-class, no-array, throw (main throws), crash-create, crash-main, load-dep (main
// loads velkordep.dll by its bare name), overflow (main overflows the stack in frames of 512
// bytes; overflow=4096: of 4 KB, probed page by page), probe (main recovers from a fault through
// a C signal handler), fpu (main tells the x87 control word it was entered with), rw-code (main
// runs code from a read-write page, as a compiler of that era does); before crash-main:
// crash-window (a message queued for a faulty window of the runtime's), quit (WM_QUIT to the
// main thread, before and while the loader's dialog is shown), crash-thread (another thread
// faults while it is shown), hold-heap (another thread holds the C runtime's heap); detach (the
// detach at process end is told); refuse (the defaults call fails, changing nothing).
// Built as jvm.dll (JAVAI_LATER), a runtime of a later generation as measured on a real one: the
// defaults call refuses the 1.1 record and writes version 0x10002 (or version=HEX) into it, and
// JNI_CreateJavaVM reads any record as JavaVMInitArgs, with heap (it prints its start-up error
// through the vfprintf hook, then calls the abort hook), exit=N (it prints an unfinished line,
// then calls the exit hook with N) and bogus (it refuses an option and fails).
// The loader's vector gives main no arguments, so the string operations are left out.
#define _JNI_IMPLEMENTATION_
#include <jni.h>

#include <csetjmp>
#include <csignal>
#include <cstdarg>
#include <cstdio>
#include <cstring>

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
_jclass mainClass, stringClass;
_jobjectArray array;
_jthrowable thrown;
int mainMethod;
bool pending = false;

void Crash() { *static_cast<volatile int*>(nullptr) = 1; }

template <size_t Frame>
void Overflow(volatile char* below)
{
    volatile char frame[Frame] = {*below};
    if (frame[0] == below[0])
        Overflow<Frame>(frame);
}

// mov eax, 42; ret
int RunFromWritablePage()
{
    auto* code = static_cast<unsigned char*>(VirtualAlloc(nullptr, 4096, MEM_COMMIT, PAGE_READWRITE));
    const unsigned char bytes[] = {0xB8, 42, 0, 0, 0, 0xC3};
    std::memcpy(code, bytes, sizeof bytes);
    return reinterpret_cast<int (*)()>(code)();
}

LRESULT CALLBACK FaultyWindow(HWND window, UINT message, WPARAM w, LPARAM l)
{
    return message == WM_USER ? (Crash(), 0) : DefWindowProcA(window, message, w, l);
}

DWORD mainThread;

// On a thread of its own: once the loader's dialog is on the screen, posts WM_QUIT to the main
// thread (given a thread) or faults.
DWORD WINAPI WhenDialogShown(LPVOID thread)
{
    for (HWND dialog = nullptr; dialog == nullptr || !IsWindowVisible(dialog); Sleep(1))
        dialog = FindWindowA(nullptr, "Could Not Start Velkor");
    return thread != nullptr ? PostThreadMessageA(mainThread, WM_QUIT, 0, 0) : (__builtin_trap(), 0);
}

DWORD WINAPI HoldHeap(LPVOID held)
{
    HeapLock(reinterpret_cast<HANDLE>(_get_heap_handle()));
    SetEvent(held);
    Sleep(INFINITE);
    return 0;
}

jmp_buf probe;

void Probe()
{
    // Under qemu's emulator Wine reports an access violation as an illegal instruction.
    signal(SIGSEGV, [](int) { longjmp(probe, 1); });
    signal(SIGILL, [](int) { longjmp(probe, 1); });
    if (setjmp(probe) == 0)
        Crash();
    Transcribe("probe fault recovered");
}

// The object, or null with an exception pending when the test asks for that failure.
template <typename T>
T* Unless(const char* failure, T* object)
{
    pending = pending || StandInAsked(failure);
    return StandInAsked(failure) ? nullptr : object;
}

jclass JNICALL FindClass(JNIEnv*, const char* name)
{
    Transcribe(std::string("FindClass ") + name);
    return std::string(name) == "java/lang/String" ? Unless("no-string-class", &stringClass) : Unless("no-class", &mainClass);
}

jmethodID JNICALL GetStaticMethodID(JNIEnv*, jclass c, const char* name, const char* signature)
{
    Transcribe(std::string("GetStaticMethodID ") + (c == &mainClass ? "" : "(other class) ") + name + " " + signature);
    return Unless("no-method", reinterpret_cast<jmethodID>(&mainMethod));
}

jobjectArray JNICALL NewObjectArray(JNIEnv*, jsize length, jclass c, jobject initial)
{
    Transcribe("NewObjectArray " + std::to_string(length) + (c == &stringClass && initial == nullptr ? "" : " (other class or element)"));
    return Unless("no-array", &array);
}

void JNICALL CallStaticVoidMethod(JNIEnv*, jclass c, jmethodID method, ...)
{
    SignalMainEntered();
    va_list rest;
    va_start(rest, method);
    bool ours = c == &mainClass && method == reinterpret_cast<jmethodID>(&mainMethod) && va_arg(rest, jobjectArray) == &array;
    va_end(rest);
    Transcribe(ours ? "main" : "main (other class, method or arguments)");
    unsigned short control = 0;
    char word[16];
    __asm__ volatile("fnstcw %0" : "=m"(control));
    if (StandInAsked("fpu") && std::snprintf(word, sizeof word, "%#x", control) > 0)
        Transcribe(std::string("x87 control word ") + word);
    if (StandInAsked("rw-code"))
        Transcribe("code from a read-write page returned " + std::to_string(RunFromWritablePage()));
    if (StandInAsked("crash-window")) {
        HWND window = CreateWindowA("STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
        SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(FaultyWindow));
        PostMessageA(window, WM_USER, 0, 0);
    }
    mainThread = GetCurrentThreadId();
    if (StandInAsked("quit") && PostThreadMessageA(mainThread, WM_QUIT, 0, 0))
        CloseHandle(CreateThread(nullptr, 0, WhenDialogShown, &mainThread, 0, nullptr));
    if (StandInAsked("crash-thread"))
        CloseHandle(CreateThread(nullptr, 0, WhenDialogShown, nullptr, 0, nullptr));
    if (StandInAsked("overflow"))
        Overflow<512>(reinterpret_cast<volatile char*>(&mainThread));
    if (StandInAsked("overflow=4096"))
        Overflow<4096>(reinterpret_cast<volatile char*>(&mainThread));
    if (StandInAsked("probe"))
        Probe();
    // Decided before the heap is held: the stand-in's own helpers allocate.
    bool crash = StandInAsked("crash-main");
    HANDLE held = StandInAsked("hold-heap") ? CreateEventA(nullptr, TRUE, FALSE, nullptr) : nullptr;
    if (held != nullptr && CloseHandle(CreateThread(nullptr, 0, HoldHeap, held, 0, nullptr)))
        WaitForSingleObject(held, INFINITE);
    if (crash)
        Crash();
    if (StandInAsked("load-dep"))
        Transcribe(LoadLibraryA("velkordep.dll") ? "velkordep.dll loaded" : "velkordep.dll not loaded, error " + std::to_string(GetLastError()));
    pending = StandInAsked("throw");
}

jthrowable JNICALL ExceptionOccurred(JNIEnv*) { return pending ? &thrown : nullptr; }

void JNICALL ExceptionDescribe(JNIEnv*) { Transcribe(pending ? "ExceptionDescribe" : "ExceptionDescribe with nothing pending"), pending = false; }
void JNICALL FatalError(JNIEnv*, const char* message) { Transcribe(std::string("FatalError ") + message), ExitProcess(70); }

jint JNICALL DestroyJavaVM(JavaVM*) { return Transcribe("DestroyJavaVM"), 0; }

// Only the slots that the loader calls; in declaration order.
JNINativeInterface_ functions = {.FindClass = FindClass, .ExceptionOccurred = ExceptionOccurred,
                                 .ExceptionDescribe = ExceptionDescribe, .FatalError = FatalError,
                                 .GetStaticMethodID = GetStaticMethodID, .CallStaticVoidMethod = CallStaticVoidMethod,
                                 .NewObjectArray = NewObjectArray};
JNIEnv_ environment = {&functions};
JNIInvokeInterface_ invocation = {.DestroyJavaVM = DestroyJavaVM};
JavaVM_ vm = {&invocation};

}  // namespace

#if !defined(JAVAI_NO_DEFAULTS)
extern "C" jint JNICALL JNI_GetDefaultJavaVMInitArgs(void* record)
{
    auto* a = static_cast<InitArgs*>(record);
    char version[32];
    std::snprintf(version, sizeof version, "%#lx", a->version);
    Transcribe(std::string("JNI_GetDefaultJavaVMInitArgs version=") + version);
#if defined(JAVAI_LATER)
    if (a->version == JNI_VERSION_1_1)
        return a->version = StandInNumber("version", JNI_VERSION_1_2, 16), a->javaStackSize = 1024 * 1024, -1;
    return 0;
#endif
    if (StandInAsked("refuse"))
        return -1;
    *a = InitArgs{a->version, defaultProperties, 0, 131072, 409600, 1048576, 16777216, 1, defaultClassPath,
                  StandInVfprintf, StandInExit, StandInAbort, 1, 0, 0, 0, 0, 0};
    return 0;
}
#endif

#if defined(JAVAI_LATER)
void* hooks[3];  // vfprintf, exit, abort

void Print(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    reinterpret_cast<jint(JNICALL*)(FILE*, const char*, va_list)>(hooks[0])(stderr, format, args);
    va_end(args);
}

extern "C" jint JNICALL JNI_CreateJavaVM(JavaVM** vmOut, void** envOut, void* record)
{
    auto* a = static_cast<JavaVMInitArgs*>(record);
    char version[32];
    std::snprintf(version, sizeof version, "%#lx", a->version);
    std::string text = std::string("JNI_CreateJavaVM version=") + version + " ignoreUnrecognized=" + std::to_string(a->ignoreUnrecognized);
    for (jint i = 0; i < a->nOptions; ++i) {
        std::string option = a->options[i].optionString;
        int hook = option == "vfprintf" ? 0 : option == "exit" ? 1 : option == "abort" ? 2 : -1;
        if (hook >= 0)
            hooks[hook] = a->options[i].extraInfo;
        text += "\n  " + option + (hook >= 0 ? " hook" : "");
    }
    Transcribe(text);
    if (StandInAsked("heap")) {
        Print("%s", "Error occurred during initialization of VM\n");
        Print("Could not reserve enough space for %luKB object heap", 1048576ul);
        Print("\n");
        reinterpret_cast<void(JNICALL*)()>(hooks[2])();
    }
    if (long code = StandInNumber("exit", 0, 10)) {
        Print("%s", "Error occurred during initialization of VM");
        reinterpret_cast<void(JNICALL*)(jint)>(hooks[1])(code);
    }
    if (StandInAsked("bogus"))
        return Print("Unrecognized option: %s\n", "-Xbogus"), -1;
    *vmOut = &vm;
    *envOut = &environment;
    return 0;
}
#elif !defined(JAVAI_NO_CREATE)
extern "C" jint JNICALL JNI_CreateJavaVM(JavaVM** vmOut, void** envOut, void* record)
{
    auto* a = static_cast<InitArgs*>(record);
    std::string properties;
    for (char** p = a->properties; p != nullptr && *p != nullptr; ++p)
        properties += std::string(properties.empty() ? "" : "|") + *p;
    char fields[256];
    std::snprintf(fields, sizeof fields, "version=%#lx checkSource=%ld stacks=%ld,%ld heap=%ld,%ld verifyMode=%ld gc=%ld,%ld,%ld verbose=%ld debug=%d,%ld%s",
                  a->version, a->checkSource, a->nativeStackSize, a->javaStackSize, a->minHeapSize, a->maxHeapSize, a->verifyMode,
                  a->enableClassGC, a->enableVerboseGC, a->disableAsyncGC, a->verbose, a->debugging, a->debugPort,
                  a->vfprintf == StandInVfprintf && a->exit == StandInExit && a->abort == StandInAbort ? "" : " (hooks changed)");
    Transcribe(std::string("JNI_CreateJavaVM ") + fields + "\n  classpath=" + (a->classpath ? a->classpath : "(null)") +
               "\n  properties=" + properties);
    if (StandInAsked("crash-create"))
        Crash();
    *vmOut = &vm;
    *envOut = &environment;
    return static_cast<jint>(StandInNumber("create", 0, 10));
}
#endif

#if defined(JAVAI_WITH_DEP)
extern "C" int VelkorDep();
int (*keepDep)() = VelkorDep;
#endif

// Unloaded by FreeLibrary, not at process end: the loader released the library (the end is told on request).
BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID atExit)
{
    if (reason == DLL_PROCESS_DETACH && (atExit == nullptr || StandInAsked("detach")))
        Transcribe(atExit == nullptr ? "FreeLibrary" : "detached at process end");
    return TRUE;
}
