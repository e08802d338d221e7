// The slash-style command line: switches, class name, arguments and the class path merge.
#include "ComJavaRunner.h"

#include <new>

#include "Messages.h"
#include "PropertyEnumerator.h"
#include "resource.h"

namespace {

bool IsSwitch(const char* element)
{
    return element[0] == '-' || element[0] == '/';
}

// Converts an element that a report echoes to the OEM code page in place: its characters only,
// never its terminator. With a double-byte code page CharToOemA would take a lone lead byte at
// the end together with the terminator for one character and leave the text unterminated.
void ToOemInPlace(char* element)
{
    CharToOemBuffA(element, element, static_cast<DWORD>(lstrlenA(element)));
}

} // namespace

int ComJavaRunner::ParseCommandLine()
{
    // Only the program path (or, never from the launch sequence, not even that).
    if (argc <= 1) {
        ShowUsage();
        return 0;
    }

    // The class path starts empty; the first "/cp" replaces it. Without memory it stays absent.
    classPath = new (std::nothrow) char[1];
    if (classPath != nullptr)
        classPath[0] = 0;

    int index = 0;
    if (!ParseSwitches(&index))
        return 0;
    if (index >= argc) {
        ReportMessage(this, IDS_NO_CLASS_FILE);
        return 0;
    }

    const char* name = appletMode ? "sun.applet.AppletViewer" : argv[index];
    className = AllocText(lstrlenA(name));
    if (className == nullptr)
        return 0;
    lstrcpyA(className, name);
    // In applet mode the first element that is not a switch is the viewer's first argument.
    if (!appletMode)
        ++index;

    if (index < argc && !ConvertArguments(index))
        return 0;

    // Prepended paths, the class path proper, appended paths.
    if (prependPath != nullptr) {
        if (classPath != nullptr)
            AppendPath(&prependPath, classPath);
        delete[] classPath;
        classPath = prependPath;
        prependPath = nullptr;
    }
    if (appendPath != nullptr) {
        if (classPath != nullptr) {
            AppendPath(&classPath, appendPath);
            delete[] appendPath;
        } else {
            classPath = appendPath;
        }
        appendPath = nullptr;
    }
    return 1;
}

int ComJavaRunner::ParseSwitches(int* index)
{
    bool replacePending = classPath != nullptr;
    *index = 1;
    if (argc <= 1)
        return 1;

    for (; *index < argc; ++*index) {
        char* element = argv[*index];
        if (!IsSwitch(element))
            return 1;
        char* name = CharNextA(element);

        if ((name[0] == 'd' || name[0] == 'D') && name[1] == ':') {
            if (name[2] == 0) {
                ReportMessage(this, IDS_INVALID_SWITCH, name);
                return 0;
            }
            if (properties == nullptr) {
                properties = new (std::nothrow) PropertyEnumerator;
                if (properties == nullptr) {
                    ReportMessage(this, IDS_OUT_OF_MEMORY);
                    return 0;
                }
            }
            // A definition is refused only when memory ran out: the class must not start
            // without it as though nothing had happened.
            if (!properties->Add(name + 2)) {
                ReportMessage(this, IDS_OUT_OF_MEMORY);
                return 0;
            }
            continue;
        }

        CharLowerA(name);
        if (*index == 1 && lstrcmpA(name, "?") == 0) {
            ShowUsage();
            return 0;
        }
        if (lstrcmpA(name, "a") == 0) {
            appletMode = 1;
        } else if (lstrcmpA(name, "p") == 0) {
            pauseOnError = 1;
        } else if (lstrcmpA(name, "v") == 0) {
            verifyClasses = 1;
        } else if (lstrcmpA(name, "q") == 0) {
            // Accepted for compatibility; it changes nothing.
        } else if (lstrcmpA(name, "cp") == 0 || lstrcmpA(name, "cp:p") == 0 || lstrcmpA(name, "cp:a") == 0) {
            ++*index;
            if (*index == argc || IsSwitch(argv[*index])) {
                ToOemInPlace(element);
                ReportMessage(this, IDS_NO_PATH_FOR_SWITCH, element);
                return 0;
            }
            char** list = &classPath;
            if (name[2] == ':')
                list = name[3] == 'p' ? &prependPath : &appendPath;
            else if (replacePending) {
                delete[] classPath;
                classPath = nullptr;
                replacePending = false;
            }
            AppendPath(list, argv[*index]);
        } else {
            ToOemInPlace(element);
            ReportMessage(this, IDS_INVALID_SWITCH, element);
            return 0;
        }
    }
    return 1;
}

int ComJavaRunner::ConvertArguments(int first)
{
    argCount = argc - first;
    args = new (std::nothrow) wchar_t*[static_cast<size_t>(argCount) + 1];
    if (args == nullptr) {
        argCount = 0;
        ReportMessage(this, IDS_OUT_OF_MEMORY);
        return 0;
    }
    int converted = 0;
    while (converted < argCount) {
        args[converted] = AnsiToWide(argv[first + converted], -1);
        if (args[converted] == nullptr)
            break;
        ++converted;
    }
    if (converted == argCount) {
        args[argCount] = nullptr;
        return 1;
    }
    // No message: the conversion failure is reported by nobody.
    for (int i = 0; i < converted; ++i)
        delete[] args[i];
    delete[] args;
    args = nullptr;
    argCount = 0;
    return 0;
}
