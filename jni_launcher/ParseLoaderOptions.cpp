#include <cstring>

#include "JoinText.h"
#include "LaunchLog.h"
#include "LoaderOptions.h"

namespace {

bool Is(const char* option, const char* keyword) { return std::strcmp(option, keyword) == 0; }

// The value after keyword when option begins with it, else null.
char* After(char* option, const char* keyword)
{
    size_t length = std::strlen(keyword);
    return std::strncmp(option, keyword, length) == 0 ? option + length : nullptr;
}

void SetSize(jint* field, const char* value)
{
    int32_t size = ParseSize(value);
    if (size >= 1000)
        *field = size;
}

}  // namespace

int ParseLoaderOptions(int* argc, char*** argv, JDK1_1InitArgs* args)
{
    char** element = *argv;
    while (*element != nullptr && (*element)[0] == '-') {
        char* option = *element + 1;
        if (Is(option, "classpath") || Is(option, "cp")) {
            // The next element is the class path whatever it holds, even another option.
            if (element[1] == nullptr) {
                LaunchLog += "No class path given for ";
                LaunchLog += option;
                LaunchLog += " option\r\n";
                return -1;
            }
            if (Is(option, "classpath"))
                args->classpath = element[1];
            else
                args->classpath = JoinText({element[1], ";", args->classpath != nullptr ? args->classpath : ""});
            element += 2;
            continue;
        }
        if (char* property = After(option, "D"))
            AddProperty(property);
        else if (const char* size = After(option, "ss"))
            SetSize(&args->nativeStackSize, size);
        else if (const char* size = After(option, "oss"))
            SetSize(&args->javaStackSize, size);
        else if (const char* size = After(option, "ms"))
            SetSize(&args->minHeapSize, size);
        else if (const char* size = After(option, "mx"))
            SetSize(&args->maxHeapSize, size);
        else if (Is(option, "noasyncgc"))
            args->disableAsyncGC = 1;
        else if (Is(option, "noclassgc"))
            args->enableClassGC = 0;
        else if (Is(option, "verify"))
            args->verifyMode = 2;
        else if (Is(option, "verifyremote"))
            args->verifyMode = 1;
        else if (Is(option, "noverify"))
            args->verifyMode = 0;
        else if (Is(option, "nojit"))
            AddProperty(const_cast<char*>("java.compiler="));
        else if (Is(option, "v") || Is(option, "verbose"))
            args->verbose = 1;
        else if (Is(option, "verbosegc"))
            args->enableVerboseGC = 1;
        else if (Is(option, "?") || Is(option, "h") || Is(option, "help"))
            return -1;
        else {
            LaunchLog += "Illegal option: -";
            LaunchLog += option;
            LaunchLog += "\r\n";
            return -1;
        }
        ++element;
    }
    *argc -= static_cast<int>(element - *argv);
    *argv = element;
    return 0;
}
