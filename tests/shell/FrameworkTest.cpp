// The framework where a fault would hurt the loader: the log's appends, the help route of the
// application's message map, the text exchange and the modal run of the failure dialog.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "DialogWatcher.h"
#include "LaunchFailedDlg.h"
#include "LoaderApp.h"
#include "resource.h"

TEST(Framework, CStringAppendsGrowAndSurviveSelfAppend)
{
    CString text;
    std::string model;
    for (int i = 0; i < 300; ++i) {  // crosses several reallocations
        char ch = static_cast<char>('a' + i % 26);
        text += ch;
        model += ch;
        if (i % 50 == 0) {
            text += "\r\n";
            model += "\r\n";
        }
    }
    ASSERT_EQ(std::string(text), model);
    EXPECT_EQ(text.GetLength(), static_cast<int>(model.size()));

    text += text;  // the source is the text that grows
    model += model;
    EXPECT_EQ(std::string(text), model);
    text += static_cast<const char*>(text) + 10;  // a piece of its own buffer
    model += model.substr(10);
    EXPECT_EQ(std::string(text), model);

    CString copy;
    copy += CString("x") + text;
    text = "short";
    EXPECT_EQ(std::string(copy), "x" + model);
    EXPECT_EQ(std::string(text), "short");
    text += static_cast<const char*>(nullptr);
    text += "";
    EXPECT_EQ(std::string(text), "short");
}

TEST(Framework, ApplicationMessageMapRoutesOnlyHelp)
{
    CLoaderApp app;
    EXPECT_TRUE(app.OnCmdMsg(ID_HELP, 0));
    EXPECT_FALSE(app.OnCmdMsg(ID_HELP + 1, 0));
    EXPECT_FALSE(app.OnCmdMsg(IDOK, 0));
    CLaunchFailedDlg dialog;
    EXPECT_FALSE(dialog.OnCmdMsg(ID_HELP, 0));
}

namespace {
INT_PTR CALLBACK QuietDialog(HWND, UINT, WPARAM, LPARAM) { return FALSE; }
}  // namespace

TEST(Framework, TextExchangeBothWays)
{
    HWND window = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_LAUNCH_FAILED), nullptr,
                                     &QuietDialog, 0);
    ASSERT_NE(window, nullptr);
    std::string longText(5000, 'L');
    for (const std::string& sample : {std::string("line 1\r\nline 2 \xAE"), longText, std::string()}) {
        CString value = sample.c_str();
        CDataExchange toControls(window, FALSE);
        DDX_Text(&toControls, IDC_LAUNCH_LOG, value);
        char shown[6000] = {};
        GetDlgItemTextA(window, IDC_LAUNCH_LOG, shown, sizeof shown);
        EXPECT_EQ(std::string(shown), sample);

        SetDlgItemTextA(window, IDC_LAUNCH_LOG, (sample + "!").c_str());
        CDataExchange fromControls(window, TRUE);
        DDX_Text(&fromControls, IDC_LAUNCH_LOG, value);
        EXPECT_EQ(std::string(value), sample + "!");
        EXPECT_EQ(value.GetLength(), static_cast<int>(sample.size() + 1));
    }
    DestroyWindow(window);
}

// OK keeps the text (the read-only box gives it back), Escape and the close box cancel; the
// dialog opens centred on the work area, also with an empty text.
TEST(Framework, FailureDialogRunsModallyCentred)
{
    RECT area;
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
    struct Case {
        velkor_e2e::CloseBy how;
        INT_PTR result;
        const char* text;
    } cases[] = {
        {velkor_e2e::CloseBy::Ok, IDOK, "first\r\nsecond"},
        {velkor_e2e::CloseBy::Escape, IDCANCEL, "text"},
        {velkor_e2e::CloseBy::CloseBox, IDCANCEL, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        DialogWatcher watcher(c.how);
        CLaunchFailedDlg dialog;
        EXPECT_EQ(std::string(dialog.m_strLog), "");
        dialog.m_strLog = c.text;
        EXPECT_EQ(dialog.DoModal(), c.result);
        watcher.Stop();
        EXPECT_EQ(watcher.dialogsSeen, 1);
        EXPECT_EQ(watcher.text, c.text);
        EXPECT_EQ(std::string(dialog.m_strLog), c.text);
        const RECT& r = watcher.windowRect;
        EXPECT_NEAR((r.left + r.right) / 2, (area.left + area.right) / 2, 1);
        EXPECT_NEAR((r.top + r.bottom) / 2, (area.top + area.bottom) / 2, 1);
    }
}
