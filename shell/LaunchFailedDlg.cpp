#include "LaunchFailedDlg.h"

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
