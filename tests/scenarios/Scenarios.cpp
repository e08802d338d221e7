// The scenario runner. Each block of a table sets up a case, runs it and compares the whole
// outcome with the block's expectation (see launch.txt and com.txt for the keys):
//   scenarios launch TREE TABLE [ROW]  the real Velkor.exe in a fresh install folder
//   scenarios com TREE TABLE [ROW]     RunWithComRuntime with the stand-in VM
//   scenarios jni TREE TABLE [ROW]     RunWithJniRuntime with the stand-in runtime
//   scenarios unit TREE TABLE [ROW]    the unit cases of UnitCases.cpp
//   scenarios sweep TREE TABLE         the blocks marked "sweep" with the Nth allocation failing,
//                                      for every N: no crash, no hang, and the dialog exactly
//                                      when the application was not started
//   scenarios probe [--close ok|escape|closebox|none]
//                                      prints the text of the failure dialog and closes it
// The com, jni and unit blocks each run in a fresh process of this program. ROW (or the variable
// VELKOR_ROW) runs one block; VELKOR_SHUFFLE=SEED runs them in a shuffled order. Under code page
// 932 the install folders and the executable get double-byte names whose second byte is '\'.
#undef _WIN32_WINNT
#define _WIN32_WINNT 0x0600
#include <windows.h>
#include <objbase.h>
#include <shellapi.h>
#include <process.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <random>
#include <sstream>
#include <vector>

#include "LaunchLog.h"
#include "Launchers.h"
#include "UnitCases.h"
#include "resource.h"

namespace {

const std::string kArch = sizeof(void*) == 4 ? "i686" : "x86_64";

struct Block {
    std::string name, expected;
    std::multimap<std::string, std::string> keys;
    std::string Key(const std::string& key, const std::string& otherwise = "") const
    {
        auto found = keys.find(key);
        return found == keys.end() ? otherwise : found->second;
    }
};

std::string Replace(std::string text, const std::string& from, const std::string& to)
{
    for (size_t at = 0; !from.empty() && (at = text.find(from, at)) != std::string::npos; at += to.size())
        text.replace(at, from.size(), to);
    return text;
}

std::vector<Block> ReadTable(const std::string& path)
{
    std::ifstream file(path);
    std::vector<Block> blocks;
    bool inExpectation = false;
    for (std::string line; std::getline(file, line);) {
        size_t colon = line.find(':');
        if (line.rfind("== ", 0) == 0)
            blocks.push_back(Block{line.substr(3), "", {}}), inExpectation = false;
        else if (blocks.empty() || line.rfind("# ", 0) == 0)
            continue;
        else if (inExpectation)
            blocks.back().expected += line + "\n";
        else if (!(inExpectation = line == "--"))
            blocks.back().keys.emplace(line.substr(0, colon), colon != std::string::npos && colon + 2 <= line.size() ? line.substr(colon + 2) : "");
    }
    // "== define NAME" names its expectation: a line <NAME> in a later block stands for it.
    std::vector<Block> rows;
    for (Block& block : blocks) {
        while (block.expected.size() > 1 && block.expected.substr(block.expected.size() - 2) == "\n\n")
            block.expected.pop_back();
        for (const Block& text : blocks)
            if (text.name.rfind("define ", 0) == 0 && &text != &block)
                block.expected = Replace(block.expected, "<" + text.name.substr(7) + ">\n", text.expected);
        if (block.name.rfind("define ", 0) != 0)
            rows.push_back(block);
    }
    return rows;
}

// The text, in that code page, as UTF-16.
std::wstring Wide(const std::string& text, UINT codePage = CP_ACP)
{
    std::wstring wide(text.size() + 1, L'\0');
    wide.resize(static_cast<size_t>(MultiByteToWideChar(codePage, 0, text.c_str(), -1, &wide[0], static_cast<int>(wide.size())) - 1));
    return wide;
}

// A file's bytes, with each CR written as cr.
std::string ReadWhole(const std::string& path, const char* cr = "[CR]")
{
    std::ifstream file(path, std::ios::binary);
    return Replace(std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()), "\r", cr);
}

// Bytes outside ASCII written \xNN.
std::string Escaped(const std::string& text)
{
    std::string escaped;
    for (unsigned char c : text)
        escaped += c < 0x80 ? std::string(1, static_cast<char>(c)) : "\\x" + std::string(1, "0123456789abcdef"[c >> 4]) + "0123456789abcdef"[c & 15];
    return escaped;
}

