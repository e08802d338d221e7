// The failure report dialog: the launch log in a read-only box.
#pragma once

#include "CDialog.h"
#include "CString.h"

class CLaunchFailedDlg : public CDialog {
public:
    explicit CLaunchFailedDlg(CWnd* parent = nullptr);
    ~CLaunchFailedDlg() override;

    CString m_strLog;

protected:
    void DoDataExchange(CDataExchange* pDX) override;

    DECLARE_MESSAGE_MAP()
};

// Shows the failure dialog with the whole launch log and returns when the user has closed it.
void ShowLaunchFailedDlg();
