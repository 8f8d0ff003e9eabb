// The grid window itself: creation, the section windows, sheets, registries and the layout.
#include "VGCtrl.h"

#include "VGDataSource.h"
#include "VGDialogKeys.h"
#include "VGLayout.h"
#include "VGMem.h"
#include "VGMultiSelect.h"
#include "VGXPThemes.h"

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <utility>

IMPLEMENT_DYNAMIC(CVGCtrl, CWnd)

BEGIN_MESSAGE_MAP(CVGCtrl, CWnd)
    ON_WM_CREATE()
    ON_WM_SIZE()
    ON_WM_PAINT()
    ON_WM_ERASEBKGND()
    ON_WM_SETFOCUS()
    ON_WM_SYSCOLORCHANGE()
    ON_WM_DESTROY()
    ON_WM_GETDLGCODE()
    ON_WM_HSCROLL()
    ON_WM_VSCROLL()
    ON_MESSAGE(VGM_CELLTYPEMESSAGE, OnCellTypeMessageRequest)
    ON_REGISTERED_MESSAGE(g_vgFindReplaceMessage, OnFindReplace)
END_MESSAGE_MAP()

namespace {

constexpr int kMaxSheets = 1024;
constexpr int kMaxDataSources = 63;
constexpr int kDataSourceGrowth = 16;

bool SameFont(const LOGFONTW& a, const LOGFONTW& b)
{
    return a.lfHeight == b.lfHeight && a.lfWidth == b.lfWidth && a.lfEscapement == b.lfEscapement &&
           a.lfOrientation == b.lfOrientation && a.lfWeight == b.lfWeight && a.lfItalic == b.lfItalic &&
           a.lfUnderline == b.lfUnderline && a.lfStrikeOut == b.lfStrikeOut && a.lfCharSet == b.lfCharSet &&
           a.lfOutPrecision == b.lfOutPrecision && a.lfClipPrecision == b.lfClipPrecision &&
           a.lfQuality == b.lfQuality && a.lfPitchAndFamily == b.lfPitchAndFamily &&
           std::wcsncmp(a.lfFaceName, b.lfFaceName, LF_FACESIZE) == 0;
}

// The section windows take double clicks (border fits, cell types) and draw their own background.
LPCWSTR SectionClass()
{
    return AfxRegisterWndClass(CS_DBLCLKS, ::LoadCursorW(nullptr, IDC_ARROW), nullptr, nullptr);
}

}  // namespace

CVGCtrl::CVGCtrl()
{
    CreatePens();
    m_dataSources.assign(kDataSourceGrowth, nullptr);
    if (SetSheetCount(1) != 0)
        m_status = 1;
    m_currentSheet = 0;
    m_pInfo = m_sheets.front().get();
    ShareCurrentSheet();
    // The built-in types: 0 normal, 1 drop list, 2 check box, 3 side arrows.
    RegisterCellType(&m_normalType);
    RegisterCellType(&m_dropListType);
    RegisterCellType(&m_checkBoxType);
    RegisterCellType(&m_arrowType);
    m_popupMenu.CreatePopupMenu();
    m_pInfo->m_painting = 1;
}

CVGCtrl::~CVGCtrl()
{
    for (int i = 0; i < m_fonts.Count(); ++i)
        delete static_cast<CFont*>(m_fonts.ItemAt(i));
    m_fonts.Clear();
    for (int i = 0; i < m_ownedItems.Count(); ++i)
        delete static_cast<CObject*>(m_ownedItems.ItemAt(i));
    m_ownedItems.Clear();
    // Registered cell types and data sources belong to the caller, who may have destroyed them
    // already: they are not touched here.
    m_cellTypes.Clear();
    if (m_hint.GetSafeHwnd())
        m_hint.DestroyWindow();
    if (m_hWnd)
        DestroyWindow();
}