// A log as lines: CR LF ends a line; a lone CR or LF, and a last line without an end, are marked.
std::string Render(const std::string& log)
{
    std::string escaped = Escaped(Replace(Replace(Replace(Replace(log, "\r\n", "\x01"), "\r", "[CR]"), "\n", "[LF]\n"), "\x01", "\n"));
    return escaped.empty() || escaped.back() == '\n' ? escaped : escaped + " [no line end]\n";
}

// The loader's failure dialog: a visible window of that caption (of the process, 0: of any).
HWND FindDialog(DWORD processId)
{
    DWORD owner = 0;
    for (HWND window = nullptr; (window = FindWindowExA(nullptr, window, nullptr, "Could Not Start Velkor")) != nullptr;)
        if (GetWindowThreadProcessId(window, &owner) && IsWindowVisible(window) && (processId == 0 || owner == processId))
            return window;
    return nullptr;
}

// Reads the log box and asks the dialog to close by OK, Escape or the close box. The text comes
// through a message sent to the dialog's thread, which takes it only from its message loop: the
// dialog's set-up is over by then, and *focused tells whether it left the focus on OK.
std::string ReadAndClose(HWND dialog, const std::string& how, bool* focused = nullptr)
{
    HWND box = GetDlgItem(dialog, IDC_LAUNCH_LOG), ok = GetDlgItem(dialog, IDOK);
    std::string text(static_cast<size_t>(SendMessageA(box, WM_GETTEXTLENGTH, 0, 0)) + 1, '\0');
    text.resize(static_cast<size_t>(SendMessageA(box, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0]))));
    GUITHREADINFO thread = {sizeof thread, 0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, {}};
    if (focused != nullptr)
        *focused = GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &thread) && thread.hwndFocus == ok;
    if (how == "escape")
        PostMessageA(ok, WM_KEYDOWN, VK_ESCAPE, 0);
    else if (how == "closebox")
        PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    else if (how != "none")
        PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(ok));
    return text;
}

// For the demo and the screenshot: waits up to 30 s for the dialog of any process.
int Probe(int argc, char** argv)
{
    HWND dialog = nullptr;
    for (DWORD start = GetTickCount(); dialog == nullptr && GetTickCount() - start < 30000; Sleep(20))
        dialog = FindDialog(0);
    std::string text = dialog != nullptr ? ReadAndClose(dialog, argc > 3 ? argv[3] : "ok") : "";
    std::fwrite(text.data(), 1, text.size(), stdout);
    return dialog != nullptr ? 0 : 2;
}

struct Case {
    std::string tree, top, dir, shortName, exeName = GetACP() == 932 ? "\x83\x5C.exe" : "Velkor.exe";

    // The install folder with a forward slash after its drive.
    std::string Slashed() const { return dir.substr(0, 2) + "/" + dir.substr(3); }
    // <x:N> stands for N letters x; in an outcome, every run of 100 or more is written that way.
    std::string Expand(const std::string& text) const
    {
        std::string expanded = Replace(Replace(Replace(Replace(text, "<dir>", dir), "<dir/>", Slashed()), "<short>", shortName), "<exe>", exeName);
        for (size_t at; (at = expanded.find("<x:")) != std::string::npos;)
            expanded.replace(at, expanded.find('>', at) + 1 - at, std::stoul(expanded.substr(at + 3)), 'x');
        return expanded;
    }
    std::string Tokens(const std::string& text) const
    {
        std::string tokens = Replace(Replace(Replace(Replace(text, dir, "<dir>"), Slashed(), "<dir/>"), shortName, "<short>"), exeName, "<exe>");
        for (size_t at, end; (at = tokens.find(std::string(100, 'x'))) != std::string::npos;)
            end = std::min(tokens.find_first_not_of('x', at), tokens.size()), tokens.replace(at, end - at, "<x:" + std::to_string(end - at) + ">");
        return tokens;
    }
    std::string Transcript() const { return dir + "transcript.txt"; }

    void RemoveFolder() const
    {
        std::string from = top + std::string(2, '\0');
        SHFILEOPSTRUCTA operation = {nullptr, FO_DELETE, from.c_str(), nullptr, FOF_NO_UI, FALSE, nullptr, nullptr};
        SHFileOperationA(&operation);
    }

