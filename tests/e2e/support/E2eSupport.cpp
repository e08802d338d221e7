#include "E2eSupport.h"

#include <cstdlib>
#include <cstring>
#include <stdexcept>

namespace velkor_e2e {

namespace {

std::string LastErrorText(const std::string& what)
{
    return what + " (error " + std::to_string(GetLastError()) + ")";
}

bool SameNameIgnoringCase(const std::string& a, const std::string& b)
{
    return lstrcmpiA(a.c_str(), b.c_str()) == 0;
}

// A path for the wide file functions, with the \\?\ prefix that lifts their length limit, so
// that the overlong cases can make and remove their files.
std::wstring LongPath(const std::string& path)
{
    int length = MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, nullptr, 0);
    std::wstring wide(length > 0 ? length - 1 : 0, L'\0');
    if (length > 1)
        MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, &wide[0], length);
    return path.size() >= 3 && path[1] == ':' && path[2] == '\\' ? L"\\\\?\\" + wide : wide;
}

// Removes a folder (wide path ending with a backslash) and everything in it; quietly leaves
// whatever cannot be removed.
void RemoveTree(const std::wstring& folder)
{
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::wstring name = found.cFileName;
            if (name == L"." || name == L"..")
                continue;
            std::wstring full = folder + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(full + L"\\");
            } else {
                SetFileAttributesW(full.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileW(full.c_str());
            }
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    RemoveDirectoryW(folder.c_str());
}

// The environment block for the new process: this one's, with the extra variables added or
// replaced. Empty when there is nothing to add (the process then inherits ours).
std::string EnvironmentBlock(const std::vector<std::pair<std::string, std::string>>& extra)
{
    if (extra.empty())
        return std::string();
    std::vector<std::string> entries;
    char* inherited = GetEnvironmentStringsA();
    for (const char* p = inherited; p != nullptr && *p != 0; p += std::strlen(p) + 1)
        entries.emplace_back(p);
    if (inherited != nullptr)
        FreeEnvironmentStringsA(inherited);
    for (const auto& [name, value] : extra) {
        bool replaced = false;
        for (std::string& entry : entries) {
            size_t equals = entry.find('=', 1);  // a leading '=' belongs to the name ("=C:")
            if (equals != std::string::npos && SameNameIgnoringCase(entry.substr(0, equals), name)) {
                entry = name + "=" + value;
                replaced = true;
            }
        }
        if (!replaced)
            entries.push_back(name + "=" + value);
    }
    std::string block;
    for (const std::string& entry : entries) {
        block += entry;
        block += '\0';
    }
    block += '\0';
    return block;
}

struct DialogSearch {
    DWORD processId;
    HWND found;
};

BOOL CALLBACK MatchDialog(HWND window, LPARAM context)
{
    DialogSearch* search = reinterpret_cast<DialogSearch*>(context);
    char title[64];
    if (GetWindowTextA(window, title, sizeof title) <= 0 || std::strcmp(title, kDialogTitle) != 0)
        return TRUE;
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (search->processId != 0 && owner != search->processId)
        return TRUE;
    // The dialog becomes visible only after WM_INITDIALOG has filled its text box. Its own
    // style tells (IsWindowVisible would also look at parents up to this thread's desktop).
    if ((GetWindowLongA(window, GWL_STYLE) & WS_VISIBLE) == 0)
        return TRUE;
    search->found = window;
    return FALSE;
}

}  // namespace

std::string WindowsPath(const std::string& path)
{
    std::string result = (!path.empty() && path[0] == '/') ? "Z:" + path : path;
    for (char& ch : result)
        if (ch == '/')
            ch = '\\';
    return result;
}

std::string VelkorExe()
{
    if (const char* fromEnvironment = std::getenv("VELKOR_EXE"); fromEnvironment != nullptr && *fromEnvironment)
        return WindowsPath(fromEnvironment);
    for (int i = 1; i < __argc; ++i) {
        if (__argv[i] != nullptr && std::strncmp(__argv[i], "--", 2) != 0)
            return WindowsPath(__argv[i]);
    }
    return std::string();
}

// ---- InstallFolder -------------------------------------------------------------------------

