// CVGMaskedEdit: the grid's in-cell editor for cells with an input mask (child id 124).
//
// A mask is a string of input positions and literals: each of the characters "09#L?Aa&C" is an
// input position that takes the characters of its rule, a backslash makes the next character a
// literal, and every other character is a literal. The editor keeps two templates of the mask, one
// character per position: the position template holds the mask character at input positions and
// kMaskMarker at literal ones; the literal template holds kMaskMarker at input positions and the
// literal itself at literal ones. Typing at a literal position types the literal first; text set
// from outside is conformed to the mask.
#pragma once

#include "VGEditBase.h"

// The marker of the templates: no character of this kind at this position.
constexpr wchar_t kMaskMarker = 8;

// The mask arithmetic, over strings only.
struct VGMask {
    // False (both templates empty) for an empty or missing mask.
    static bool BuildTemplates(LPCWSTR mask, CString* positions, CString* literals);
    // Whether the character passes the rule of a position template character; any code that is
    // not one of the mask characters lets every character pass.
    static bool Accepts(wchar_t rule, wchar_t character);
    // The text walked against the templates: literals are put in, refused characters dropped; the
    // walk ends with the text or with the templates, so no literal follows the last character.
    static CString Conform(const CString& text, const CString& positions, const CString& literals);
};

class CVGMaskedEdit : public CVGEditBase {
    DECLARE_DYNAMIC(CVGMaskedEdit)

public:
    CVGMaskedEdit() = default;

    BOOL PreCreateWindow(CREATESTRUCT& cs) override;
    // The mask in force from now on; an empty or missing mask switches masking off.
    void SetMask(LPCWSTR mask);
    bool MaskOn() const { return m_maskOn != 0; }
    // Conforms the window's text to the mask, keeping the selection.
    void ConformToMask();

protected:
    void OnSetFocus(CWnd* pOldWnd);
    void OnKillFocus(CWnd* pNewWnd);
    void OnChar(UINT nChar, UINT nRepCnt, UINT nFlags);

    DECLARE_MESSAGE_MAP()

private:
    // Whether a typed character may go in at the caret; types a literal that stands there first.
    bool CheckMaskedChar(wchar_t character);

    int m_internalChange = 0;
    int m_maskOn = 0;
    CString m_maskText;
    CString m_positions;
    CString m_literals;
};
