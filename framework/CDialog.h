// Modal dialog on a dialog template resource, with data exchange.
#pragma once

#include "CDataExchange.h"
#include "MessageMap.h"

class CWnd : public CCmdTarget {
public:
    HWND m_hWnd = nullptr;
};

class CDialog : public CWnd {
public:
    CDialog(UINT templateId, CWnd* parent = nullptr);
    ~CDialog() override;

    // Runs the dialog modally. Returns IDOK or IDCANCEL as the user ended it; -1 when the
    // dialog could not be created, or when one of its handlers threw (which ends the dialog:
    // no exception may leave the dialog procedure).
    virtual INT_PTR DoModal();

    // Exchanges data in the direction given: FALSE towards the controls, TRUE back from them.
    BOOL UpdateData(BOOL saveAndValidate = TRUE);

protected:
    virtual BOOL OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();
    virtual void DoDataExchange(CDataExchange* pDX);

    DECLARE_MESSAGE_MAP()

private:
    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static INT_PTR Dispatch(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void CenterWindow();

    UINT m_templateId;
    CWnd* m_parent;
};