InstallFolder::InstallFolder(const std::string& caseName, size_t minPathLength)
{
    static unsigned counter = 0;
    char temp[MAX_PATH];
    DWORD length = GetTempPathA(sizeof temp, temp);
    if (length == 0 || length >= sizeof temp)
        throw std::runtime_error(LastErrorText("GetTempPathA failed"));
    std::string base = temp;
    if (base.back() != '\\')
        base += '\\';
    for (int attempt = 0;; ++attempt) {
        root = base + "velkor-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(GetTickCount()) + "-" +
               std::to_string(++counter) + "-" + caseName + "\\";
        if (CreateDirectoryA(root.c_str(), nullptr))
            break;
        if (GetLastError() != ERROR_ALREADY_EXISTS || attempt > 100)
            throw std::runtime_error(LastErrorText("cannot create " + root));
    }
    path = root;
    // Nest folders of up to 60 characters until the path has the length asked for; never leave
    // a remainder of 1, which no folder name (plus its backslash) could fill.
    while (minPathLength > path.size()) {
        size_t remaining = minPathLength - path.size();
        if (remaining < 2)
            throw std::runtime_error("cannot make a folder path of exactly " + std::to_string(minPathLength));
        size_t nameLength = remaining - 1;
        if (nameLength > 60)
            nameLength = remaining - 61 >= 2 ? 60 : 50;
        path += std::string(nameLength, 'd') + "\\";
        if (!CreateDirectoryW(LongPath(path).c_str(), nullptr))
            throw std::runtime_error(LastErrorText("cannot create " + path));
    }
}

InstallFolder::~InstallFolder() { RemoveTree(LongPath(root)); }

std::string InstallFolder::CopyExe(const std::string& name, const std::string& source)
{
    if (source.empty())
        throw std::runtime_error("no Velkor.exe given: pass its path as the test program's argument");
    std::string target = path + name;
    if (!CopyFileW(LongPath(source).c_str(), LongPath(target).c_str(), FALSE))
        throw std::runtime_error(LastErrorText("cannot copy " + source + " to " + target));
    return target;
}

std::string InstallFolder::Place(const std::string& name, Entry kind, const std::string& content)
{
    std::string target = path + name;
    if (kind == Entry::Directory) {
        if (!CreateDirectoryW(LongPath(target).c_str(), nullptr))
            throw std::runtime_error(LastErrorText("cannot create " + target));
        return target;
    }
    HANDLE file =
        CreateFileW(LongPath(target).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        throw std::runtime_error(LastErrorText("cannot create " + target));
    DWORD written = 0;
    BOOL ok = WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
    CloseHandle(file);
    if (!ok || written != content.size())
        throw std::runtime_error(LastErrorText("cannot write " + target));
    return target;
}

// ---- LoaderProcess -------------------------------------------------------------------------

LoaderProcess::LoaderProcess(const std::string& exePath, const RunOptions& options)
{
    std::string commandLine = options.commandLine.empty() ? "\"" + exePath + "\"" : options.commandLine;
    std::vector<char> writableCommandLine(commandLine.begin(), commandLine.end());
    writableCommandLine.push_back(0);
    std::string directory = options.workingDirectory;
    if (directory.empty()) {
        // Step over double-byte characters whole: a trail byte may be 0x5C.
        const char* end = nullptr;
        for (const char* p = exePath.c_str(); *p != 0; p = CharNextA(p))
            if (*p == '\\' || *p == '/')
                end = p + 1;
        if (end != nullptr)
            directory.assign(exePath.c_str(), end);
    }
    std::string environment = EnvironmentBlock(options.environment);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    // The application name fixes the executable; the command line is handed over as it is, so
    // argv[0] is exactly its first word.
    // Wine now and then answers ERROR_INTERNAL_ERROR while its services settle in a new prefix;
    // that is Wine's hiccup, not the loader's, so such a start is tried again.
    bool started = false;
    for (int attempt = 0; attempt < 5 && !started; ++attempt) {
        std::vector<char> attemptLine = writableCommandLine;
        started = CreateProcessA(exePath.c_str(), attemptLine.data(), nullptr, nullptr, FALSE, 0,
                                 environment.empty() ? nullptr : environment.data(),
                                 directory.empty() ? nullptr : directory.c_str(), &startup, &info) != FALSE;
        if (!started && GetLastError() != ERROR_INTERNAL_ERROR)
            break;
        if (!started)
            Sleep(500);
    }
    if (!started)
        throw std::runtime_error(LastErrorText("cannot start " + exePath + " with " + commandLine));
    CloseHandle(info.hThread);
    process = info.hProcess;
    processId = info.dwProcessId;
}

LoaderProcess::~LoaderProcess()
{
    if (process == nullptr)
        return;
    if (WaitForSingleObject(process, 0) != WAIT_OBJECT_0) {
        TerminateProcess(process, 0xDEAD);
        WaitForSingleObject(process, 5000);
    }
    CloseHandle(process);
}

Event LoaderProcess::WaitForDialogOrExit(DWORD timeoutMs)
{
    dialog = nullptr;
    DWORD start = GetTickCount();
    for (;;) {
        dialog = FindLoaderDialog(processId);
        if (dialog != nullptr)
            return Event::DialogShown;
        if (WaitForSingleObject(process, 20) == WAIT_OBJECT_0)
            return Event::Ended;
        if (GetTickCount() - start >= timeoutMs)
            return Event::TimedOut;
    }
}

std::string LoaderProcess::DialogText() const { return dialog != nullptr ? ReadDialogText(dialog) : std::string(); }

bool LoaderProcess::CloseDialog(CloseBy how) { return dialog != nullptr && CloseLoaderDialog(dialog, how); }

bool LoaderProcess::WaitForExit(DWORD timeoutMs, DWORD* exitCode)
{
    if (WaitForSingleObject(process, timeoutMs) != WAIT_OBJECT_0)
        return false;
    DWORD code = 0;
    GetExitCodeProcess(process, &code);
    if (exitCode != nullptr)
        *exitCode = code;
    return true;
}

RunOutcome RunLoader(const std::string& exePath, const RunOptions& options, CloseBy how)
{
    RunOutcome outcome;
    LoaderProcess run(exePath, options);
    Event event = run.WaitForDialogOrExit(options.timeoutMs);
    if (event == Event::DialogShown) {
        outcome.dialogShown = true;
        outcome.dialogText = run.DialogText();
        run.CloseDialog(how);
    }
    if (event != Event::TimedOut)
        outcome.ended = run.WaitForExit(options.timeoutMs, &outcome.exitCode);
    return outcome;
}

// ---- Dialog helpers ------------------------------------------------------------------------

HWND FindLoaderDialog(DWORD processId, HDESK desktop)
{
    DialogSearch search = {processId, nullptr};
    if (desktop != nullptr)
        EnumDesktopWindows(desktop, &MatchDialog, reinterpret_cast<LPARAM>(&search));
    else
        EnumWindows(&MatchDialog, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::string ReadDialogText(HWND dialog)
{
    HWND box = GetDlgItem(dialog, kLogControlId);
    if (box == nullptr)
        return std::string();
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutA(box, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &length))
        return std::string();
    std::vector<char> text(length + 1, 0);
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutA(box, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()), SMTO_ABORTIFHUNG,
                             5000, &copied))
        return std::string();
    return std::string(text.data(), copied < length ? copied : length);
}

