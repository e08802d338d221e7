// The application object and the GUI entry that drives it.
#pragma once

#include "MessageMap.h"

class CWinApp : public CCmdTarget {
public:
    explicit CWinApp(const char* appName = nullptr);
    ~CWinApp() override;

    // Called once by the GUI entry. TRUE would run a message loop; FALSE ends the process.
    virtual BOOL InitInstance();
    // Called by the GUI entry after a failed InitInstance; its result is the process exit code.
    virtual int ExitInstance();

    void OnHelp();

    const char* m_pszAppName;
    HINSTANCE m_hInstance;

protected:
    DECLARE_MESSAGE_MAP()
};

// The one application object of the process, or null before it is constructed.
CWinApp* AfxGetApp();

// The framework's GUI entry: WinMain calls this with its arguments.
int AfxWinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show);
