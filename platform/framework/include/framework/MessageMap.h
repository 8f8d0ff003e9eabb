// The message-map macros: BEGIN_MESSAGE_MAP ... END_MESSAGE_MAP with one ON_... entry per handler.
//
// Each entry macro names the handler as &ThisClass::Handler and instantiates a dispatch function
// for its signature, so a handler with the wrong signature fails to compile at its entry. The
// dispatch functions unpack wParam/lParam the way the Win32 documentation of each message says.
#pragma once

#include <framework/CmdTarget.h>
#include <framework/Controls.h>
#include <framework/Dc.h>
#include <framework/Menu.h>
#include <framework/Wnd.h>

namespace framework {
namespace dispatch {

// The parameter types of a handler, for messages whose parameter is a pointer to a record.
template <class F> struct MemberArg;
template <class C, class R, class A> struct MemberArg<R (C::*)(A)> { using type = A; };
template <class F> struct MemberArg2;
template <class C, class R, class A, class B> struct MemberArg2<R (C::*)(A, B)> { using type = B; };

template <class T>
T* Self(CCmdTarget* t) { return static_cast<T*>(t); }
inline CWnd* Wnd(WPARAM h) { return CWnd::FromHandle(reinterpret_cast<HWND>(h)); }
inline CWnd* Wnd(LPARAM h) { return CWnd::FromHandle(reinterpret_cast<HWND>(h)); }
inline CPoint Point(LPARAM l) { return CPoint(l); }

// Window messages.
template <class T, auto F> BOOL Void(CCmdTarget* t, MessageCall& c) { (Self<T>(t)->*F)(); c.result = 0; return TRUE; }
template <class T, auto F> BOOL Create(CCmdTarget* t, MessageCall& c) {
    c.result = (Self<T>(t)->*F)(reinterpret_cast<LPCREATESTRUCT>(c.lParam)); return TRUE;
}
template <class T, auto F> BOOL EraseBkgnd(CCmdTarget* t, MessageCall& c) {
    c.result = (Self<T>(t)->*F)(CDC::FromHandle(reinterpret_cast<HDC>(c.wParam))); return TRUE;
}
template <class T, auto F> BOOL Size(CCmdTarget* t, MessageCall& c) {
    (Self<T>(t)->*F)(static_cast<UINT>(c.wParam), LOWORD(c.lParam), HIWORD(c.lParam)); c.result = 0; return TRUE;
}
template <class T, auto F> BOOL Move(CCmdTarget* t, MessageCall& c) {
    (Self<T>(t)->*F)(static_cast<short>(LOWORD(c.lParam)), static_cast<short>(HIWORD(c.lParam))); c.result = 0; return TRUE;
}
template <class T, auto F> BOOL Timer(CCmdTarget* t, MessageCall& c) {
    (Self<T>(t)->*F)(static_cast<UINT_PTR>(c.wParam)); c.result = 0; return TRUE;
}
template <class T, auto F> BOOL Mouse(CCmdTarget* t, MessageCall& c) {
    (Self<T>(t)->*F)(static_cast<UINT>(c.wParam), Point(c.lParam)); c.result = 0; return TRUE;
}
template <class T, auto F> BOOL MouseWheel(CCmdTarget* t, MessageCall& c) {
    c.result = (Self<T>(t)->*F)(LOWORD(c.wParam), static_cast<short>(HIWORD(c.wParam)), Point(c.lParam)); return TRUE;
}
template <class T, auto F> BOOL Key(CCmdTarget* t, MessageCall& c) {
    (Self<T>(t)->*F)(static_cast<UINT>(c.wParam), LOWORD(c.lParam), HIWORD(c.lParam)); c.result = 0; return TRUE;
}
template <class T, auto F> BOOL Focus(CCmdTarget* t, MessageCall& c) {
    (Self<T>(t)->*F)(Wnd(c.wParam)); c.result = 0; return TRUE;
}
template <class T, auto F> BOOL SetCursor(CCmdTarget* t, MessageCall& c) {
    c.result = (Self<T>(t)->*F)(Wnd(c.wParam), LOWORD(c.lParam), HIWORD(c.lParam)); return TRUE;
}
template <class T, auto F> BOOL Scroll(CCmdTarget* t, MessageCall& c) {
    (Self<T>(t)->*F)(LOWORD(c.wParam), HIWORD(c.wParam),
                     reinterpret_cast<CScrollBar*>(c.lParam ? Wnd(c.lParam) : nullptr));
    c.result = 0; return TRUE;
}
template <class T, auto F> BOOL CtlColor(CCmdTarget* t, MessageCall& c) {
    c.result = reinterpret_cast<LRESULT>((Self<T>(t)->*F)(CDC::FromHandle(reinterpret_cast<HDC>(c.wParam)),
                                                        Wnd(c.lParam), static_cast<UINT>(c.code)));
    return TRUE;
}
template <class T, auto F> BOOL UIntResult(CCmdTarget* t, MessageCall& c) { c.result = (Self<T>(t)->*F)(); return TRUE; }
template <class T, auto F> BOOL ShowWindow(CCmdTarget* t, MessageCall& c) {
    (Self<T>(t)->*F)(static_cast<BOOL>(c.wParam), static_cast<UINT>(c.lParam)); c.result = 0; return TRUE;
}
template <class T, auto F> BOOL PointerArg(CCmdTarget* t, MessageCall& c) {
    using Arg = typename MemberArg<decltype(F)>::type;
    (Self<T>(t)->*F)(reinterpret_cast<Arg>(c.lParam)); c.result = 0; return TRUE;
}
template <class T, auto F> BOOL HandleResult(CCmdTarget* t, MessageCall& c) {
    c.result = reinterpret_cast<LRESULT>((Self<T>(t)->*F)()); return TRUE;
}
template <class T, auto F> BOOL InitMenuPopup(CCmdTarget* t, MessageCall& c) {
    (Self<T>(t)->*F)(CMenu::FromHandle(reinterpret_cast<HMENU>(c.wParam)), LOWORD(c.lParam), HIWORD(c.lParam));
    c.result = 0; return TRUE;
}
template <class T, auto F> BOOL InitMenu(CCmdTarget* t, MessageCall& c) {
    (Self<T>(t)->*F)(CMenu::FromHandle(reinterpret_cast<HMENU>(c.wParam))); c.result = 0; return TRUE;
}
template <class T, auto F> BOOL SysCommand(CCmdTarget* t, MessageCall& c) {
    (Self<T>(t)->*F)(static_cast<UINT>(c.wParam), c.lParam); c.result = 0; return TRUE;
}
template <class T, auto F> BOOL ContextMenu(CCmdTarget* t, MessageCall& c) {
    (Self<T>(t)->*F)(Wnd(c.wParam), Point(c.lParam)); c.result = 0; return TRUE;
}
template <class T, auto F> BOOL NcHitTest(CCmdTarget* t, MessageCall& c) {
    c.result = (Self<T>(t)->*F)(Point(c.lParam)); return TRUE;
}
template <class T, auto F> BOOL NcCalcSize(CCmdTarget* t, MessageCall& c) {
    (Self<T>(t)->*F)(static_cast<BOOL>(c.wParam), reinterpret_cast<NCCALCSIZE_PARAMS*>(c.lParam)); c.result = 0; return TRUE;
}
template <class T, auto F> BOOL MouseActivate(CCmdTarget* t, MessageCall& c) {
    c.result = (Self<T>(t)->*F)(Wnd(c.wParam), LOWORD(c.lParam), HIWORD(c.lParam)); return TRUE;
}
template <class T, auto F> BOOL Activate(CCmdTarget* t, MessageCall& c) {
    (Self<T>(t)->*F)(LOWORD(c.wParam), Wnd(c.lParam), HIWORD(c.wParam)); c.result = 0; return TRUE;
}
template <class T, auto F> BOOL ActivateApp(CCmdTarget* t, MessageCall& c) {
    (Self<T>(t)->*F)(static_cast<BOOL>(c.wParam), static_cast<DWORD>(c.lParam)); c.result = 0; return TRUE;
}
template <class T, auto F> BOOL Enable(CCmdTarget* t, MessageCall& c) {
    (Self<T>(t)->*F)(static_cast<BOOL>(c.wParam)); c.result = 0; return TRUE;
}
template <class T, auto F> BOOL ItemStruct(CCmdTarget* t, MessageCall& c) {
    using Arg = typename MemberArg2<decltype(F)>::type;
    (Self<T>(t)->*F)(static_cast<int>(c.wParam), reinterpret_cast<Arg>(c.lParam)); c.result = TRUE; return TRUE;
}
template <class T, auto F> BOOL CaptureChanged(CCmdTarget* t, MessageCall& c) {
    (Self<T>(t)->*F)(Wnd(c.lParam)); c.result = 0; return TRUE;
}
template <class T, auto F> BOOL CopyData(CCmdTarget* t, MessageCall& c) {
    c.result = (Self<T>(t)->*F)(Wnd(c.wParam), reinterpret_cast<COPYDATASTRUCT*>(c.lParam)); return TRUE;
}
template <class T, auto F> BOOL PointerResult(CCmdTarget* t, MessageCall& c) {
    using Arg = typename MemberArg<decltype(F)>::type;
    c.result = (Self<T>(t)->*F)(reinterpret_cast<Arg>(c.lParam)); return TRUE;
}
template <class T, auto F> BOOL DropFiles(CCmdTarget* t, MessageCall& c) {
    (Self<T>(t)->*F)(reinterpret_cast<HDROP>(c.wParam)); c.result = 0; return TRUE;
}
template <class T, auto F> BOOL ParentNotify(CCmdTarget* t, MessageCall& c) {
    (Self<T>(t)->*F)(static_cast<UINT>(c.wParam), c.lParam); c.result = 0; return TRUE;
}
template <class T, auto F> BOOL Raw(CCmdTarget* t, MessageCall& c) {
    c.result = (Self<T>(t)->*F)(c.wParam, c.lParam); return TRUE;
}

// Commands and notifications.
template <class T, auto F> BOOL CommandEx(CCmdTarget* t, MessageCall& c) { return (Self<T>(t)->*F)(c.id); }
template <class T, auto F> BOOL CommandRange(CCmdTarget* t, MessageCall& c) { (Self<T>(t)->*F)(c.id); return TRUE; }
template <class T, auto F> BOOL UpdateUI(CCmdTarget* t, MessageCall& c) {
    (Self<T>(t)->*F)(static_cast<CCmdUI*>(c.extra)); return TRUE;
}
template <class T, auto F> BOOL Notify(CCmdTarget* t, MessageCall& c) {
    (Self<T>(t)->*F)(static_cast<NMHDR*>(c.extra), &c.result); return TRUE;
}
template <class T, auto F> BOOL NotifyRange(CCmdTarget* t, MessageCall& c) {
    (Self<T>(t)->*F)(c.id, static_cast<NMHDR*>(c.extra), &c.result); return TRUE;
}
template <class T, auto F> BOOL NotifyEx(CCmdTarget* t, MessageCall& c) {
    return (Self<T>(t)->*F)(c.id, static_cast<NMHDR*>(c.extra), &c.result);
}
template <class T, auto F> BOOL NotifyReflectEx(CCmdTarget* t, MessageCall& c) {
    return (Self<T>(t)->*F)(static_cast<NMHDR*>(c.extra), &c.result);
}
template <class T, auto F> BOOL BoolResultEx(CCmdTarget* t, MessageCall&) { return (Self<T>(t)->*F)(); }

// Reflected window messages, back at the control.
template <class T, auto F> BOOL CtlColorReflect(CCmdTarget* t, MessageCall& c) {
    HBRUSH brush = (Self<T>(t)->*F)(CDC::FromHandle(reinterpret_cast<HDC>(c.wParam)), static_cast<UINT>(c.lParam));
    c.result = reinterpret_cast<LRESULT>(brush);
    // A null brush means the control did not choose a colour: the parent's default applies.
    return brush != nullptr;
}
template <class T, auto F> BOOL ScrollReflect(CCmdTarget* t, MessageCall& c) {
    (Self<T>(t)->*F)(LOWORD(c.wParam), HIWORD(c.wParam)); c.result = 0; return TRUE;
}
template <class T, auto F> BOOL ItemReflect(CCmdTarget* t, MessageCall& c) {
    using Arg = typename MemberArg<decltype(F)>::type;
    (Self<T>(t)->*F)(reinterpret_cast<Arg>(c.lParam)); c.result = TRUE; return TRUE;
}

}  // namespace dispatch
}  // namespace framework

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                                       \
    const framework::MessageMap* theClass::GetMessageMap() const { return GetThisMessageMap(); }     \
    const framework::MessageMap* theClass::GetThisMessageMap() {                                     \
        using ThisClass = theClass;                                                                  \
        using TheBaseClass = baseClass;                                                              \
        static const framework::MessageEntry entries[] = {

#define END_MESSAGE_MAP()                                                                           \
    {framework::EntryKind::End, 0, 0, 0, 0, nullptr, nullptr}};                                     \
        static const framework::MessageMap map = {&TheBaseClass::GetThisMessageMap, entries};       \
        return &map;                                                                                \
    }

