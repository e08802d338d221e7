#include "CDataExchange.h"

void DDX_Text(CDataExchange* pDX, int controlId, CString& value)
{
    HWND control = GetDlgItem(pDX->m_hDialog, controlId);
    if (control == nullptr)
        return;
    if (pDX->m_bSaveAndValidate) {
        int length = GetWindowTextLengthA(control);
        char* buffer = value.GetBuffer(length);
        int copied = GetWindowTextA(control, buffer, length + 1);
        value.ReleaseBuffer(copied < 0 ? 0 : copied);
    } else {
        SetWindowTextA(control, value);
    }
}
