// The loader in install folders whose names hold characters outside ASCII, under the ANSI code
// page that the test runs in (run-in-locale.sh starts it with a Western or a Japanese locale).
// In code page 932 the names hold double-byte characters whose second byte is 0x5C, the
// backslash. Expected texts are built from the wide names through WideCharToMultiByte with the
// ANSI, OEM or UTF-8 code page, never through the loader's own conversions.
//
// Arguments: Velkor.exe, --codepage=ACP (the ANSI code page the run must have), and
// --logged-exe=PATH, the loader's allocation-failure build, which reports its launch log (used
// here with no failure, to read the COM side's log that no dialog shows).
#include <gtest/gtest.h>

#include <windows.h>
#include <shlwapi.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "E2eSupport.h"
#include "JniTestSupport.h"

using namespace velkor_e2e;

namespace {

const char kSun[] = "Trying the Sun Java runtime...\r\n";
const char kNoRuntime[] = "Could not locate Sun Java runtime\r\n";
const char kMicrosoft[] = "Trying the Mircosoft Java runtime...\r\n";
const char kCaught[] = "Caught an unhandled exception";
const char kJavaSoft[] = "Software\\JavaSoft";

std::string Argument(const char* name)
{
    size_t length = std::strlen(name);
    for (int i = 1; i < __argc; ++i) {
        if (std::strncmp(__argv[i], name, length) == 0)
            return __argv[i] + length;
    }
    return std::string();
}

std::string Narrow(const std::wstring& text, UINT codePage)
{
    int size = WideCharToMultiByte(codePage, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string result(size > 1 ? static_cast<size_t>(size) : 1, '\0');
    WideCharToMultiByte(codePage, 0, text.c_str(), -1, &result[0], size, nullptr, nullptr);
    result.resize(size > 1 ? static_cast<size_t>(size - 1) : 0);
    return result;
}

std::wstring Wide(const std::string& text, UINT codePage)
{
    int size = MultiByteToWideChar(codePage, 0, text.c_str(), -1, nullptr, 0);
    std::wstring result(size > 1 ? static_cast<size_t>(size) : 1, L'\0');
    MultiByteToWideChar(codePage, 0, text.c_str(), -1, &result[0], size);
    result.resize(size > 1 ? static_cast<size_t>(size - 1) : 0);
    return result;
}

// The names used in one code page.
struct Names {
    std::wstring folder;       // the install folder
    std::wstring exe;          // a name for the executable
    std::wstring notBin;       // a folder whose name merely ends in "bin"
    std::wstring description;  // an error description that the VM hands back
};

Names NamesFor(UINT codePage)
{
    if (codePage == 932)
        // "表示ソフト 表": 表 is 95 5C and ソ is 83 5C in code page 932, and the last 表 stands
        // right before the separator. "表bin" ends in the bytes 5C 'b' 'i' 'n'.
        return {L"\u8868\u793a\u30bd\u30d5\u30c8 \u8868", L"\u30bd.exe", L"\u8868bin",
                L"\u30a8\u30e9\u30fc\uff1a\u8868\u793a\u3067\u304d\u307e\u305b\u3093"};
    // "Dossier été Übung", "É.exe", "übin", "Größe ungültig: café": one byte each in 1252, other
    // bytes in the OEM code page 437.
    return {L"Dossier \u00e9t\u00e9 \u00dcbung", L"\u00c9.exe", L"\u00fcbin", L"Gr\u00f6\u00dfe ung\u00fcltig: caf\u00e9"};
}

// A folder of the given wide name inside a fresh install folder (whose own path is ASCII).
class NamedFolder {
public:
    explicit NamedFolder(const std::wstring& name, const std::string& caseName) : root(caseName)
    {
        wide = Wide(root.Path(), CP_ACP) + name + L"\\";
        path = root.Path() + Narrow(name, CP_ACP) + "\\";
        created = CreateDirectoryW(wide.c_str(), nullptr) != 0;
    }
    // A subfolder (a plain name) or file, made through the root with the ANSI names.
    std::string Place(const std::string& name, Entry kind) { return root.Place(Relative(name), kind); }
    std::string CopyExe(const std::string& name = "Velkor.exe", const std::string& source = VelkorExe())
    {
        return root.CopyExe(Relative(name), source);
    }

    InstallFolder root;
    std::wstring wide;  // with its trailing backslash
    std::string path;   // the same in the ANSI code page
    bool created = false;

private:
    std::string Relative(const std::string& name) const { return path.substr(root.Path().size()) + name; }
};

void SetValue(const std::string& keyPath, const char* name, const std::string& text)
{
    SetRegistryValue(HKEY_LOCAL_MACHINE, keyPath, name, REG_SZ, text.c_str(), static_cast<DWORD>(text.size() + 1));
}


// Runs an exe with the given extra environment; the command line is its quoted path.
RunOutcome Launch(const std::string& exe, std::vector<std::pair<std::string, std::string>> environment = {})
{
    RunOptions options;
    options.commandLine = "\"" + exe + "\"";
    options.environment = std::move(environment);
    return RunLoader(exe, options);
}

// The launch log that the logged build reports after its launch (AllocTestApp.cpp).
std::string ReportedLog(const std::string& report)
{
    size_t start = report.find("\nlog=");
    return start == std::string::npos ? "(no report)" : report.substr(start + 5);
}

// The system's text for an HRESULT as the COM side reports it, in the OEM code page.
std::string OemSystemText(HRESULT code)
{
    wchar_t text[512];
    if (FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, static_cast<DWORD>(code), 0x0800, text, 512, nullptr) == 0) {
        char unavailable[64];
        std::snprintf(unavailable, sizeof unavailable, "SCODE 0x%lx: Error message unavailable.",
                      static_cast<unsigned long>(code));
        return unavailable;
    }
    return Narrow(text, CP_OEMCP);
}

class CodePage : public testing::Test {
protected:
    CodePage() { SHDeleteKeyA(HKEY_LOCAL_MACHINE, kJavaSoft); }
    ~CodePage() override { SHDeleteKeyA(HKEY_LOCAL_MACHINE, kJavaSoft); }

