#include <windows.h>

#include <cstdlib>
#include <cstring>

#include "ExeDirectory.h"
#include "InitArgs.h"
#include "JoinText.h"
#include "LaterRuntimeArgs.h"
#include "LaunchLog.h"
#include "Launchers.h"
#include "LoaderOptions.h"
#include "RuntimeDiscovery.h"
#include "RuntimeHooks.h"
#include "RuntimeLibraryLoad.h"
#include "StringArray.h"
#include "SupportArchive.h"
#include "Win32Helpers.h"

namespace {

bool IsHelpOption(const char* option)
{
    return std::strcmp(option, "?") == 0 || std::strcmp(option, "h") == 0 || std::strcmp(option, "help") == 0;
}

// A help option before the first element that is not an option.
bool AsksForHelp(int argc, char** argv)
{
    for (int i = 1; i < argc && argv[i] != nullptr && argv[i][0] == '-'; ++i) {
        if (IsHelpOption(argv[i] + 1))
            return true;
    }
    return false;
}

// Whether text is one of the vector's own elements, which the launcher must not release.
bool IsVectorElement(const char* text, char** argv)
{
    for (char** element = argv; *element != nullptr; ++element) {
        if (*element == text)
            return true;
    }
    return false;
}

}  // namespace

void RunWithJniRuntime(int argc, char** argv)
{
    if (AsksForHelp(argc, argv)) {
        AppendUsage();
        throw 1;
    }

    JavaRuntimeInfo runtime;
    if (LocateRuntime(&runtime) != 0 && RuntimeFromExeLocation(&runtime) != 0) {
        LaunchLog += "Could not locate Sun Java runtime\r\n";
        throw 1;
    }

    HMODULE library = LoadRuntimeLibrary(runtime.runtimeLib, runtime.javaHome);
    if (library == nullptr) {
        LaunchLog += "Could not load the Sun Java runtime library: ";
        LaunchLog += runtime.runtimeLib;
        LaunchLog += "\r\n";
        throw 1;
    }

    if (runtime.javaHome != nullptr)
        AddProperty(JoinText({"java.home=", runtime.javaHome}));
    if (runtime.compiler != nullptr)
        AddProperty(JoinText({"java.compiler=", runtime.compiler}));

    JDK1_1InitArgs args = {};
    args.version = JNI_VERSION_1_1;
    auto getDefaults = LookUpExport<GetDefaultJavaVMInitArgsFunction>(library, "JNI_GetDefaultJavaVMInitArgs");
    if (getDefaults == nullptr) {
        // No line end: whatever the log gets next continues this line.
        LaunchLog += "Could not initialize Sun Java VM";
        throw 1;
    }
    // Its result is not looked at: a runtime of a later generation (Java 1.3 to 8) refuses the
    // 1.1 record, writes the version that it takes instead, and gets JNI 1.2 arguments below.
    getDefaults(&args);
    const jint version = args.version;
    const bool later = version >= JNI_VERSION_1_2;
    // A later runtime finds its own classes: its class path is only what the options give.
    args.classpath = later ? JoinText({""}) : runtime.classPath;

    // Element 0 is the program's path; a vector without one has nothing to parse.
    char** rest = argv[0] != nullptr ? argv + 1 : argv;
    int restCount = argv[0] != nullptr ? argc - 1 : 0;
    if (ParseLoaderOptions(&restCount, &rest, &args) != 0) {
        AppendUsage();
        throw 1;
    }

    const char* archive = FindSupportArchive(runtime.javaHome, ExeDirectory);
    if (archive == nullptr)
        throw 1;
    char* formerClassPath = args.classpath;
    args.classpath = JoinText({archive, ";", formerClassPath});
    // The runtime's class path and a "-cp" composition are ours; a "-classpath" value is the vector's.
    if (!IsVectorElement(formerClassPath, argv))
        std::free(formerClassPath);

    if (*rest == nullptr)
        throw 1;
    const char* className = *rest;
    ++rest;
    --restCount;
    char* slashedName = JoinText({className});
    for (char* c = slashedName; *c != 0; ++c) {
        if (*c == '.')
            *c = '/';
    }

    TerminatePropertyList();
    if (JniPropertyList.entries != nullptr)
        args.properties = JniPropertyList.entries;

    JavaVM* vm = nullptr;
    JNIEnv* env = nullptr;
    auto createVm = LookUpExport<CreateJavaVMFunction>(library, "JNI_CreateJavaVM");
    JavaVMInitArgs laterArgs = later ? LaterRuntimeArgs(version, args.classpath) : JavaVMInitArgs{};
    void* record = later ? static_cast<void*>(&laterArgs) : static_cast<void*>(&args);
    // A version that is neither is a record that nothing here can fill.
    jint created = -1;
    if (createVm != nullptr && (later || version == JNI_VERSION_1_1)) {
        RuntimeCreatingVm = true;
        created = createVm(&vm, reinterpret_cast<void**>(&env), record);
        RuntimeCreatingVm = false;
    }
    if (created != 0) {
        LaunchLog += "Could not create Sun Java VM\r\n";
        throw 1;
    }

    // The VM has taken its copy of the properties; the list is empty again.
    std::free(JniPropertyList.entries);
    JniPropertyList = {0, nullptr, 0};

    const JNINativeInterface_* jni = env->functions;
    jclass mainClass = jni->FindClass(env, slashedName);
    if (mainClass == nullptr) {
        LaunchLog += "Class not found: ";
        LaunchLog += className;
        LaunchLog += "\r\n";
        throw 1;
    }
    jmethodID mainMethod = jni->GetStaticMethodID(env, mainClass, "main", "([Ljava/lang/String;)V");
    if (mainMethod == nullptr) {
        LaunchLog += "The Sun VM could not find the 'main' method of class ";
        LaunchLog += className;
        LaunchLog += "\r\n";
        throw 1;
    }
    jobjectArray mainArguments = BuildStringArray(env, rest, restCount);
    if (mainArguments == nullptr) {
        if (jni->ExceptionOccurred(env) != nullptr)
            jni->ExceptionDescribe(env);
        jni->FatalError(env, "Couldn't build argument list for main\r\n");
        // FatalError does not return; a runtime whose FatalError does must not run main.
        throw 1;
    }

    jni->CallStaticVoidMethod(env, mainClass, mainMethod, mainArguments);
    if (jni->ExceptionOccurred(env) != nullptr)
        jni->ExceptionDescribe(env);

    vm->functions->DestroyJavaVM(vm);
    // A later runtime's threads stay parked inside its library after DestroyJavaVM, so it stays.
    if (!later)
        FreeLibrary(library);
}
