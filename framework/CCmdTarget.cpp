#include "MessageMap.h"

namespace {
const AFX_MSGMAP_ENTRY g_noEntries[] = {{0, 0, 0, 0, nullptr}};
}

const AFX_MSGMAP CCmdTarget::messageMap = {nullptr, &g_noEntries[0]};

const AFX_MSGMAP* CCmdTarget::GetMessageMap() const { return &CCmdTarget::messageMap; }

BOOL CCmdTarget::OnCmdMsg(UINT id, UINT code)
{
    for (const AFX_MSGMAP* map = GetMessageMap(); map != nullptr; map = map->pBaseMap) {
        for (const AFX_MSGMAP_ENTRY* entry = map->lpEntries; entry->nMessage != 0; ++entry) {
            if (entry->nMessage == WM_COMMAND && entry->nCode == code && id >= entry->nID && id <= entry->nLastID) {
                (this->*entry->pfn)();
                return TRUE;
            }
        }
    }
    return FALSE;
}