#define FRAMEWORK_MSG(msg, cracker, fn) \
    {framework::EntryKind::Message, msg, 0, 0, 0, nullptr, &framework::dispatch::cracker<ThisClass, &ThisClass::fn>},
#define FRAMEWORK_CMD(msg, code, first, last, cracker, fn)                                              \
    {framework::EntryKind::Command, msg, static_cast<int>(code), static_cast<UINT>(first), static_cast<UINT>(last), \
     nullptr, &framework::dispatch::cracker<ThisClass, &ThisClass::fn>},

// Window messages, handled by the members of the familiar names.
#define ON_WM_NCCREATE() FRAMEWORK_MSG(WM_NCCREATE, Create, OnNcCreate)
#define ON_WM_CREATE() FRAMEWORK_MSG(WM_CREATE, Create, OnCreate)
#define ON_WM_DESTROY() FRAMEWORK_MSG(WM_DESTROY, Void, OnDestroy)
#define ON_WM_NCDESTROY() FRAMEWORK_MSG(WM_NCDESTROY, Void, OnNcDestroy)
#define ON_WM_CLOSE() FRAMEWORK_MSG(WM_CLOSE, Void, OnClose)
#define ON_WM_PAINT() FRAMEWORK_MSG(WM_PAINT, Void, OnPaint)
#define ON_WM_NCPAINT() FRAMEWORK_MSG(WM_NCPAINT, Void, OnNcPaint)
#define ON_WM_ERASEBKGND() FRAMEWORK_MSG(WM_ERASEBKGND, EraseBkgnd, OnEraseBkgnd)
#define ON_WM_SIZE() FRAMEWORK_MSG(WM_SIZE, Size, OnSize)
#define ON_WM_MOVE() FRAMEWORK_MSG(WM_MOVE, Move, OnMove)
#define ON_WM_TIMER() FRAMEWORK_MSG(WM_TIMER, Timer, OnTimer)
#define ON_WM_MOUSEMOVE() FRAMEWORK_MSG(WM_MOUSEMOVE, Mouse, OnMouseMove)
#define ON_WM_LBUTTONDOWN() FRAMEWORK_MSG(WM_LBUTTONDOWN, Mouse, OnLButtonDown)
#define ON_WM_LBUTTONUP() FRAMEWORK_MSG(WM_LBUTTONUP, Mouse, OnLButtonUp)
#define ON_WM_LBUTTONDBLCLK() FRAMEWORK_MSG(WM_LBUTTONDBLCLK, Mouse, OnLButtonDblClk)
#define ON_WM_RBUTTONDOWN() FRAMEWORK_MSG(WM_RBUTTONDOWN, Mouse, OnRButtonDown)
#define ON_WM_RBUTTONUP() FRAMEWORK_MSG(WM_RBUTTONUP, Mouse, OnRButtonUp)
#define ON_WM_RBUTTONDBLCLK() FRAMEWORK_MSG(WM_RBUTTONDBLCLK, Mouse, OnRButtonDblClk)
#define ON_WM_MBUTTONDOWN() FRAMEWORK_MSG(WM_MBUTTONDOWN, Mouse, OnMButtonDown)
#define ON_WM_MBUTTONUP() FRAMEWORK_MSG(WM_MBUTTONUP, Mouse, OnMButtonUp)
#define ON_WM_MOUSEHOVER() FRAMEWORK_MSG(WM_MOUSEHOVER, Mouse, OnMouseHover)
#define ON_WM_MOUSELEAVE() FRAMEWORK_MSG(WM_MOUSELEAVE, Void, OnMouseLeave)
#define ON_WM_MOUSEWHEEL() FRAMEWORK_MSG(WM_MOUSEWHEEL, MouseWheel, OnMouseWheel)
#define ON_WM_NCMOUSEMOVE() FRAMEWORK_MSG(WM_NCMOUSEMOVE, Mouse, OnNcMouseMove)
#define ON_WM_NCLBUTTONDOWN() FRAMEWORK_MSG(WM_NCLBUTTONDOWN, Mouse, OnNcLButtonDown)
#define ON_WM_NCLBUTTONUP() FRAMEWORK_MSG(WM_NCLBUTTONUP, Mouse, OnNcLButtonUp)
#define ON_WM_NCLBUTTONDBLCLK() FRAMEWORK_MSG(WM_NCLBUTTONDBLCLK, Mouse, OnNcLButtonDblClk)
#define ON_WM_KEYDOWN() FRAMEWORK_MSG(WM_KEYDOWN, Key, OnKeyDown)
#define ON_WM_KEYUP() FRAMEWORK_MSG(WM_KEYUP, Key, OnKeyUp)
#define ON_WM_SYSKEYDOWN() FRAMEWORK_MSG(WM_SYSKEYDOWN, Key, OnSysKeyDown)
#define ON_WM_SYSKEYUP() FRAMEWORK_MSG(WM_SYSKEYUP, Key, OnSysKeyUp)
#define ON_WM_CHAR() FRAMEWORK_MSG(WM_CHAR, Key, OnChar)
#define ON_WM_SYSCHAR() FRAMEWORK_MSG(WM_SYSCHAR, Key, OnSysChar)
#define ON_WM_SETFOCUS() FRAMEWORK_MSG(WM_SETFOCUS, Focus, OnSetFocus)
#define ON_WM_KILLFOCUS() FRAMEWORK_MSG(WM_KILLFOCUS, Focus, OnKillFocus)
#define ON_WM_SETCURSOR() FRAMEWORK_MSG(WM_SETCURSOR, SetCursor, OnSetCursor)
#define ON_WM_HSCROLL() FRAMEWORK_MSG(WM_HSCROLL, Scroll, OnHScroll)
#define ON_WM_VSCROLL() FRAMEWORK_MSG(WM_VSCROLL, Scroll, OnVScroll)
#define ON_WM_CTLCOLOR() FRAMEWORK_MSG(WM_CTLCOLOR, CtlColor, OnCtlColor)
#define ON_WM_GETDLGCODE() FRAMEWORK_MSG(WM_GETDLGCODE, UIntResult, OnGetDlgCode)
#define ON_WM_SHOWWINDOW() FRAMEWORK_MSG(WM_SHOWWINDOW, ShowWindow, OnShowWindow)
#define ON_WM_WINDOWPOSCHANGING() FRAMEWORK_MSG(WM_WINDOWPOSCHANGING, PointerArg, OnWindowPosChanging)
#define ON_WM_WINDOWPOSCHANGED() FRAMEWORK_MSG(WM_WINDOWPOSCHANGED, PointerArg, OnWindowPosChanged)
#define ON_WM_GETMINMAXINFO() FRAMEWORK_MSG(WM_GETMINMAXINFO, PointerArg, OnGetMinMaxInfo)
#define ON_WM_QUERYDRAGICON() FRAMEWORK_MSG(WM_QUERYDRAGICON, HandleResult, OnQueryDragIcon)
#define ON_WM_INITMENUPOPUP() FRAMEWORK_MSG(WM_INITMENUPOPUP, InitMenuPopup, OnInitMenuPopup)
#define ON_WM_INITMENU() FRAMEWORK_MSG(WM_INITMENU, InitMenu, OnInitMenu)
#define ON_WM_SYSCOMMAND() FRAMEWORK_MSG(WM_SYSCOMMAND, SysCommand, OnSysCommand)
#define ON_WM_CONTEXTMENU() FRAMEWORK_MSG(WM_CONTEXTMENU, ContextMenu, OnContextMenu)
#define ON_WM_NCHITTEST() FRAMEWORK_MSG(WM_NCHITTEST, NcHitTest, OnNcHitTest)
#define ON_WM_NCCALCSIZE() FRAMEWORK_MSG(WM_NCCALCSIZE, NcCalcSize, OnNcCalcSize)
#define ON_WM_MOUSEACTIVATE() FRAMEWORK_MSG(WM_MOUSEACTIVATE, MouseActivate, OnMouseActivate)
#define ON_WM_ACTIVATE() FRAMEWORK_MSG(WM_ACTIVATE, Activate, OnActivate)
#define ON_WM_ACTIVATEAPP() FRAMEWORK_MSG(WM_ACTIVATEAPP, ActivateApp, OnActivateApp)
#define ON_WM_ENABLE() FRAMEWORK_MSG(WM_ENABLE, Enable, OnEnable)
#define ON_WM_DRAWITEM() FRAMEWORK_MSG(WM_DRAWITEM, ItemStruct, OnDrawItem)
#define ON_WM_MEASUREITEM() FRAMEWORK_MSG(WM_MEASUREITEM, ItemStruct, OnMeasureItem)
#define ON_WM_CAPTURECHANGED() FRAMEWORK_MSG(WM_CAPTURECHANGED, CaptureChanged, OnCaptureChanged)
#define ON_WM_CANCELMODE() FRAMEWORK_MSG(WM_CANCELMODE, Void, OnCancelMode)
#define ON_WM_SYSCOLORCHANGE() FRAMEWORK_MSG(WM_SYSCOLORCHANGE, Void, OnSysColorChange)
#define ON_WM_COPYDATA() FRAMEWORK_MSG(WM_COPYDATA, CopyData, OnCopyData)
#define ON_WM_HELPINFO() FRAMEWORK_MSG(WM_HELP, PointerResult, OnHelpInfo)
#define ON_WM_DROPFILES() FRAMEWORK_MSG(WM_DROPFILES, DropFiles, OnDropFiles)
#define ON_WM_PARENTNOTIFY() FRAMEWORK_MSG(WM_PARENTNOTIFY, ParentNotify, OnParentNotify)