void CVGCtrl::CreatePens()
{
    m_lightPen.DeleteObject();
    m_darkPen.DeleteObject();
    m_lightPen.CreatePen(PS_SOLID, 1, ::GetSysColor(COLOR_BTNHIGHLIGHT));
    m_darkPen.CreatePen(PS_SOLID, 1, ::GetSysColor(COLOR_BTNSHADOW));
}

void CVGCtrl::ShareCurrentSheet()
{
    m_cellArea.SetOwner(this);
    m_cellArea.SetInfo(m_pInfo);
    m_topHeading.SetOwner(this);
    m_topHeading.SetInfo(m_pInfo);
    m_sideHeading.SetOwner(this);
    m_sideHeading.SetInfo(m_pInfo);
    m_corner.SetOwner(this);
    m_corner.SetInfo(m_pInfo);
    m_vScroll.SetOwner(this);
    m_vScroll.SetInfo(m_pInfo);
    m_hScroll.SetOwner(this);
    m_hScroll.SetInfo(m_pInfo);
    m_tabs.SetOwner(this);
    m_tabs.SetInfo(m_pInfo);
    if (m_pInfo->m_selection)
        m_pInfo->m_selection->SetOwner(this, m_pInfo);
}

// ---- Creation ----

BOOL CVGCtrl::PreCreateWindow(CREATESTRUCT& cs)
{
    cs.style |= WS_CLIPCHILDREN;
    return CWnd::PreCreateWindow(cs);
}

int CVGCtrl::OnCreate(LPCREATESTRUCT)
{
    if (static_cast<int>(Default()) == -1)
        return -1;
    CreateSectionWindows();
    return 0;
}

int CVGCtrl::AttachToDialogItem(CWnd* dialog, UINT id)
{
    if (!dialog || !SubclassDlgItem(id, dialog))
        return 0;
    ModifyStyle(0, WS_CLIPCHILDREN | WS_TABSTOP);
    CFont* font = dialog->GetFont();
    LOGFONTW logFont = {};
    if (font && font->GetSafeHandle() && ::GetObjectW(font->GetSafeHandle(), sizeof(logFont), &logFont)) {
        SetDefaultFont(RegisterFontIndirect(logFont));
        logFont.lfWeight += 200;
        const int bold = RegisterFontIndirect(logFont);
        m_pInfo->m_headingDefaultCell.PutFont(FontAt(bold));
    }
    CreateSectionWindows();
    if (GetExStyle() & WS_EX_RTLREADING)
        SetMirroredLayout(1);
    OnGridSetup();
    OnSheetCreated(0);
    m_pInfo->m_painting = 1;
    RecalcLayout();
    return 1;
}

int CVGCtrl::CreateSectionWindows()
{
    if (m_created)
        return 0;
    const CRect none(0, 0, 0, 0);
    const DWORD visible = WS_CHILD | WS_VISIBLE;
    m_cellArea.Create(SectionClass(), nullptr, visible, none, this, VGID_CELLS);
    m_topHeading.Create(SectionClass(), nullptr, visible, none, this, VGID_TOPHEADING);
    m_sideHeading.Create(SectionClass(), nullptr, visible, none, this, VGID_SIDEHEADING);
    m_corner.Create(SectionClass(), nullptr, visible, none, this, VGID_CORNER);
    m_tabs.Create(SectionClass(), nullptr, visible, none, this, VGID_TABS);
    m_vScroll.Create(visible | SBS_VERT, none, this, VGID_VSCROLL);
    m_hScroll.Create(visible, none, this, VGID_HSCROLL);
    m_hint.CreateHintWindow(this, nullptr);
    m_edit.Create(WS_CHILD | ES_MULTILINE | ES_AUTOVSCROLL, none, this, VGID_EDIT);
    m_maskedEdit.Create(WS_CHILD | ES_AUTOHSCROLL, none, this, VGID_MASKEDEDIT);
    m_edit.SetGrid(this);
    m_maskedEdit.SetGrid(this);
    m_created = true;
    return 0;
}

