#include "VGMaskedEdit.h"

#include "VGCtrl.h"

#include <cwchar>
#include <cwctype>

IMPLEMENT_DYNAMIC(CVGMaskedEdit, CVGEditBase)

BEGIN_MESSAGE_MAP(CVGMaskedEdit, CVGEditBase)
    ON_WM_SETFOCUS()
    ON_WM_KILLFOCUS()
    ON_WM_CHAR()
END_MESSAGE_MAP()

namespace {

constexpr wchar_t kMaskCharacters[] = L"09#L?Aa&C";

bool IsMaskCharacter(wchar_t c)
{
    return c != 0 && std::wcschr(kMaskCharacters, c) != nullptr;
}

bool Printable(wchar_t c)
{
    return std::iswprint(c) != 0;
}

// Sets a flag for the lifetime of the object.
class Raised {
public:
    explicit Raised(int& flag) : m_flag(flag) { m_flag = 1; }
    ~Raised() { m_flag = 0; }
    Raised(const Raised&) = delete;
    Raised& operator=(const Raised&) = delete;

private:
    int& m_flag;
};

}  // namespace

bool VGMask::BuildTemplates(LPCWSTR mask, CString* positions, CString* literals)
{
    positions->Empty();
    literals->Empty();
    if (!mask || !*mask)
        return false;
    for (const wchar_t* p = mask; *p; ++p) {
        if (*p == L'\\' && p[1]) {
            ++p;
            *positions += kMaskMarker;
            *literals += *p;
        } else if (IsMaskCharacter(*p)) {
            *positions += *p;
            *literals += kMaskMarker;
        } else {
            *positions += kMaskMarker;
            *literals += *p;
        }
    }
    return true;
}

bool VGMask::Accepts(wchar_t rule, wchar_t c)
{
    const bool digit = c >= L'0' && c <= L'9';
    const bool letter = std::iswalpha(c) != 0;
    const bool space = c == L' ';
    switch (rule) {
    case L'0': return digit;
    case L'9': return digit || space;
    case L'#': return digit || space || c == L'+' || c == L'-';
    case L'L': return letter;
    case L'?': return letter || space;
    case L'A': return letter || digit;
    case L'a': return letter || digit || space;
    case L'&':
    case L'C': return Printable(c);
    default: return true;
    }
}

CString VGMask::Conform(const CString& text, const CString& positions, const CString& literals)
{
    CString result;
    int j = 0;
    for (int i = 0; i < text.GetLength() && j < positions.GetLength();) {
        if (positions[j] == kMaskMarker) {
            result += literals[j];
            ++j;
            continue;
        }
        if (Accepts(positions[j], text[i])) {
            result += text[i];
            ++j;
        }
        ++i;
    }
    return result;
}

BOOL CVGMaskedEdit::PreCreateWindow(CREATESTRUCT& cs)
{
    cs.style |= ES_AUTOHSCROLL;
    return CVGEditBase::PreCreateWindow(cs);
}

void CVGMaskedEdit::SetMask(LPCWSTR mask)
{
    m_maskText = mask ? mask : L"";
    m_maskOn = VGMask::BuildTemplates(mask, &m_positions, &m_literals) ? 1 : 0;
    if (!m_maskOn)
        return;
    if (m_hWnd)
        SetLimitText(static_cast<UINT>(m_maskText.GetLength()));
    ConformToMask();
}

void CVGMaskedEdit::ConformToMask()
{
    if (!m_maskOn || m_internalChange || !m_hWnd)
        return;
    int start = 0, end = 0;
    GetSel(start, end);
    CString text;
    GetWindowText(text);
    const CString conformed = VGMask::Conform(text, m_positions, m_literals);
    Raised internal(m_internalChange);
    SetWindowText(conformed);
    SetSel(start, end);
}

void CVGMaskedEdit::OnSetFocus(CWnd*)
{
    CVGCell* cell = EditedCell();
    SetMask(cell && cell->HasProperty(VGCELL_MASK) ? cell->ReadMask() : nullptr);
    SetSel(0, -1);
    Default();
}

void CVGMaskedEdit::OnKillFocus(CWnd*)
{
    Default();
    SetLimitText(0);
}

void CVGMaskedEdit::OnChar(UINT nChar, UINT nRepCnt, UINT nFlags)
{
    const LPARAM flags = MAKELPARAM(nRepCnt, nFlags);
    // The edit-key hooks have had this character already (the shared key handling asks them once).
    if (m_internalChange || CheckMaskedChar(static_cast<wchar_t>(nChar)))
        DefWindowProc(WM_CHAR, nChar, flags);
}

bool CVGMaskedEdit::CheckMaskedChar(wchar_t character)
{
    if (!m_maskOn || !Printable(character))
        return true;
    int start = 0, end = 0;
    GetSel(start, end);
    if (start != end) {
        Raised internal(m_internalChange);
        ReplaceSel(L"");
    }
    GetSel(start, end);
    int caret = end;
    if (caret >= m_positions.GetLength())
        return false;
    if (m_literals[caret] != kMaskMarker) {
        Raised internal(m_internalChange);
        DefWindowProc(WM_CHAR, m_literals[caret], 1);
        GetSel(start, end);
        caret = end;
    }
    if (caret >= m_positions.GetLength())
        return true;
    return VGMask::Accepts(m_positions[caret], character);
}