// Any message by number, a registered message by the variable holding its number, user messages.
#define ON_MESSAGE(message, memberFxn) \
    {framework::EntryKind::Message, message, 0, 0, 0, nullptr, &framework::dispatch::Raw<ThisClass, &ThisClass::memberFxn>},
#define ON_REGISTERED_MESSAGE(nMessageVariable, memberFxn)                                      \
    {framework::EntryKind::RegisteredMessage, 0, 0, 0, 0, &(nMessageVariable),                  \
     &framework::dispatch::Raw<ThisClass, &ThisClass::memberFxn>},

// Commands from menus, accelerators and toolbars, and their update requests.
#define ON_COMMAND(id, memberFxn) FRAMEWORK_CMD(WM_COMMAND, CN_COMMAND, id, id, Void, memberFxn)
#define ON_COMMAND_EX(id, memberFxn) FRAMEWORK_CMD(WM_COMMAND, CN_COMMAND, id, id, CommandEx, memberFxn)
#define ON_COMMAND_RANGE(id, idLast, memberFxn) FRAMEWORK_CMD(WM_COMMAND, CN_COMMAND, id, idLast, CommandRange, memberFxn)
#define ON_UPDATE_COMMAND_UI(id, memberFxn) FRAMEWORK_CMD(WM_COMMAND, CN_UPDATE_COMMAND_UI, id, id, UpdateUI, memberFxn)
#define ON_UPDATE_COMMAND_UI_RANGE(id, idLast, memberFxn) \
    FRAMEWORK_CMD(WM_COMMAND, CN_UPDATE_COMMAND_UI, id, idLast, UpdateUI, memberFxn)