// ---- Sheets ----

int CVGCtrl::SetSheetCount(int count)
{
    if (count < 1 || count > kMaxSheets)
        return 1;
    // The sheet that stays current is chosen while every sheet still exists.
    if (m_pInfo && m_currentSheet >= count)
        SetCurrentSheet(count - 1, 1);
    CVGGridInfo* previous = m_pInfo;
    const int oldCount = static_cast<int>(m_sheets.size());
    if (count < oldCount)
        m_sheets.resize(static_cast<size_t>(count));
    for (int index = oldCount; index < count; ++index) {
        m_sheets.push_back(std::make_unique<CVGGridInfo>());
        CVGGridInfo* sheet = m_sheets.back().get();
        sheet->m_selection->SetOwner(this, sheet);
        sheet->m_memSource->SetOwner(this, -1);
        sheet->m_pEditWindow = &m_edit;
        sheet->m_pMaskedEditWindow = &m_maskedEdit;
        m_pInfo = sheet;
        ShareCurrentSheet();
        OnSheetCreated(index);
        sheet->m_painting = 1;
    }
    m_pInfo = previous ? previous : m_sheets.front().get();
    ShareCurrentSheet();
    return 0;
}

int CVGCtrl::SetCurrentSheet(int index, int keepPainting)
{
    if (index < 0 || index >= static_cast<int>(m_sheets.size()))
        return 1;
    const int painting = m_pInfo->m_painting;
    if (!keepPainting)
        m_pInfo->m_painting = 0;
    if (m_cellArea.GetSafeHwnd())
        m_cellArea.SetFocus();
    CVGGridInfo* old = m_pInfo;
    CVGGridInfo* next = m_sheets[static_cast<size_t>(index)].get();
    next->m_tabStripWidth = old->m_tabStripWidth;
    next->m_painting = keepPainting ? painting : 0;
    m_pInfo = next;
    ShareCurrentSheet();
    m_currentSheet = index;
    next->m_previousTopRow = -1;
    next->m_previousLeftColumn = -1;
    RecalcLayout();
    next->m_painting = painting;
    if (old != next)
        old->m_painting = painting;
    CatchUpLayout();
    return 0;
}

// ---- Registries ----

int CVGCtrl::RegisterCellType(CVGCellType* type)
{
    if (!type)
        return -1;
    const int index = m_cellTypes.Insert(type, 0, nullptr);
    if (index < 0)
        return -1;
    type->SetTypeIndex(index);
    type->SetGrid(this);
    return index;
}

CVGCellType* CVGCtrl::CellTypeAt(int index)
{
    if (index <= 0)
        return &m_normalType;
    auto* type = static_cast<CVGCellType*>(m_cellTypes.ItemAt(index));
    return type ? type : &m_normalType;
}

int CVGCtrl::RegisterDataSource(CVGDataSource* source)
{
    if (!source)
        return -1;
    source->SetOwner(this, source->GetIndex());
    const int registered = static_cast<int>(std::count_if(m_dataSources.begin() + 1, m_dataSources.end(),
                                                          [](CVGDataSource* s) { return s != nullptr; }));
    if (registered >= kMaxDataSources)
        return -1;
    auto free = std::find(m_dataSources.begin() + 1, m_dataSources.end(), nullptr);
    if (free == m_dataSources.end()) {
        m_dataSources.resize(m_dataSources.size() + kDataSourceGrowth, nullptr);
        free = std::find(m_dataSources.begin() + 1, m_dataSources.end(), nullptr);
    }
    *free = source;
    const int index = static_cast<int>(free - m_dataSources.begin());
    source->SetOwner(this, index);
    return index;
}

int CVGCtrl::RegisterFont(LPCWSTR faceName, int height, int weight)
{
    return RegisterFontFull(height, 0, 0, 0, weight, 0, 0, 0, 0, 0, 0, 0, 0, faceName);
}

