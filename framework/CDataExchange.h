// Data exchange between a dialog's controls and its members.
#pragma once

#include <windows.h>

#include "CString.h"

class CDialog;

class CDataExchange {
public:
    CDataExchange(HWND dialog, BOOL saveAndValidate) : m_bSaveAndValidate(saveAndValidate), m_hDialog(dialog) {}

    BOOL m_bSaveAndValidate;  // TRUE: controls to members; FALSE: members to controls
    HWND m_hDialog;
};

// Exchanges the text of the control with the given id and a string member.
void DDX_Text(CDataExchange* pDX, int controlId, CString& value);