    // A fresh install folder named after the block (padded with subfolders to the length asked),
    // its files, the runtime's registry values, the stand-in VM registered or not.
    void Prepare(const Block& block, const std::string& vmDefault)
    {
        char temp[MAX_PATH];
        GetTempPathA(sizeof temp, temp);
        top = temp + std::string(GetACP() == 932 ? "\x95\x5C\x8E\xA6 " : "velkor ") + block.name;
        RemoveFolder();
        for (dir = top + "\\"; CreateDirectoryA(dir.c_str(), nullptr) && dir.size() < std::stoul(block.Key("dirlen", "0"));)
            dir += std::string(std::min<size_t>(std::stoul(block.Key("dirlen")) - dir.size() - 1, 100), 'x') + "\\";
        // A folder of a name given in UTF-8, made by the wide call; the other calls reach it by its short name.
        wchar_t shortPath[MAX_PATH] = L"";
        std::wstring wide = Wide(dir) + Wide(block.Key("wide"), CP_UTF8);
        bool made = block.keys.count("wide") && CreateDirectoryW(wide.c_str(), nullptr) && GetShortPathNameW(wide.c_str(), shortPath, MAX_PATH);
        shortName = made ? std::string(wcsrchr(shortPath, L'\\') + 1, shortPath + wcslen(shortPath)) : "";
        std::istringstream names(Expand(block.Key("files") + " " + block.Key("exe")) + (block.Key("exe").empty() ? "" : "/") + exeName);
        for (std::string name; names >> name;) {
            // Split at '/' only: a double-byte name may hold a backslash byte.
            for (size_t slash = name.find('/'); slash != std::string::npos; slash = name.find('/', slash + 1))
                CreateDirectoryA((dir + Replace(name.substr(0, slash), "/", "\\")).c_str(), nullptr);
            std::string path = dir + Replace(name, "/", "\\"), leaf = name.substr(name.rfind('/') + 1);
            std::string standins = tree + "\\tests\\standins\\javai\\";
            std::string build = leaf == "velkordep.dll" ? "" : block.Key("javai", leaf == "jvm.dll" ? "later" : "full") + "\\";
            if (leaf == "javai.dll" || leaf == "jvm.dll" || leaf == "velkordep.dll" || leaf == exeName)
                CopyFileA((leaf == exeName ? tree + "\\" + block.Key("build", "Velkor.exe") : standins + build + leaf).c_str(), path.c_str(), FALSE);
            else if (!leaf.empty())
                CloseHandle(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        }
        const char* vmKey = "Software\\Classes\\CLSID\\{3EFB1800-C2A1-11CF-960C-0080C7C2BA87}";
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, "Software\\JavaSoft");
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, vmKey);
        // An in-process server, or an in-process handler.
        std::string server = std::string(vmKey) + (block.Key("vm") == "handler" ? "\\InprocHandler32" : "\\InprocServer32");
        std::string vm = tree + "\\tests\\standins\\comvm\\ComVm.dll";
        if (block.Key("vm", vmDefault) != "off")
            RegSetKeyValueA(HKEY_LOCAL_MACHINE, server.c_str(), nullptr, REG_SZ, vm.c_str(), vm.size() + 1),
                RegSetKeyValueA(HKEY_LOCAL_MACHINE, server.c_str(), "ThreadingModel", REG_SZ, "Both", 5);
        for (auto [key, end] = block.keys.equal_range("reg"); key != end; ++key) {
            std::istringstream line(Expand(key->second));
            std::string path, name, data;
            std::getline(std::getline(line >> path, name, '='), data);
            path = "Software\\JavaSoft\\" + Replace(Replace(path, "JRE", "Java Runtime Environment"), "JDK", "Java Development Kit");
            bool expand = name.size() > 8 && name.substr(name.size() - 7) == ":expand";
            RegSetKeyValueA(HKEY_LOCAL_MACHINE, path.c_str(), name.substr(1, name.size() - (expand ? 8 : 1)).c_str(),
                            expand ? REG_EXPAND_SZ : REG_SZ, data.c_str(), data.size() + 1);
        }
        SetEnvironmentVariableA("VELKOR_TRANSCRIPT", Transcript().c_str());
        SetEnvironmentVariableA("VELKOR_STANDIN", block.keys.count("standin") ? block.Key("standin").c_str() : nullptr);
    }

    // Runs the loader to its end; a dialog on the way is read and closed.
    std::string Launch(const Block& block, DWORD* code) const
    {
        std::string exeDir = dir + Replace(Expand(block.Key("exe")), "/", "\\") + (block.Key("exe").empty() ? "" : "\\");
        std::string line = Expand(block.Key("cmd")), cwd = Expand(block.Key("cwd", "<dir>"));
        std::vector<char> path(32768);
        GetEnvironmentVariableA("PATH", path.data(), path.size());
        SetEnvironmentVariableA("PATH", (Expand(block.Key("path")) + ";" + path.data()).c_str());
        STARTUPINFOW startup = {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process = {};
        // Started by its long path, as a double-click starts it, whatever the code page can spell;
        // the command line quotes that path unless the block gives one.
        wchar_t program[MAX_PATH] = L"";
        GetLongPathNameW(Wide(exeDir + exeName).c_str(), program, MAX_PATH);
        std::wstring wideLine = block.keys.count("cmd") ? Wide(line) : L"\"" + std::wstring(program) + L"\"";
        // Wine now and then fails a start with an internal error: that start alone is tried again.
        BOOL started = FALSE;
        for (int tries = 0; !(started = CreateProcessW(program, &wideLine[0], nullptr, nullptr, FALSE, 0,
                                                      nullptr, Wide(cwd).c_str(), &startup, &process)) &&
                            GetLastError() == ERROR_INTERNAL_ERROR && tries < 5;
             ++tries)
            std::printf("%s: Wine refused to start the loader (ERROR_INTERNAL_ERROR); starting it again\n", block.name.c_str());
        SetEnvironmentVariableA("PATH", path.data());
        if (!started)
            return "could not start: error " + std::to_string(GetLastError()) + "\n";
        std::string outcome;
        for (DWORD start = GetTickCount(); WaitForSingleObject(process.hProcess, 10) == WAIT_TIMEOUT;) {
            HWND dialog = outcome.empty() ? FindDialog(process.dwProcessId) : nullptr;
            RECT box, screen;
            bool focused = false;
            if (dialog != nullptr && GetWindowRect(dialog, &box) && GetWindowRect(GetDesktopWindow(), &screen)) {
                std::string log = ReadAndClose(dialog, block.Key("close", "ok"), &focused);
                outcome = std::string("dialog") +
                          (std::abs(box.left + box.right - screen.right) > 1 || std::abs(box.top + box.bottom - screen.bottom) > 1 ? " not centred" : "") +
                          (focused ? "" : " without focus on OK") + ":\n" + Render(Tokens(log));
            }
            if (GetTickCount() - start > 20000 && TerminateProcess(process.hProcess, 1))
                outcome += "did not end\n";
        }
        GetExitCodeProcess(process.hProcess, code);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
        char exitLine[32];
        std::snprintf(exitLine, sizeof exitLine, "exit=%lx\n", *code);
        return ReadWhole(Transcript()) + outcome + exitLine;
    }

    // RunWithJniRuntime or RunWithComRuntime in this process, on the block's vector.
    std::string InProcess(const Block& block, bool jni) const
    {
        if (block.Key("ole") == "mta")
            CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        // A stray quit message in the queue; the stand-in VM holds its Execute until the join is over.
        std::string holdName = "velkor hold " + std::to_string(GetCurrentProcessId());
        HANDLE hold = CreateEventA(nullptr, TRUE, FALSE, holdName.c_str());
        SetEnvironmentVariableA("VELKOR_HOLD_EVENT", holdName.c_str());
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
        std::string result = "thrown";
        bool handedOver = false;
        try {
            result = jni ? (RunWithJniRuntime(static_cast<int>(words.size()), argv.data()), "returned")
                         : std::to_string(RunWithComRuntime(static_cast<int>(words.size()), argv.data(), &handedOver));
        } catch (int) {
        }
        result += jni ? "" : handedOver ? ", class handed over" : ", class not handed over";
        // A worker that outlived the join reports and posts its quit message once it is let go.
        MSG message;
        for (SetEvent(hold); block.Key("quit") == "early" && GetMessageA(&message, nullptr, 0, 0) > 0;) {
        }
        return ReadWhole(Transcript()) + "log:\n" + Render(Tokens(static_cast<const char*>(LaunchLog))) + "result=" + result + "\n";
    }

    // Every N up to the first launch in which no allocation failed: the Nth allocation fails, or
    // with "sweep: onward" every one from the Nth on. Only crashes, hangs, terminate's exit and a
    // dialog missing or out of place are told.
    std::string Sweep(Block block)
    {
        block.keys.emplace("build", "tests\\scenarios\\Velkor_alloc.exe");
        std::string told;
        for (int n = 1;; ++n) {
            Prepare(block, "off");
            SetEnvironmentVariableA("VELKOR_FAIL_ALLOC", (std::to_string(n) + (block.Key("sweep") == "onward" ? "+" : "")).c_str());
            DWORD code = 0;
            std::string outcome = Launch(block, &code);
            // Whatever allocation failed, the dialog appears exactly when the application was not
            // started: neither its main called nor the VM asked to run it.
            bool started = outcome.find("\nmain\n") != std::string::npos || outcome.find("Execute on the") != std::string::npos;
            if (code >= 0xC0000000 || code == 3 || outcome.find("did not end") != std::string::npos || started == (outcome.find("dialog") != std::string::npos))
                told += "allocation " + std::to_string(n) + ":\n" + outcome;
            if (outcome.find("allocation failed") == std::string::npos) {
                std::printf("%s: %d launches\n", block.name.c_str(), n);
                return told;
            }
        }
    }
};

