#include "SupportArchive.h"

#include <windows.h>

#include "ExeDirectory.h"
#include "LaunchLog.h"
#include "PathText.h"

namespace {

char g_archivePath[kPathBufferSize];

// Composes one probe into the result buffer and tests it. A path too long for the buffer
// cannot name the archive for either runtime, so it counts as not found; the log line still
// names the whole path that was looked for.
bool Probe(const char* directory, const char* tail)
{
    if (ComposePath(g_archivePath, sizeof g_archivePath, directory, tail) &&
        GetFileAttributesA(g_archivePath) != INVALID_FILE_ATTRIBUTES)
        return true;
    LaunchLog += "Did not find swingall.jar in ";
    LaunchLog += directory;
    LaunchLog += tail;
    LaunchLog += "\r\n";
    return false;
}

}  // namespace

const char* FindSupportArchive(const char* javaHome, const char* exeDirectory)
{
    if (exeDirectory != nullptr && Probe(exeDirectory, "swingall.jar"))
        return g_archivePath;
    if (javaHome == nullptr)
        return nullptr;
    g_archivePath[0] = 0;
    if (Probe(javaHome, "\\lib\\swingall.jar"))
        return g_archivePath;
    return nullptr;
}
