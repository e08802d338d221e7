// The scenario runner. Each block of a table file sets up a case, runs it and compares the whole
// outcome with the block's expectation:
//   scenarios launch TREE TABLE   the real Velkor.exe in a fresh install folder: stand-in
//                                 transcript, failure dialog text, exit code
//   scenarios com TREE TABLE      RunWithComRuntime in this process with the stand-in VM:
//                                 stand-in transcript, launch log, result
//   scenarios sweep TREE TABLE    the blocks marked "sweep" with the Nth allocation failing, for
//                                 every N: the launch ends as the loader defines, never crashes
// Under code page 932 the install folders and the executable get double-byte names whose second
// byte is a backslash. See launch.txt for the keys of a block.
#undef _WIN32_WINNT
#define _WIN32_WINNT 0x0600
#include <windows.h>
#include <objbase.h>
#include <shellapi.h>

#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>
#include <vector>

#include "../support/Dialog.h"
#include "LaunchLog.h"
#include "Launchers.h"

namespace {

struct Block {
    std::string name, expected;
    std::multimap<std::string, std::string> keys;
    std::string Key(const std::string& key, const std::string& otherwise = "") const
    {
        auto found = keys.find(key);
        return found == keys.end() ? otherwise : found->second;
    }
};

std::vector<Block> ReadTable(const std::string& path)
{
    std::ifstream file(path);
    std::vector<Block> blocks;
    std::string line;
    bool inExpectation = false;
    while (std::getline(file, line)) {
        if (line.rfind("== ", 0) == 0) {
            blocks.push_back(Block{line.substr(3), "", {}});
            inExpectation = false;
        } else if (blocks.empty() || line.rfind("# ", 0) == 0) {
        } else if (inExpectation) {
            blocks.back().expected += line + "\n";
        } else if (line == "--") {
            inExpectation = true;
        } else {
            size_t colon = line.find(':');
            blocks.back().keys.emplace(line.substr(0, colon), colon + 2 <= line.size() ? line.substr(colon + 2) : "");
        }
    }
    for (Block& block : blocks)
        while (block.expected.size() > 1 && block.expected.substr(block.expected.size() - 2) == "\n\n")
            block.expected.pop_back();
    return blocks;
}

std::string Replace(std::string text, const std::string& from, const std::string& to)
{
    for (size_t at = 0; !from.empty() && (at = text.find(from, at)) != std::string::npos; at += to.size())
        text.replace(at, from.size(), to);
    return text;
}

std::string Windows(const std::string& path) { return path[0] == '/' ? "Z:" + Replace(path, "/", "\\") : path; }

std::string ReadWhole(const std::string& path)
{
    std::string text(1 << 16, '\0');
    DWORD read = 0;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    ::ReadFile(file, &text[0], static_cast<DWORD>(text.size()), &read, nullptr);
    CloseHandle(file);
    return text.substr(0, read);
}

// A log as text lines: CR LF ends a line; a lone CR or LF, and a last line without an end, are marked.
std::string Render(const std::string& log)
{
    std::string text = Replace(Replace(Replace(log, "\r\n", "\x01"), "\r", "[CR]"), "\n", "[LF]\n");
    text = Replace(text, "\x01", "\n");
    return text.empty() || text.back() == '\n' ? text : text + " [no line end]\n";
}

struct Case {
    std::string tree, top, dir, exeName;
    bool doubleByte = GetACP() == 932;

    std::string Expand(const std::string& text) const { return Replace(Replace(text, "<dir>", dir), "<exe>", exeName); }
    std::string Standin(const std::string& name, const std::string& variant) const
    {
        if (name == "javai.dll")
            return tree + "\\tests\\standins\\javai\\" + variant + "\\javai.dll";
        return tree + "\\tests\\standins\\javai\\velkordep.dll";
    }

    // A fresh install folder named after the block, padded with subfolders to the length asked.
    void MakeFolder(const Block& block)
    {
        char temp[MAX_PATH];
        GetTempPathA(sizeof temp, temp);
        exeName = doubleByte ? "\x83\x5C.exe" : "Velkor.exe";
        top = std::string(temp) + (doubleByte ? "\x95\x5C\x8E\xA6 " : "velkor ") + block.name;
        dir = top + "\\";
        RemoveFolder();
        CreateDirectoryA(dir.c_str(), nullptr);
        size_t length = std::strtoul(block.Key("dirlen", "0").c_str(), nullptr, 10);
        while (dir.size() < length) {
            dir += std::string(std::min<size_t>(length - dir.size() - 1, 100), 'x') + "\\";
            CreateDirectoryA(dir.c_str(), nullptr);
        }
    }