// Control notifications through WM_COMMAND.
#define ON_CONTROL(wNotifyCode, id, memberFxn) FRAMEWORK_CMD(WM_COMMAND, wNotifyCode, id, id, Void, memberFxn)
#define ON_CONTROL_RANGE(wNotifyCode, id, idLast, memberFxn) \
    FRAMEWORK_CMD(WM_COMMAND, wNotifyCode, id, idLast, CommandRange, memberFxn)
#define ON_BN_CLICKED(id, memberFxn) ON_CONTROL(BN_CLICKED, id, memberFxn)
#define ON_BN_DOUBLECLICKED(id, memberFxn) ON_CONTROL(BN_DOUBLECLICKED, id, memberFxn)
#define ON_BN_SETFOCUS(id, memberFxn) ON_CONTROL(BN_SETFOCUS, id, memberFxn)
#define ON_BN_KILLFOCUS(id, memberFxn) ON_CONTROL(BN_KILLFOCUS, id, memberFxn)
#define ON_EN_CHANGE(id, memberFxn) ON_CONTROL(EN_CHANGE, id, memberFxn)
#define ON_EN_UPDATE(id, memberFxn) ON_CONTROL(EN_UPDATE, id, memberFxn)
#define ON_EN_SETFOCUS(id, memberFxn) ON_CONTROL(EN_SETFOCUS, id, memberFxn)
#define ON_EN_KILLFOCUS(id, memberFxn) ON_CONTROL(EN_KILLFOCUS, id, memberFxn)
#define ON_EN_MAXTEXT(id, memberFxn) ON_CONTROL(EN_MAXTEXT, id, memberFxn)
#define ON_EN_HSCROLL(id, memberFxn) ON_CONTROL(EN_HSCROLL, id, memberFxn)
#define ON_EN_VSCROLL(id, memberFxn) ON_CONTROL(EN_VSCROLL, id, memberFxn)
#define ON_CBN_SELCHANGE(id, memberFxn) ON_CONTROL(CBN_SELCHANGE, id, memberFxn)
#define ON_CBN_DBLCLK(id, memberFxn) ON_CONTROL(CBN_DBLCLK, id, memberFxn)
#define ON_CBN_EDITCHANGE(id, memberFxn) ON_CONTROL(CBN_EDITCHANGE, id, memberFxn)
#define ON_CBN_EDITUPDATE(id, memberFxn) ON_CONTROL(CBN_EDITUPDATE, id, memberFxn)
#define ON_CBN_DROPDOWN(id, memberFxn) ON_CONTROL(CBN_DROPDOWN, id, memberFxn)
#define ON_CBN_CLOSEUP(id, memberFxn) ON_CONTROL(CBN_CLOSEUP, id, memberFxn)
#define ON_CBN_SELENDOK(id, memberFxn) ON_CONTROL(CBN_SELENDOK, id, memberFxn)
#define ON_CBN_SELENDCANCEL(id, memberFxn) ON_CONTROL(CBN_SELENDCANCEL, id, memberFxn)
#define ON_CBN_SETFOCUS(id, memberFxn) ON_CONTROL(CBN_SETFOCUS, id, memberFxn)
#define ON_CBN_KILLFOCUS(id, memberFxn) ON_CONTROL(CBN_KILLFOCUS, id, memberFxn)
#define ON_LBN_SELCHANGE(id, memberFxn) ON_CONTROL(LBN_SELCHANGE, id, memberFxn)
#define ON_LBN_DBLCLK(id, memberFxn) ON_CONTROL(LBN_DBLCLK, id, memberFxn)
#define ON_LBN_SETFOCUS(id, memberFxn) ON_CONTROL(LBN_SETFOCUS, id, memberFxn)
#define ON_LBN_KILLFOCUS(id, memberFxn) ON_CONTROL(LBN_KILLFOCUS, id, memberFxn)
#define ON_STN_CLICKED(id, memberFxn) ON_CONTROL(STN_CLICKED, id, memberFxn)
#define ON_STN_DBLCLK(id, memberFxn) ON_CONTROL(STN_DBLCLK, id, memberFxn)

