// Writes what RuntimeFromExeLocation derives from this program's location into the file named
// by the first argument: the fields joined as the discovery tests expect, or "failed".
#include <cstdio>
#include <string>

#include "RuntimeDiscovery.h"

namespace {

std::string Text(const char* field) { return field != nullptr ? field : "(null)"; }

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2)
        return 2;
    JavaRuntimeInfo info;
    std::string result = "failed";
    if (RuntimeFromExeLocation(&info) == 0)
        result = Text(info.javaHome) + "|" + Text(info.runtimeLib) + "|" + Text(info.classPath) + "|" +
                 Text(info.compiler) + "|" + Text(info.majorVersion) + "." + Text(info.minorVersion) + "." +
                 Text(info.microVersion);
    FILE* file = std::fopen(argv[1], "wb");
    if (file == nullptr)
        return 1;
    std::fputs(result.c_str(), file);
    std::fclose(file);
    return 0;
}