    void RemoveFolder() const
    {
        std::string from = top + std::string(2, '\0');
        SHFILEOPSTRUCTA operation = {};
        operation.wFunc = FO_DELETE;
        operation.pFrom = from.c_str();
        operation.fFlags = FOF_NO_UI;
        SHFileOperationA(&operation);
    }

    // The executable (or the build of it that the block names) and the files the block lists.
    void Place(const Block& block) const
    {
        std::istringstream names(block.Key("files") + " " + block.Key("exe") + (block.Key("exe").empty() ? "" : "/") + exeName);
        for (std::string name; names >> name;) {
            // Split at '/' only: a double-byte name may hold a backslash byte.
            for (size_t slash = name.find('/'); slash != std::string::npos; slash = name.find('/', slash + 1))
                CreateDirectoryA((dir + Replace(name.substr(0, slash), "/", "\\")).c_str(), nullptr);
            std::string path = dir + Replace(name, "/", "\\"), leaf = name.substr(name.rfind('/') + 1);
            if (leaf == "javai.dll")
                CopyFileA((tree + "\\tests\\standins\\javai\\" + block.Key("javai", "full") + "\\javai.dll").c_str(), path.c_str(), FALSE);
            else if (leaf == "velkordep.dll")
                CopyFileA((tree + "\\tests\\standins\\javai\\velkordep.dll").c_str(), path.c_str(), FALSE);
            else if (leaf == exeName)
                CopyFileA((tree + "\\" + block.Key("build", "Velkor.exe")).c_str(), path.c_str(), FALSE);
            else if (!leaf.empty())
                CloseHandle(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        }
    }

    // The runtime's registry values of the block, and the stand-in VM registered or not.
    void Registry(const Block& block, const std::string& vmDefault) const
    {
        const char* vmKey = "Software\\Classes\\CLSID\\{3EFB1800-C2A1-11CF-960C-0080C7C2BA87}\\InprocServer32";
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, "Software\\JavaSoft");
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, "Software\\Classes\\CLSID\\{3EFB1800-C2A1-11CF-960C-0080C7C2BA87}");
        std::string vmDll = tree + "\\tests\\standins\\comvm\\ComVm.dll";
        if (block.Key("vm", vmDefault) == "on") {
            RegSetKeyValueA(HKEY_LOCAL_MACHINE, vmKey, nullptr, REG_SZ, vmDll.c_str(), vmDll.size() + 1);
            RegSetKeyValueA(HKEY_LOCAL_MACHINE, vmKey, "ThreadingModel", REG_SZ, "Both", 5);
        }
        for (auto [key, end] = block.keys.equal_range("reg"); key != end; ++key) {
            std::string line = Expand(key->second), path = line.substr(0, line.find(' '));
            std::string value = line.substr(path.size() + 1), name = value.substr(0, value.find('='));
            std::string data = value.substr(name.size() + 1);
            path = "Software\\JavaSoft\\" + Replace(Replace(path, "JRE", "Java Runtime Environment"), "JDK", "Java Development Kit");
            DWORD type = REG_SZ;
            if (name.size() > 7 && name.substr(name.size() - 7) == ":expand")
                type = REG_EXPAND_SZ, name.resize(name.size() - 7);
            RegSetKeyValueA(HKEY_LOCAL_MACHINE, path.c_str(), name.c_str(), type, data.c_str(), data.size() + 1);
        }
    }

    static void Environment(const Block& block, const std::string& transcript)
    {
        SetEnvironmentVariableA("VELKOR_TRANSCRIPT", transcript.c_str());
        SetEnvironmentVariableA("VELKOR_STANDIN", block.keys.count("standin") ? block.Key("standin").c_str() : nullptr);
    }

    // Starts a command line and waits for its end, or for the loader's dialog, read and closed.
    static std::string RunProcess(const std::string& commandLine, const char* exe, const std::string& cwd = "",
                                  const std::string& close = "ok", DWORD* exitCode = nullptr)
    {
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process = {};
        std::string line = commandLine;
        for (int tries = 0; !CreateProcessA(exe, &line[0], nullptr, nullptr, FALSE, 0, nullptr,
                                            cwd.empty() ? nullptr : cwd.c_str(), &startup, &process); ++tries)
            if (GetLastError() != ERROR_INTERNAL_ERROR || tries == 5)
                return "could not start: error " + std::to_string(GetLastError()) + "\n";
        std::string outcome;
        DWORD start = GetTickCount();
        while (WaitForSingleObject(process.hProcess, 10) == WAIT_TIMEOUT && GetTickCount() - start < 20000) {
            HWND dialog = FindLoaderDialog(process.dwProcessId);
            if (dialog != nullptr && outcome.empty()) {
                outcome = "dialog:\n" + Render(LoaderDialogText(dialog));
                CloseLoaderDialog(dialog, close);
            }
        }
        if (WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT) {
            TerminateProcess(process.hProcess, 1);
            outcome += "did not end\n";
        }
        DWORD code = 0;
        GetExitCodeProcess(process.hProcess, &code);
        if (exitCode != nullptr)
            *exitCode = code;
        char text[32];
        std::snprintf(text, sizeof text, "exit=%lx\n", code);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
        return outcome + text;
    }