int CVGCtrl::RegisterFontFull(int height, int width, int escapement, int orientation, int weight, BYTE italic,
                              BYTE underline, BYTE strikeOut, BYTE charSet, BYTE outPrecision, BYTE clipPrecision,
                              BYTE quality, BYTE pitchAndFamily, LPCWSTR faceName)
{
    LOGFONTW font = {};
    font.lfHeight = height;
    font.lfWidth = width;
    font.lfEscapement = escapement;
    font.lfOrientation = orientation;
    font.lfWeight = weight;
    font.lfItalic = italic;
    font.lfUnderline = underline;
    font.lfStrikeOut = strikeOut;
    font.lfCharSet = charSet;
    font.lfOutPrecision = outPrecision;
    font.lfClipPrecision = clipPrecision;
    font.lfQuality = quality;
    font.lfPitchAndFamily = pitchAndFamily;
    // A face name that does not fit the record is dropped rather than cut.
    if (faceName && std::wcslen(faceName) < LF_FACESIZE)
        ::lstrcpynW(font.lfFaceName, faceName, LF_FACESIZE);
    return RegisterFontIndirect(font);
}

int CVGCtrl::RegisterFontIndirect(const LOGFONTW& font)
{
    for (size_t i = 0; i < m_fontRecords.size(); ++i) {
        if (SameFont(m_fontRecords[i], font)) {
            m_fonts.SetValueAt(static_cast<int>(i), m_fonts.ValueAt(static_cast<int>(i)) + 1);
            return static_cast<int>(i);
        }
    }
    auto* made = new CFont;
    made->CreateFontIndirect(&font);
    const int index = m_fonts.Insert(made, 1, nullptr);
    if (index < 0) {
        delete made;
        return -1;
    }
    m_fontRecords.resize(static_cast<size_t>(index) + 1);
    m_fontRecords[static_cast<size_t>(index)] = font;
    return index;
}

CFont* CVGCtrl::FontAt(int index)
{
    return static_cast<CFont*>(m_fonts.ItemAt(index));
}

int CVGCtrl::SetDefaultFont(int index)
{
    CFont* font = FontAt(index);
    if (!font)
        return 1;
    m_pInfo->m_pDefaultFont = font;
    return 0;
}

int CVGCtrl::SetPainting(int on)
{
    m_pInfo->m_painting = on;
    // What changed meanwhile (a resize, counts, sizes) is laid out as painting comes back.
    CatchUpLayout();
    return 0;
}

int CVGCtrl::SetMirroredLayout(int on)
{
    const bool mirrored = (GetExStyle() & WS_EX_LAYOUTRTL) != 0;
    if (mirrored == (on != 0))
        return 1;
    CWnd* windows[] = {this, &m_cellArea, &m_topHeading, &m_sideHeading, &m_corner, &m_tabs,
                       &m_vScroll, &m_hScroll, &m_hint, &m_edit, &m_maskedEdit};
    for (CWnd* window : windows) {
        if (window->GetSafeHwnd())
            window->ModifyStyleEx(on ? 0 : WS_EX_LAYOUTRTL, on ? WS_EX_LAYOUTRTL : 0);
    }
    if (m_tabs.GetSafeHwnd()) {
        CRect tabs;
        m_tabs.GetClientRect(&tabs);
        m_tabs.SendMessage(WM_SIZE, SIZE_RESTORED, MAKELPARAM(tabs.Width(), tabs.Height()));
    }
    RepaintAll();
    return 0;
}

// ---- Layout and repainting ----

