// The real Velkor.exe on the COM path: no JNI runtime in the prefix, the stand-in VM
// registered as the VM's class (or not registered at all).
#include <gtest/gtest.h>

#include <windows.h>

#include <fstream>
#include <sstream>
#include <string>

#include "E2eSupport.h"
#include "JavaVm.h"

using namespace velkor_e2e;

namespace {



bool VmClassRegistered()
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, kVmClassKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

// A record file in the temporary directory, removed before and after.
class RecordFile {
public:
    RecordFile()
    {
        char temp[MAX_PATH];
        GetTempPathA(sizeof temp, temp);
        path = std::string(temp) + "velkor_comvm_record_" + std::to_string(GetCurrentProcessId()) + ".txt";
        DeleteFileA(path.c_str());
    }
    ~RecordFile() { DeleteFileA(path.c_str()); }
    std::string Text() const
    {
        std::ifstream file(path, std::ios::binary);
        std::ostringstream text;
        text << file.rdbuf();
        return text.str();
    }
    bool Exists() const { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }
    std::string path;
};

RunOutcome RunInstalled(InstallFolder& folder, const RecordFile& record, const std::string& behaviour)
{
    std::string exe = folder.CopyExe();
    folder.Place("Velkor.jar", Entry::File);
    folder.Place("swingall.jar", Entry::File);
    RunOptions options;
    options.commandLine = "\"" + exe + "\"";
    options.environment = {{"VELKOR_COMVM_RECORD", record.path}, {"VELKOR_COMVM", behaviour}};
    return RunLoader(exe, options);
}

TEST(ComEndToEnd, RegisteredVmRunsVelkorWithTheArchivesAndHomeProperty)
{
    VmRegistration registration(WindowsPath(VELKOR_COMVM_DLL));
    ASSERT_TRUE(registration.ok);
    RecordFile record;
    InstallFolder folder("com_vm");
    RunOutcome outcome = RunInstalled(folder, record, "");
    EXPECT_FALSE(outcome.dialogShown) << outcome.dialogText;
    EXPECT_TRUE(outcome.ended);
    const std::string& home = folder.Path();
    EXPECT_EQ(record.Text(), "CreateInstance\n"
                             "QueryInterface IJavaExecute2\n"
                             "SetSystemProperties\n"
                             "Property velkor.home=" + home + "\n"
                             "Execute size=" + std::to_string(sizeof(JAVAEXECUTEINFO)) +
                                 " flags=0 class=Velkor classpath=" + home + "Velkor.jar;" + home +
                                 "swingall.jar; args=none reserved=0 thread=other\n"
                                 "Released thread=main executor=ended\n");

    // A class that the VM cannot run is reported into the log, which no one sees.
    RecordFile failedRecord;
    InstallFolder failedFolder("com_vm_fails");
    outcome = RunInstalled(failedFolder, failedRecord, "execute=80070002");
    EXPECT_FALSE(outcome.dialogShown) << outcome.dialogText;
    EXPECT_TRUE(outcome.ended);
    EXPECT_NE(failedRecord.Text().find(" class=Velkor "), std::string::npos);
}

TEST(ComEndToEnd, WithoutTheVmTheProcessEndsWithoutADialog)
{
    ASSERT_FALSE(VmClassRegistered());
    RecordFile record;
    InstallFolder folder("com_no_vm");
    RunOutcome outcome = RunInstalled(folder, record, "");
    EXPECT_FALSE(outcome.dialogShown) << outcome.dialogText;
    EXPECT_TRUE(outcome.ended);
    EXPECT_FALSE(record.Exists());
}

}  // namespace