// WM_NOTIFY from child controls.
#define ON_NOTIFY(wNotifyCode, id, memberFxn) FRAMEWORK_CMD(WM_NOTIFY, wNotifyCode, id, id, Notify, memberFxn)
#define ON_NOTIFY_RANGE(wNotifyCode, id, idLast, memberFxn) \
    FRAMEWORK_CMD(WM_NOTIFY, wNotifyCode, id, idLast, NotifyRange, memberFxn)
#define ON_NOTIFY_EX(wNotifyCode, id, memberFxn) FRAMEWORK_CMD(WM_NOTIFY, wNotifyCode, id, id, NotifyEx, memberFxn)
#define ON_NOTIFY_EX_RANGE(wNotifyCode, id, idLast, memberFxn) \
    FRAMEWORK_CMD(WM_NOTIFY, wNotifyCode, id, idLast, NotifyEx, memberFxn)

// Reflected notifications and messages, handled by the control that sent them. The _EX forms
// return FALSE to let the parent see the notification too.
#define ON_NOTIFY_REFLECT(wNotifyCode, memberFxn) \
    FRAMEWORK_CMD(framework::kReflectBase + WM_NOTIFY, wNotifyCode, 0, 0xFFFFFFFFu, Notify, memberFxn)
#define ON_NOTIFY_REFLECT_EX(wNotifyCode, memberFxn) \
    FRAMEWORK_CMD(framework::kReflectBase + WM_NOTIFY, wNotifyCode, 0, 0xFFFFFFFFu, NotifyReflectEx, memberFxn)