void CVGCtrl::RecalcLayout()
{
    if (!m_hWnd)
        return;
    CVGGridInfo& info = *m_pInfo;
    CRect client;
    GetClientRect(&client);
    const VGLayout::SectionRects sections = VGLayout::ComputeSections(info, client.Width(), client.Height());
    VGLayout::StoreSections(info, sections);
    // A repaint that the hook asks for does not lay out again inside this layout.
    const bool outer = !std::exchange(m_layingOut, true);
    RECT cells = info.m_cellAreaRect, top = info.m_topHeadingRect, side = info.m_sideHeadingRect,
         corner = info.m_cornerRect, vScroll = info.m_vScrollRect, hScroll = info.m_hScrollRect,
         tabs = info.m_tabStripRect;
    OnLayoutComputed(&cells, &top, &side, &corner, &vScroll, &hScroll, &tabs);
    info.m_cellAreaRect = cells;
    info.m_topHeadingRect = top;
    info.m_sideHeadingRect = side;
    info.m_cornerRect = corner;
    info.m_vScrollRect = vScroll;
    info.m_hScrollRect = hScroll;
    info.m_tabStripRect = tabs;
    info.m_cellAreaWidth = info.m_cellAreaRect.Width();
    info.m_cellAreaHeight = info.m_cellAreaRect.Height();
    m_layoutPending = !(info.m_painting && m_created);
    if (!m_layoutPending) {
        m_laidOut = sections;
        if (m_lightLayout) {
            m_hScroll.MoveWindow(&info.m_hScrollRect, TRUE);
            m_tabs.MoveWindow(&info.m_tabStripRect, TRUE);
        } else {
            m_cellArea.MoveWindow(&info.m_cellAreaRect, FALSE);
            m_topHeading.MoveWindow(&info.m_topHeadingRect, FALSE);
            m_sideHeading.MoveWindow(&info.m_sideHeadingRect, FALSE);
            m_corner.MoveWindow(&info.m_cornerRect, FALSE);
            m_vScroll.MoveWindow(&info.m_vScrollRect, FALSE);
            m_hScroll.MoveWindow(&info.m_hScrollRect, FALSE);
            m_tabs.MoveWindow(&info.m_tabStripRect, FALSE);
            VGLayout::UpdateLargestLeftColumn(info);
            VGLayout::UpdateLargestTopRow(info);
            // The square between the scroll bars is this window's own to paint.
            const CRect square = BetweenScrollBars();
            if (!square.IsRectEmpty())
                InvalidateRect(&square, FALSE);
            InvalidateChildren();
        }
    }
    info.m_previousTopRow = info.m_topRow;
    info.m_previousLeftColumn = info.m_leftColumn;
    if (outer)
        m_layingOut = false;
}

bool CVGCtrl::CatchUpLayout()
{
    if (!m_hWnd || !m_created || !m_pInfo->m_painting || m_layingOut)
        return false;
    CRect client;
    GetClientRect(&client);
    if (!m_layoutPending && VGLayout::ComputeSections(*m_pInfo, client.Width(), client.Height()) == m_laidOut)
        return false;
    RecalcLayout();
    return true;
}

CRect CVGCtrl::BetweenScrollBars() const
{
    // The square between the two scroll bars belongs to no section.
    const CVGGridInfo& info = *m_pInfo;
    return CRect(info.m_hScrollRect.right, info.m_vScrollRect.bottom, info.m_vScrollRect.right, info.m_hScrollRect.bottom);
}

void CVGCtrl::InvalidateChildren()
{
    if (!m_created)
        return;
    m_vScroll.SyncWithView();
    m_hScroll.SyncWithView();
    m_cellArea.Invalidate(FALSE);
    VGLayout::FitTopHeadingRows(*m_pInfo);
    VGLayout::FitSideHeadingColumns(*m_pInfo);
    m_topHeading.Invalidate(TRUE);
    m_sideHeading.Invalidate(TRUE);
    m_corner.Invalidate(TRUE);
    m_tabs.Invalidate(TRUE);
    m_vScroll.Invalidate(TRUE);
    m_hScroll.Invalidate(TRUE);
}

