#include "LaunchFailedDlg.h"

#include "LaunchLog.h"
#include "resource.h"

BEGIN_MESSAGE_MAP(CLaunchFailedDlg, CDialog)
END_MESSAGE_MAP()

CLaunchFailedDlg::CLaunchFailedDlg(CWnd* parent) : CDialog(IDD_LAUNCH_FAILED, parent) {}

CLaunchFailedDlg::~CLaunchFailedDlg() = default;

void CLaunchFailedDlg::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Text(pDX, IDC_LAUNCH_LOG, m_strLog);
}

void ShowLaunchFailedDlg()
{
    CLaunchFailedDlg dialog;
    try {
        dialog.m_strLog = LaunchLog;
    } catch (...) {
        // Not even a copy of the log fits in memory: the dialog still tells that the launch failed.
    }
    dialog.DoModal();
}
