#include "CWinApp.h"

namespace {
CWinApp* g_app = nullptr;
char g_defaultAppName[MAX_PATH] = {0};
}

BEGIN_MESSAGE_MAP(CWinApp, CCmdTarget)
END_MESSAGE_MAP()

CWinApp::CWinApp(const char* appName) : m_pszAppName(appName), m_hInstance(nullptr) { g_app = this; }

CWinApp::~CWinApp()
{
    if (g_app == this)
        g_app = nullptr;
}

BOOL CWinApp::InitInstance() { return TRUE; }

// No message loop ran, so there is no quit code to hand back: the exit code is 0.
int CWinApp::ExitInstance() { return 0; }

// The loader ships no help file; the route exists, the handler has nothing to open.
void CWinApp::OnHelp() {}

CWinApp* AfxGetApp() { return g_app; }

int AfxWinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    CWinApp* app = AfxGetApp();
    if (app == nullptr)
        return -1;
    app->m_hInstance = instance;
    if (app->m_pszAppName == nullptr) {
        // The default name is the executable's base name.
        char path[MAX_PATH];
        DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
        if (length != 0 && length < MAX_PATH) {
            const char* name = path;
            for (const char* p = path; *p != 0; p = CharNextA(p))
                if (*p == '\\' || *p == '/' || *p == ':')
                    name = p + 1;
            lstrcpynA(g_defaultAppName, name, MAX_PATH);
            char* dot = nullptr;
            for (char* p = g_defaultAppName; *p != 0; p = CharNextA(p))
                if (*p == '.')
                    dot = p;
            if (dot != nullptr)
                *dot = 0;
        }
        app->m_pszAppName = g_defaultAppName;
    }
    BOOL initialised = FALSE;
    try {
        initialised = app->InitInstance();
    } catch (...) {
        // An exception out of the hook counts as a failed initialisation.
    }
    if (!initialised)
        return app->ExitInstance();
    // A successful initialisation would run the message loop; the loader never asks for one.
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    app->ExitInstance();
    return static_cast<int>(msg.wParam);
}
