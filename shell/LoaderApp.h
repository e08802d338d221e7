// The application object: its initialisation hook is the whole launch.
#pragma once

#include "CWinApp.h"

class CLoaderApp : public CWinApp {
public:
    CLoaderApp();
    ~CLoaderApp() override;

    // Tries the runtimes in turn and shows the failure dialog when the launch ends in an
    // exception. Always returns FALSE: the process ends when it returns.
    BOOL InitInstance() override;

    DECLARE_MESSAGE_MAP()
};
