#include <framework/MessageMap.h>

IMPLEMENT_DYNAMIC(CCmdTarget, CObject)

const framework::MessageMap* CCmdTarget::GetThisMessageMap() {
    static const framework::MessageEntry entries[] = {{framework::EntryKind::End, 0, 0, 0, 0, nullptr, nullptr}};
    static const framework::MessageMap map = {nullptr, entries};
    return &map;
}

const framework::MessageMap* CCmdTarget::GetMessageMap() const { return GetThisMessageMap(); }

BOOL CCmdTarget::DispatchCommand(UINT message, UINT nID, int nCode, void* pExtra, LRESULT* pResult, bool queryOnly) {
    for (const framework::MessageMap* map = GetMessageMap(); map != nullptr; map = map->base ? map->base() : nullptr) {
        for (const framework::MessageEntry* e = map->entries; e->kind != framework::EntryKind::End; ++e) {
            if (e->kind != framework::EntryKind::Command || e->message != message) continue;
            // Notification codes travel packed in 16 bits (MAKELONG(code, WM_NOTIFY)): compare those.
            bool notify = message == WM_NOTIFY || message == framework::kReflectBase + WM_NOTIFY;
            if (notify ? LOWORD(static_cast<UINT>(e->code)) != LOWORD(static_cast<UINT>(nCode)) : e->code != nCode) continue;
            if (nID < e->firstId || nID > e->lastId) continue;
            if (queryOnly) return TRUE;
            framework::MessageCall call{message, 0, 0, nID, nCode, pExtra, 0};
            if (e->handler(this, call)) {
                if (pResult) *pResult = call.result;
                return TRUE;
            }
        }
    }
    return FALSE;
}

BOOL CCmdTarget::OnCmdMsg(UINT nID, int nCode, void* pExtra, void* pHandlerInfo) {
    bool queryOnly = pHandlerInfo != nullptr;
    if (nCode == CN_COMMAND || nCode == CN_UPDATE_COMMAND_UI || HIWORD(static_cast<UINT>(nCode)) == 0) {
        return DispatchCommand(WM_COMMAND, nID, nCode, pExtra, nullptr, queryOnly);
    }
    // Notifications travel as MAKELONG(code, message); their codes are negative 16-bit values.
    UINT message = HIWORD(static_cast<UINT>(nCode));
    int code = static_cast<short>(LOWORD(static_cast<UINT>(nCode)));
    if (message == WM_NOTIFY || message == framework::kReflectBase + WM_NOTIFY) {
        auto* info = static_cast<framework::NotifyInfo*>(pExtra);
        return DispatchCommand(message, nID, code, info ? info->pNMHDR : nullptr, info ? info->pResult : nullptr,
                               queryOnly);
    }
    return DispatchCommand(message, nID, code, pExtra, nullptr, queryOnly);
}
