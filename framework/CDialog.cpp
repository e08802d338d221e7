#include "CDialog.h"

#include "CWinApp.h"

BEGIN_MESSAGE_MAP(CDialog, CCmdTarget)
END_MESSAGE_MAP()

CDialog::CDialog(UINT templateId, CWnd* parent) : m_templateId(templateId), m_parent(parent) {}

CDialog::~CDialog() = default;

INT_PTR CDialog::DoModal()
{
    CWinApp* app = AfxGetApp();
    HINSTANCE instance = app != nullptr && app->m_hInstance != nullptr ? app->m_hInstance : GetModuleHandleA(nullptr);
    HWND owner = m_parent != nullptr ? m_parent->m_hWnd : nullptr;
    INT_PTR result = DialogBoxParamA(instance, MAKEINTRESOURCEA(m_templateId), owner, &CDialog::DialogProc,
                                     reinterpret_cast<LPARAM>(this));
    m_hWnd = nullptr;
    return result;
}

BOOL CDialog::UpdateData(BOOL saveAndValidate)
{
    CDataExchange exchange(m_hWnd, saveAndValidate);
    DoDataExchange(&exchange);
    return TRUE;
}

BOOL CDialog::OnInitDialog()
{
    UpdateData(FALSE);
    return TRUE;  // the system puts the focus on the first tab stop
}

void CDialog::OnOK()
{
    if (!UpdateData(TRUE))
        return;
    EndDialog(m_hWnd, IDOK);
}

void CDialog::OnCancel() { EndDialog(m_hWnd, IDCANCEL); }

void CDialog::DoDataExchange(CDataExchange*) {}

// A dialog without an owner is centred on the work area of the primary monitor.
void CDialog::CenterWindow()
{
    RECT dialog;
    RECT area;
    if (!GetWindowRect(m_hWnd, &dialog))
        return;
    HWND owner = GetWindow(m_hWnd, GW_OWNER);
    if (owner != nullptr && IsWindowVisible(owner))
        GetWindowRect(owner, &area);
    else if (!SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0))
        SetRect(&area, 0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    int width = dialog.right - dialog.left;
    int height = dialog.bottom - dialog.top;
    int x = area.left + ((area.right - area.left) - width) / 2;
    int y = area.top + ((area.bottom - area.top) - height) / 2;
    SetWindowPos(m_hWnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

INT_PTR CALLBACK CDialog::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    // No exception may leave a window procedure: user32's frames lie between this and any
    // handler, and on 32-bit Windows the unwinder cannot cross them (the process would end in
    // std::terminate). A handler that throws ends the dialog; DoModal then returns -1.
    try {
        return Dispatch(window, message, wParam, lParam);
    } catch (...) {
        EndDialog(window, -1);
        return TRUE;
    }
}

INT_PTR CDialog::Dispatch(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        CDialog* dialog = reinterpret_cast<CDialog*>(lParam);
        SetWindowLongPtrA(window, DWLP_USER, lParam);
        dialog->m_hWnd = window;
        dialog->CenterWindow();
        return dialog->OnInitDialog();
    }
    CDialog* dialog = reinterpret_cast<CDialog*>(GetWindowLongPtrA(window, DWLP_USER));
    if (dialog == nullptr)
        return FALSE;
    if (message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) {
        switch (LOWORD(wParam)) {
        case IDOK:
            dialog->OnOK();
            return TRUE;
        case IDCANCEL:  // Escape and the caption's close box arrive here
            dialog->OnCancel();
            return TRUE;
        default:
            return dialog->OnCmdMsg(LOWORD(wParam), 0);
        }
    }
    return FALSE;
}