    UINT codePage = GetACP();
    Names names = NamesFor(codePage);
};

}  // namespace

// The run has the code page it was started for, and the names survive the ANSI code page: in
// 932 the folder name's bytes hold 5C as the second byte of a character.
TEST_F(CodePage, RunsInTheExpectedCodePage)
{
    ASSERT_EQ(std::to_string(codePage), Argument("--codepage="));
    EXPECT_EQ(GetOEMCP(), codePage == 932 ? 932u : 437u);
    for (const std::wstring* name : {&names.folder, &names.exe, &names.notBin, &names.description})
        EXPECT_EQ(Wide(Narrow(*name, CP_ACP), CP_ACP), *name);
    if (codePage == 932) {
        EXPECT_NE(Narrow(names.folder, CP_ACP).find("\x95\x5C\x8E\xA6\x83\x5C"), std::string::npos);
        EXPECT_EQ(Narrow(names.exe, CP_ACP), "\x83\x5C.exe");
        EXPECT_EQ(Narrow(names.notBin, CP_ACP), "\x95\x5C" "bin");
    }
}

// Dialog texts from a non-ASCII folder, with an exe of a non-ASCII name (in 932 its trail byte
// 5C must not end ExeDirectory): the missing jar with argv[0]; the jar found and the support
// archive looked for in ExeDirectory; an unloadable runtime library under a non-ASCII home; a
// folder whose name only ends in "bin", which does not make the exe's parent a runtime.
TEST_F(CodePage, FailureDialogsNameTheFolders)
{
    NamedFolder folder(names.folder, "cp_dialogs");
    ASSERT_TRUE(folder.created);
    std::string exe = folder.CopyExe(Narrow(names.exe, CP_ACP));
    RunOutcome outcome = Launch(exe);
    EXPECT_TRUE(outcome.dialogShown);
    EXPECT_EQ(outcome.dialogText, "Velkor.jar was not in the same directory as " + exe + "\r\n" + kCaught);

    folder.Place("Velkor.jar", Entry::File);
    const std::string noArchive = "Did not find swingall.jar in " + folder.path + "swingall.jar\r\n";
    outcome = Launch(exe);
    EXPECT_TRUE(outcome.dialogShown);
    EXPECT_EQ(outcome.dialogText, kSun + std::string(kNoRuntime) + kMicrosoft + noArchive);

    std::string home = folder.path + "jre";
    SetValue(kJreKey, "CurrentVersion", "1.1");
    SetValue(std::string(kJreKey) + "\\1.1", "JavaHome", home);
    outcome = Launch(exe);
    EXPECT_TRUE(outcome.dialogShown);
    EXPECT_EQ(outcome.dialogText, kSun + ("Could not load the Sun Java runtime library: " + home + "\\bin\\javai.dll\r\n") +
                                      kMicrosoft + noArchive);
    SHDeleteKeyA(HKEY_LOCAL_MACHINE, kJavaSoft);

    NamedFolder notBin(names.notBin, "cp_not_bin");
    ASSERT_TRUE(notBin.created);
    std::string notBinExe = notBin.CopyExe();
    notBin.Place("Velkor.jar", Entry::File);
    notBin.Place("javai.dll", Entry::File);  // were the folder taken for bin, this would fail to load
    outcome = Launch(notBinExe);
    EXPECT_TRUE(outcome.dialogShown);
    EXPECT_EQ(outcome.dialogText, kSun + std::string(kNoRuntime) + kMicrosoft + "Did not find swingall.jar in " +
                                      notBin.path + "swingall.jar\r\n");
    EXPECT_TRUE(outcome.ended);
}