    std::string Transcript() const { return dir + "transcript.txt"; }
    std::string Transcribed() const { return Replace(ReadWhole(Transcript()), "\r", "[CR]"); }

    std::string Launch(const Block& block, DWORD* exitCode = nullptr) const
    {
        std::string exeDir = dir + Replace(block.Key("exe"), "/", "\\") + (block.Key("exe").empty() ? "" : "\\");
        std::string command = Expand(block.Key("cmd", "\"" + exeDir + "<exe>\""));
        std::string path = block.Key("path");
        std::vector<char> saved(32768);
        GetEnvironmentVariableA("PATH", saved.data(), saved.size());
        if (!path.empty())
            SetEnvironmentVariableA("PATH", (Expand(path) + ";" + saved.data()).c_str());
        std::string outcome = RunProcess(command, (exeDir + exeName).c_str(), Expand(block.Key("cwd", "<dir>")),
                                         block.Key("close", "ok"), exitCode);
        SetEnvironmentVariableA("PATH", saved.data());
        return Transcribed() + outcome;
    }

    std::string Com(const Block& block) const
    {
        if (block.Key("ole") == "mta")
            CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        if (block.Key("quit") == "early")
            PostThreadMessageA(GetCurrentThreadId(), WM_QUIT, 0, 0);
        std::vector<std::string> words = {"velkor"};
        std::istringstream args(block.Key("args"));
        for (std::string word; args >> word;)
            words.push_back(Expand(word));
        std::vector<char*> argv;
        for (std::string& word : words)
            argv.push_back(&word[0]);
        argv.push_back(nullptr);
        int logStart = LaunchLog.GetLength();
        int result = RunWithComRuntime(static_cast<int>(words.size()), argv.data());
        if (block.Key("ole") == "mta")
            CoUninitialize();
        std::string log(static_cast<const char*>(LaunchLog) + logStart);
        if (block.Key("quit") == "early") {
            MSG message;
            Sleep(1500);
            while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            }
        }
        return Transcribed() + "log:\n" + Render(log) + "result=" + std::to_string(result) + "\n";
    }
};

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 4)
        return 2;
    std::string mode = argv[1];
    Case scenario;
    scenario.tree = Windows(argv[2]);
    int passed = 0, failed = 0;
    for (const Block& block : ReadTable(Windows(argv[3]))) {
        if (mode == "sweep" && !block.keys.count("sweep"))
            continue;
        scenario.MakeFolder(block);
        scenario.Place(block);
        scenario.Registry(block, mode == "com" ? "on" : "off");
        Case::Environment(block, scenario.Transcript());
        std::string actual, expected = block.expected;
        if (mode == "com") {
            actual = scenario.Com(block);
        } else if (mode == "launch") {
            actual = scenario.Launch(block);
        } else {
            // Every N up to the first run in which no allocation failed.
            Block sweep = block;
            sweep.keys.erase("build");
            sweep.keys.emplace("build", "tests\\scenarios\\Velkor_alloc.exe");
            scenario.Place(sweep);
            expected.clear();
            for (int n = 1;; ++n) {
                SetEnvironmentVariableA("VELKOR_FAIL_ALLOC", std::to_string(n).c_str());
                DeleteFileA(scenario.Transcript().c_str());
                DWORD code = 0;
                std::string outcome = scenario.Launch(sweep, &code);
                if (code >= 0xC0000000 || outcome.find("did not end") != std::string::npos)
                    actual += "allocation " + std::to_string(n) + ":\n" + outcome;
                if (outcome.find("allocation failed") == std::string::npos) {
                    std::printf("%s: %d launches, the last without a failed allocation\n", block.name.c_str(), n);
                    break;
                }
            }
            SetEnvironmentVariableA("VELKOR_FAIL_ALLOC", nullptr);
        }
        actual = Replace(Replace(actual, scenario.dir, "<dir>"), scenario.exeName, "<exe>");
        if (actual == expected) {
            ++passed;
        } else {
            ++failed;
            std::printf("FAILED %s\n--- expected\n%s--- actual\n%s---\n", block.name.c_str(), expected.c_str(), actual.c_str());
        }
        scenario.RemoveFolder();
    }
    scenario.Registry(Block{}, "off");
    std::printf("%d passed, %d failed\n", passed, failed);
    return failed == 0 && passed > 0 ? 0 : 1;
}
