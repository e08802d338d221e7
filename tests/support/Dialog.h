// The loader's failure dialog as another process sees it: found by its caption, its log box
// (control 1000) read with WM_GETTEXT, closed by OK, Escape or the close box.
#pragma once

#include <windows.h>

#include <string>

struct DialogSearch {
    DWORD processId;
    HWND found;
};

inline BOOL CALLBACK MatchDialog(HWND window, LPARAM param)
{
    auto* search = reinterpret_cast<DialogSearch*>(param);
    char title[64] = "";
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    GetWindowTextA(window, title, sizeof title);
    if (IsWindowVisible(window) && std::string(title) == "Could Not Start Velkor" &&
        (search->processId == 0 || owner == search->processId))
        search->found = window;
    return search->found == nullptr;
}

// The visible dialog of the process (0: of any), on the given desktop (null: this thread's).
inline HWND FindLoaderDialog(DWORD processId, HDESK desktop = nullptr)
{
    DialogSearch search = {processId, nullptr};
    if (desktop != nullptr)
        EnumDesktopWindows(desktop, MatchDialog, reinterpret_cast<LPARAM>(&search));
    else
        EnumWindows(MatchDialog, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

inline std::string LoaderDialogText(HWND dialog)
{
    HWND box = GetDlgItem(dialog, 1000);
    std::string text(static_cast<size_t>(SendMessageA(box, WM_GETTEXTLENGTH, 0, 0)) + 1, '\0');
    text.resize(static_cast<size_t>(SendMessageA(box, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0]))));
    return text;
}

// how: "ok", "escape" or "closebox".
inline bool CloseLoaderDialog(HWND dialog, const std::string& how)
{
    if (how == "escape")
        return PostMessageA(GetDlgItem(dialog, IDOK), WM_KEYDOWN, VK_ESCAPE, 0) != FALSE;
    if (how == "closebox")
        return PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0) != FALSE;
    return PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK))) != FALSE;
}
