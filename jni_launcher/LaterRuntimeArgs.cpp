#include "LaterRuntimeArgs.h"

#include <cstring>

#include "AllocOrThrow.h"
#include "JoinText.h"
#include "LoaderOptions.h"
#include "RuntimeHooks.h"

namespace {

const char kClassPathOption[] = "-Djava.class.path=";
const char kHomeProperty[] = "java.home=";

char* ClassPathOption(const char* classPath)
{
    char* option = JoinText({kClassPathOption, classPath});
    char* entries = option + sizeof kClassPathOption - 1;
    char* end = entries;
    for (const char* c = classPath; *c != 0; ++c) {
        if (*c != ';' || (end != entries && end[-1] != ';'))
            *end++ = *c;
    }
    if (end != entries && end[-1] == ';')
        --end;
    *end = 0;
    return option;
}

template <typename Function>
JavaVMOption Hook(const char* name, Function function)
{
    return JavaVMOption{const_cast<char*>(name), reinterpret_cast<void*>(function)};
}

}  // namespace

JavaVMInitArgs LaterRuntimeArgs(jint version, const char* classPath)
{
    const int kHooks = 3;
    auto* options = static_cast<JavaVMOption*>(AllocOrThrow((1 + JniPropertyList.count + kHooks) * sizeof(JavaVMOption)));
    jint count = 0;
    options[count++] = JavaVMOption{ClassPathOption(classPath), nullptr};
    for (int32_t i = 0; i < JniPropertyList.count; ++i) {
        const char* property = JniPropertyList.entries[i];
        if (std::strncmp(property, kHomeProperty, sizeof kHomeProperty - 1) != 0)
            options[count++] = JavaVMOption{JoinText({"-D", property}), nullptr};
    }
    options[count++] = Hook("vfprintf", RuntimeVfprintf);
    options[count++] = Hook("exit", RuntimeExit);
    options[count++] = Hook("abort", RuntimeAbort);

    JavaVMInitArgs args = {};
    args.version = version;
    args.nOptions = count;
    args.options = options;
    args.ignoreUnrecognized = JNI_FALSE;
    return args;
}
