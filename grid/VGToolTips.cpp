#include "VGToolTips.h"

namespace VGToolTips {

namespace {
wchar_t g_tipText[1024];
}  // namespace

INT_PTR HitTest(HWND window, bool found, int column, int row, LastCell& last, TOOLINFOW* pTI)
{
    if (found && column == last.column && row == last.row && pTI) {
        pTI->uFlags = TTF_IDISHWND | TTF_NOTBUTTON | TTF_CLOSEONLEAVE;
        pTI->hwnd = window;
        pTI->uId = reinterpret_cast<UINT_PTR>(window);
        pTI->lpszText = LPSTR_TEXTCALLBACKW;
        return 1;
    }
    last.column = found ? column : -2;
    last.row = found ? row : -2;
    CWnd::CancelToolTips();
    return -1;
}

BOOL AnswerTextRequest(NMHDR* request, const CString& text, bool wideAndSlow)
{
    if (wideAndSlow) {
        const HWND tip = request->hwndFrom;
        ::SendMessageW(tip, TTM_SETMAXTIPWIDTH, 0, 0x7FFF);
        ::SendMessageW(tip, TTM_SETDELAYTIME, TTDT_AUTOPOP, 0x7FFF);
        ::SendMessageW(tip, TTM_SETDELAYTIME, TTDT_INITIAL, 200);
        ::SendMessageW(tip, TTM_SETDELAYTIME, TTDT_RESHOW, 200);
    }
    lstrcpynW(g_tipText, text.GetString(), static_cast<int>(sizeof(g_tipText) / sizeof(g_tipText[0])));
    reinterpret_cast<NMTTDISPINFOW*>(request)->lpszText = g_tipText;
    return TRUE;
}

CPoint PointerIn(const CWnd& window)
{
    CPoint point;
    ::GetCursorPos(&point);
    ::ScreenToClient(window.GetSafeHwnd(), &point);
    return point;
}

}  // namespace VGToolTips