#define ON_CONTROL_REFLECT(wNotifyCode, memberFxn) \
    FRAMEWORK_CMD(framework::kReflectBase + WM_COMMAND, wNotifyCode, 0, 0xFFFFFFFFu, Void, memberFxn)
#define ON_CONTROL_REFLECT_EX(wNotifyCode, memberFxn) \
    FRAMEWORK_CMD(framework::kReflectBase + WM_COMMAND, wNotifyCode, 0, 0xFFFFFFFFu, BoolResultEx, memberFxn)
#define ON_WM_CTLCOLOR_REFLECT() FRAMEWORK_MSG(framework::kReflectBase + WM_CTLCOLOR, CtlColorReflect, CtlColor)
#define ON_WM_HSCROLL_REFLECT() FRAMEWORK_MSG(framework::kReflectBase + WM_HSCROLL, ScrollReflect, HScroll)
#define ON_WM_VSCROLL_REFLECT() FRAMEWORK_MSG(framework::kReflectBase + WM_VSCROLL, ScrollReflect, VScroll)
#define ON_WM_DRAWITEM_REFLECT() FRAMEWORK_MSG(framework::kReflectBase + WM_DRAWITEM, ItemReflect, DrawItem)
#define ON_WM_MEASUREITEM_REFLECT() FRAMEWORK_MSG(framework::kReflectBase + WM_MEASUREITEM, ItemReflect, MeasureItem)
#define ON_WM_PARENTNOTIFY_REFLECT() FRAMEWORK_MSG(framework::kReflectBase + WM_PARENTNOTIFY, ParentNotify, ParentNotify)