int CVGCtrl::RepaintAll()
{
    // Repainting everything is also where a layout that fell behind catches up (which repaints).
    if (!CatchUpLayout())
        InvalidateChildren();
    return 0;
}

int CVGCtrl::RepaintCell(int column, int row)
{
    if (!m_created)
        return 0;
    if (column < 0)
        m_sideHeading.Invalidate(TRUE);
    else if (row < 0)
        m_topHeading.Invalidate(TRUE);
    else
        m_cellArea.RefreshCell(column, row);
    return 0;
}

int CVGCtrl::RepaintRange(int startColumn, int startRow, int endColumn, int endRow)
{
    if (m_created)
        m_cellArea.RefreshRange(startColumn, startRow, endColumn, endRow);
    return 0;
}

void CVGCtrl::PlaceTrackingWindow()
{
    if (!m_pTrackingWindow || !m_pTrackingWindow->GetSafeHwnd() || !m_pInfo->m_trackingWindowFollows ||
        !m_cellArea.GetSafeHwnd())
        return;
    int column = m_pInfo->m_currentColumn;
    int row = m_pInfo->m_currentRow;
    if (column < 0 || row < 0)
        return;
    CRect cell;
    ComputeCellRect(&column, &row, &cell);
    m_cellArea.ClientToScreen(&cell);
    CRect old;
    m_pTrackingWindow->GetWindowRect(&old);
    CRect next(cell.right + 30, cell.top, cell.right + 30 + old.Width(), cell.top + old.Height());
    CRect overlap;
    if (overlap.IntersectRect(&next, &cell)) {
        const int screenWidth = ::GetSystemMetrics(SM_CXSCREEN);
        const int screenHeight = ::GetSystemMetrics(SM_CYSCREEN);
        if (cell.right + 5 + next.Width() <= screenWidth)
            next.OffsetRect(cell.right + 5 - next.left, 0);
        else if (cell.bottom + 5 + next.Height() <= screenHeight)
            next.OffsetRect(0, cell.bottom + 5 - next.top);
        else if (cell.left - 5 - next.Width() > 0)
            next.OffsetRect(cell.left - 5 - next.Width() - next.left, 0);
        else
            next.OffsetRect(0, cell.top - 5 - next.Height() - next.top);
    }
    RECT oldRect = old;
    RECT newRect = next;
    OnTrackWindowMoved(&oldRect, &newRect);
    CWnd* parent = m_pTrackingWindow->GetParent();
    if (parent && (m_pTrackingWindow->GetStyle() & WS_CHILD))
        parent->ScreenToClient(&newRect);
    m_pTrackingWindow->MoveWindow(&newRect, TRUE);
    RepaintAll();
}

void CVGCtrl::OpenHelp(DWORD contextId)
{
    // Context 0 names no topic: nothing is asked of the help system.
    if (contextId == 0)
        return;
    if (CWinApp* app = AfxGetApp())
        app->WinHelp(contextId, HELP_CONTEXT);
}

// ---- Messages ----

void CVGCtrl::OnSize(UINT, int, int)
{
    Invalidate(TRUE);
    RecalcLayout();
}

void CVGCtrl::OnPaint()
{
    // Whoever asked this window to paint (a window around it repainting with its background, which
    // then covered the sections too) asked it of the sections, windows of their own that the request
    // does not reach while this window clips its children: they paint again where it was asked.
    CRect asked;
    const bool repaintSections = m_created && m_pInfo->m_painting && GetUpdateRect(&asked, FALSE);
    CPaintDC dc(this);
    if (!m_pInfo->m_painting)
        return;
    if (repaintSections)
        RepaintSectionsIn(asked);
    const CRect square = BetweenScrollBars();
    if (!square.IsRectEmpty()) {
        if (!VGXPThemes::ThemedParentBackground(m_hWnd, dc.GetSafeHdc(), &square))
            dc.FillSolidRect(&square, ::GetSysColor(COLOR_BTNFACE));
    }
    // The sections move only when their rectangles change, not on every paint of this window.
    CatchUpLayout();
}

