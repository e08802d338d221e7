#include "CDataExchange.h"

#include <new>

void DDX_Text(CDataExchange* pDX, int controlId, CString& value)
{
    HWND control = GetDlgItem(pDX->m_hDialog, controlId);
    if (control == nullptr)
        return;
    if (pDX->m_bSaveAndValidate) {
        int length = GetWindowTextLengthA(control);
        char* buffer = nullptr;
        try {
            buffer = value.GetBuffer(length);
        } catch (const std::bad_alloc&) {
            // No memory for the control's text: the member keeps the text it has. This runs in a
            // window procedure, which no exception may leave.
            return;
        }
        int copied = GetWindowTextA(control, buffer, length + 1);
        value.ReleaseBuffer(copied < 0 ? 0 : copied);
    } else {
        SetWindowTextA(control, value);
    }
}
