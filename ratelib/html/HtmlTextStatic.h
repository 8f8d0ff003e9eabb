// A static control that shows its window text as formatted text: bold, italic, underline,
// strike-out, sizes, fonts, colours, centring, rules, line breaks and links that open a document or
// send a command of the owning application. The text is laid out into a memory image when it, the
// colours, the font or the size change; painting copies the image.
#pragma once

#include <framework/Framework.h>

#include <string>
#include <vector>

#include "html/HtmlLayout.h"
#include "html/NamedColors.h"

class CHtmlTextStatic : public CStatic {
public:
    CHtmlTextStatic();
    ~CHtmlTextStatic() override;

    // Each returns the colour it replaces; the change shows at the next painting.
    COLORREF SetBkColor(COLORREF colour);
    COLORREF SetBkColor(LPCWSTR colour) { return SetBkColor(CNamedColors(colour).GetColor()); }
    COLORREF SetTextColor(COLORREF colour);
    COLORREF SetTextColor(LPCWSTR colour) { return SetTextColor(CNamedColors(colour).GetColor()); }

    // The font the text starts from, in place of the window's font.
    void SetDefaultFont(const LOGFONTW& font);
    void SetMargins(int left, int right);

    // A link "APP:name" sends `message` with `parameter` to `window` when clicked.
    void AddAppCommand(LPCWSTR name, HWND window, UINT message, WPARAM parameter);

    // Gives every link a tooltip with its target (application commands excepted).
    void EnableLinkTips(BOOL enable = TRUE);

    // Opens a link target as a click does; true when the command was sent or the document opened.
    bool OpenLinkTarget(const CString& target);

    // The links of the last rendering: one rectangle per line a link covers, and its target.
    struct LinkArea {
        CRect rect;
        CString target;
    };
    const std::vector<LinkArea>& Links() const { return m_links; }
    HWND ToolTipWindow() const { return m_toolTip.GetSafeHwnd(); }

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnPaint();
    BOOL OnEraseBkgnd(CDC* pDC);
    void OnSize(UINT nType, int cx, int cy);
    void OnMouseMove(UINT nFlags, CPoint point);
    void OnLButtonUp(UINT nFlags, CPoint point);
    BOOL OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message);
    LRESULT OnNcHitTest(CPoint point);
    void OnDestroy();
    DECLARE_MESSAGE_MAP()

private:
    struct AppCommand {
        CString name;
        HWND window;
        UINT message;
        WPARAM parameter;
    };

    void MarkForRendering();
    void PrepareLinkTips();
    void Render(HDC screen);
    void DrawLines(const std::vector<sorvane::html::Line>& lines, const std::vector<CString>& targets,
                   sorvane::html::FontCache& fonts, int layoutWidth, int clientWidth);
    void FreeImage();
    int LinkAt(CPoint point) const;
    HCURSOR LinkCursor();

    CToolTipCtrl m_toolTip;
    bool m_linkTips = false;
    std::vector<LinkArea> m_links;
    HCURSOR m_linkCursor = nullptr;
    bool m_ownsLinkCursor = false;
    HCURSOR m_replacedCursor = nullptr;
    bool m_showingLinkCursor = false;
    HDC m_imageDC = nullptr;
    HBITMAP m_image = nullptr;
    HGDIOBJ m_imageDefault = nullptr;
    bool m_needsRendering = true;
    COLORREF m_background;
    COLORREF m_foreground;
    LOGFONTW m_defaultFont = {};
    bool m_hasDefaultFont = false;
    int m_leftMargin = 0;
    int m_rightMargin = 0;
    std::vector<AppCommand> m_appCommands;
};