bool CloseLoaderDialog(HWND dialog, CloseBy how)
{
    switch (how) {
    case CloseBy::Ok: {
        HWND ok = GetDlgItem(dialog, IDOK);
        return ok != nullptr && PostMessageA(ok, BM_CLICK, 0, 0);
    }
    case CloseBy::Escape: {
        // The key goes to the control with the focus, where the dialog's own loop sees it.
        GUITHREADINFO gui = {};
        gui.cbSize = sizeof gui;
        HWND target = dialog;
        if (GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &gui) && gui.hwndFocus != nullptr)
            target = gui.hwndFocus;
        LPARAM scanCode = static_cast<LPARAM>(MapVirtualKeyA(VK_ESCAPE, 0)) << 16;
        return PostMessageA(target, WM_KEYDOWN, VK_ESCAPE, 1 | scanCode) &&
               PostMessageA(target, WM_KEYUP, VK_ESCAPE, 1 | scanCode | static_cast<LPARAM>(0xC0000000u));
    }
    case CloseBy::CloseBox:
        return PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    }
    return false;
}

VmRegistration::VmRegistration(const std::string& dllPath)
{
    std::string serverKey = std::string(kVmClassKey) + "\\InprocServer32";
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CLASSES_ROOT, serverKey.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return;
    const char threading[] = "Both";
    ok = RegSetValueExA(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(dllPath.c_str()),
                        static_cast<DWORD>(dllPath.size() + 1)) == ERROR_SUCCESS &&
         RegSetValueExA(key, "ThreadingModel", 0, REG_SZ, reinterpret_cast<const BYTE*>(threading), sizeof threading) ==
             ERROR_SUCCESS;
    RegCloseKey(key);
}

VmRegistration::~VmRegistration()
{
    RegDeleteKeyA(HKEY_CLASSES_ROOT, (std::string(kVmClassKey) + "\\InprocServer32").c_str());
    RegDeleteKeyA(HKEY_CLASSES_ROOT, kVmClassKey);
}

}  // namespace velkor_e2e
