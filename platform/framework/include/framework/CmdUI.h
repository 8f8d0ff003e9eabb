// CCmdUI: one menu item (or other command source) whose state an ON_UPDATE_COMMAND_UI handler sets.
#pragma once

#include <framework/CmdTarget.h>
#include <framework/Menu.h>

class CCmdUI {
public:
    UINT m_nID = 0;
    UINT m_nIndex = 0;
    CMenu* m_pMenu = nullptr;
    CMenu* m_pSubMenu = nullptr;
    CWnd* m_pOther = nullptr;
    UINT m_nIndexMax = 0;
    // Set by the handler's first state change: the item had a handler.
    BOOL m_bEnableChanged = FALSE;

    virtual ~CCmdUI() = default;
    virtual void Enable(BOOL bOn = TRUE);
    // 0 unchecked, 1 checked, 2 indeterminate (shown as checked in menus).
    virtual void SetCheck(int nCheck = 1);
    virtual void SetRadio(BOOL bOn = TRUE);
    virtual void SetText(LPCWSTR lpszText);

    // Routes the update request through pTarget's map. With no handler, a menu item is disabled
    // when bDisableIfNoHandler is set. TRUE when a handler ran.
    BOOL DoUpdate(CCmdTarget* pTarget, BOOL bDisableIfNoHandler);
};

// Runs the update handlers of every item of pPopupMenu (by command id) through pTarget: what a
// window does on WM_INITMENUPOPUP to make its menu show the handlers' enable and check states.
void AfxUpdateMenuItems(CCmdTarget* pTarget, CMenu* pPopupMenu, BOOL bDisableIfNoHandler = FALSE);