void CVGCtrl::RepaintSectionsIn(const CRect& area)
{
    for (CWnd* section : {static_cast<CWnd*>(&m_cellArea), static_cast<CWnd*>(&m_topHeading),
                          static_cast<CWnd*>(&m_sideHeading), static_cast<CWnd*>(&m_corner),
                          static_cast<CWnd*>(&m_vScroll), static_cast<CWnd*>(&m_hScroll),
                          static_cast<CWnd*>(&m_tabs)}) {
        if (!section->GetSafeHwnd() || !(section->GetStyle() & WS_VISIBLE))
            continue;
        CRect place;
        section->GetWindowRect(&place);
        ScreenToClient(&place);
        CRect overlap;
        if (!overlap.IntersectRect(&place, &area))
            continue;
        overlap.OffsetRect(-place.left, -place.top);
        // The cell area draws every pixel of its cells itself; the others erase first, as they are
        // always asked to.
        const UINT erase = section == &m_cellArea ? 0 : RDW_ERASE;
        ::RedrawWindow(section->GetSafeHwnd(), &overlap, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | erase);
    }
}

BOOL CVGCtrl::OnEraseBkgnd(CDC*)
{
    return TRUE;
}

void CVGCtrl::OnSetFocus(CWnd*)
{
    if (m_cellArea.GetSafeHwnd())
        m_cellArea.SetFocus();
}

void CVGCtrl::OnSysColorChange()
{
    for (int i = 0; i < m_cellTypes.Count(); ++i) {
        if (auto* type = static_cast<CVGCellType*>(m_cellTypes.ItemAt(i)))
            type->ReservedQueryC();
    }
    for (auto& sheet : m_sheets)
        sheet->m_headingDefaultCell.PutBackColor(::GetSysColor(COLOR_BTNFACE));
    CreatePens();
}

void CVGCtrl::OnDestroy()
{
    // An edit running now ends with the windows, unstored: the editors forget the grid first so
    // that their loss of focus asks nothing of a grid on its way out.
    m_edit.SetGrid(nullptr);
    m_maskedEdit.SetGrid(nullptr);
    m_editing = 0;
    CloseFindDialog();
    Default();
    if (m_hint.GetSafeHwnd())
        m_hint.DestroyWindow();
}

UINT CVGCtrl::OnGetDlgCode()
{
    return vgkeys::CellAreaDialogCode(GetCurrentMessage()->lParam);
}

void CVGCtrl::OnHScroll(UINT nSBCode, UINT nPos, CScrollBar*)
{
    // Positions stay within 16 bits: above a thousand rows the bar itself is scaled.
    m_hScroll.ApplyScrollCode(nSBCode, static_cast<int>(nPos));
}

void CVGCtrl::OnVScroll(UINT nSBCode, UINT nPos, CScrollBar*)
{
    m_vScroll.ApplyScrollCode(nSBCode, static_cast<int>(nPos));
}

LRESULT CVGCtrl::OnCellTypeMessageRequest(WPARAM wParam, LPARAM lParam)
{
    return CellTypeAt(static_cast<int>(wParam))->ReservedQueryD(lParam);
}

CScrollBar* CVGCtrl::GetScrollBarCtrl(int nBar) const
{
    return nBar == SB_VERT ? const_cast<CVGVScroll*>(&m_vScroll) : static_cast<CScrollBar*>(const_cast<CVGHScroll*>(&m_hScroll));
}

BOOL CVGCtrl::OnCommand(WPARAM wParam, LPARAM lParam)
{
    const UINT id = LOWORD(wParam);
    if (id > 999)
        OnPopupCommand(m_popupColumn, m_popupRow, m_popupSection, id);
    return CWnd::OnCommand(wParam, lParam);
}