// The JNI attempt hands the runtime the folder's ANSI bytes unconverted: through the registry
// with a non-ASCII home, and through the bin rule from an exe in <folder>\bin.
TEST_F(CodePage, JniStartCarriesTheAnsiPaths)
{
    NamedFolder folder(names.folder, "cp_jni");
    ASSERT_TRUE(folder.created);
    std::string exe = folder.CopyExe();
    folder.Place("Velkor.jar", Entry::File);
    folder.Place("swingall.jar", Entry::File);
    std::string home = folder.Place("jre", Entry::Directory);
    folder.Place("jre\\bin", Entry::Directory);
    ASSERT_TRUE(CopyFileA(StandInLibrary("full").c_str(), (home + "\\bin\\javai.dll").c_str(), FALSE));
    SetValue(kJreKey, "CurrentVersion", "1.1");
    SetValue(std::string(kJreKey) + "\\1.1", "JavaHome", home);
    std::string record = folder.root.Path() + "record.txt";
    RunOutcome outcome = Launch(exe, {{"JAVAI_RECORD", record}});
    EXPECT_FALSE(outcome.dialogShown) << outcome.dialogText;
    const std::string& dir = folder.path;
    std::string text = FileText(record);
    EXPECT_NE(text.find("\nclasspath=" + dir + "swingall.jar;" + dir + "Velkor.jar;" + home + "\\lib\\rt.jar;"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("\nproperty=java.home=" + home + "\nproperty=velkor.home=" + dir + "\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\nmain Velkor args=0\n"), std::string::npos) << text;
    SHDeleteKeyA(HKEY_LOCAL_MACHINE, kJavaSoft);

    // No registry entry: the exe in <folder>\bin finds the runtime by its own location.
    std::string bin = folder.Place("bin", Entry::Directory) + "\\";
    ASSERT_TRUE(CopyFileA(exe.c_str(), (bin + "Velkor.exe").c_str(), FALSE));
    ASSERT_TRUE(CopyFileA(StandInLibrary("full").c_str(), (bin + "javai.dll").c_str(), FALSE));
    folder.Place("bin\\Velkor.jar", Entry::File);
    folder.Place("bin\\swingall.jar", Entry::File);
    DeleteFileA(record.c_str());
    outcome = Launch(bin + "Velkor.exe", {{"JAVAI_RECORD", record}});
    EXPECT_FALSE(outcome.dialogShown) << outcome.dialogText;
    std::string javaHome = dir.substr(0, dir.size() - 1);  // the folder without its separator
    text = FileText(record);
    EXPECT_NE(text.find("\nclasspath=" + bin + "swingall.jar;" + bin + "Velkor.jar;" + javaHome + "\\lib\\rt.jar;"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("\nproperty=java.home=" + javaHome + "\nproperty=velkor.home=" + bin + "\n"), std::string::npos)
        << text;
    EXPECT_NE(text.find("\nmain Velkor args=0\n"), std::string::npos) << text;
}

// The COM attempt converts the folder from the ANSI code page for the VM (the stand-in records
// UTF-16 texts as UTF-8); what the COM side logs is in the OEM code page: an error description
// of the VM, and the system's text for a failed execution.
TEST_F(CodePage, ComStartConvertsAndReportsInOem)
{
    VmRegistration registration(WindowsPath(VELKOR_COMVM_DLL));
    NamedFolder folder(names.folder, "cp_com");
    ASSERT_TRUE(folder.created);
    std::string exe = folder.CopyExe();
    folder.Place("Velkor.jar", Entry::File);
    folder.Place("swingall.jar", Entry::File);
    std::string record = folder.root.Path() + "record.txt";
    RunOutcome outcome = Launch(exe, {{"VELKOR_COMVM_RECORD", record}, {"VELKOR_COMVM", ""}});
    EXPECT_FALSE(outcome.dialogShown) << outcome.dialogText;
    std::string dir = Narrow(folder.wide, CP_UTF8);
    std::string text = FileText(record);
    EXPECT_NE(text.find("\nProperty velkor.home=" + dir + "\nExecute size="), std::string::npos) << text;
    EXPECT_NE(text.find(" class=Velkor classpath=" + dir + "Velkor.jar;" + dir + "swingall.jar; "), std::string::npos)
        << text;

    std::string logged = Argument("--logged-exe=");
    ASSERT_FALSE(logged.empty());
    std::string loggedExe = folder.CopyExe("Logged.exe", WindowsPath(logged));
    std::string report = folder.root.Path() + "report.txt";
    const std::string normalLog = kSun + std::string(kNoRuntime) + kMicrosoft;
    std::wstring description = names.description;
    SetEnvironmentVariableW(L"VELKOR_COMVM_DESCRIPTION", description.c_str());
    Launch(loggedExe, {{"VELKOR_ALLOC_REPORT", report}, {"VELKOR_COMVM", "errorinfo=text"}});
    EXPECT_EQ(ReportedLog(FileText(report)), normalLog + "\r\nERROR: " + Narrow(description, CP_OEMCP) + "\n");
    SetEnvironmentVariableW(L"VELKOR_COMVM_DESCRIPTION", nullptr);

    DeleteFileA(report.c_str());
    Launch(loggedExe, {{"VELKOR_ALLOC_REPORT", report}, {"VELKOR_COMVM", "execute=80004005"}});
    EXPECT_EQ(ReportedLog(FileText(report)),
              normalLog + "\r\nERROR: Could not execute Velkor\n: " + OemSystemText(E_FAIL) + "\n\n");
}