// Runs one block in a fresh process of this program, which writes its outcome into a file.
std::string InChild(const std::string& mode, const std::string& tree, const std::string& table, const Block& block)
{
    char self[MAX_PATH], temp[MAX_PATH];
    GetModuleFileNameA(nullptr, self, sizeof self);
    GetTempPathA(sizeof temp, temp);
    std::string out = temp + std::string("velkor-row.txt"), quote = "\"";
    DeleteFileA(out.c_str());
    intptr_t code = _spawnl(_P_WAIT, self, "scenarios", mode.c_str(), (quote + tree + quote).c_str(), (quote + table + quote).c_str(),
                            block.name.c_str(), (quote + out + quote).c_str(), nullptr);
    return ReadWhole(out, "\r") + (code == 0 ? "" : "ended with " + std::to_string(code) + "\n");
}

}  // namespace

int main(int argc, char** argv)
{
    std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "probe")
        return Probe(argc, argv);
    if (argc < 4)
        return 2;
    Case scenario;
    scenario.tree = "Z:" + Replace(argv[2], "/", "\\");
    std::string table = argv[3][0] == '/' ? "Z:" + Replace(argv[3], "/", "\\") : argv[3];
    const char* only = argc > 4 ? argv[4] : std::getenv("VELKOR_ROW");
    std::vector<Block> blocks = ReadTable(table);
    if (const char* seed = std::getenv("VELKOR_SHUFFLE"))
        std::shuffle(blocks.begin(), blocks.end(), std::mt19937(std::strtoul(seed, nullptr, 10)));
    int passed = 0, failed = 0;
    for (const Block& block : blocks) {
        // acp: the row runs under that ANSI code page only; alone: only when named (CTest runs it
        // so, in an environment of its own).
        bool named = only != nullptr && *only != 0;
        if ((mode == "sweep" && !block.keys.count("sweep")) || (named && block.name != only) || (!named && block.keys.count("alone")) ||
            block.Key("acp", std::to_string(GetACP())) != std::to_string(GetACP()))
            continue;
        // arch: the row shows something of that build only (its block says why); another lane says
        // that it did not run it.
        if (block.Key("arch", kArch) != kArch) {
            std::printf("%s: not run, it shows something of the %s build only\n", block.name.c_str(), block.Key("arch").c_str());
            continue;
        }
        std::string actual;
        if (mode != "launch" && mode != "sweep" && argc <= 5) {
            actual = InChild(mode, argv[2], table, block);
        } else {
            scenario.Prepare(block, mode == "com" ? "on" : "off");
            DWORD code = 0;
            actual = Escaped(scenario.Tokens(mode == "launch" ? scenario.Launch(block, &code)
                                             : mode == "sweep" ? scenario.Sweep(block)
                                             : mode == "unit"  ? ReplayCases(scenario.Expand(block.expected))
                                                               : scenario.InProcess(block, mode == "jni")));
            scenario.RemoveFolder();
        }
        // The child's side: the outcome goes to the parent's file.
        if (argc > 5)
            return std::ofstream(argv[5], std::ios::binary) << actual ? 0 : 1;
        std::string expected = mode == "sweep" ? "" : block.expected;
        // Under qemu's emulator Wine reports an access violation as an illegal instruction: there
        // exit=c0000005 reads exit=c000001d, and a row's qemu-exit key gives the code it ends with.
        if (std::getenv("VELKOR_IN_I686_LANE") != nullptr)
            expected = block.keys.count("qemu-exit") ? expected.substr(0, expected.rfind("exit=")) + "exit=" + block.Key("qemu-exit") + "\n"
                                                     : Replace(expected, "exit=c0000005\n", "exit=c000001d\n");
        if (actual == expected)
            ++passed;
        else
            ++failed, std::printf("FAILED %s\n--- expected\n%s--- actual\n%s---\n", block.name.c_str(), expected.c_str(), actual.c_str());
    }
    std::printf("%d passed, %d failed\n", passed, failed);
    return failed == 0 && passed > 0 ? 0 : 1;
}
