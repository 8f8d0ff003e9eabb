// A colour given as text: "r,g,b" (blue may be left out), "#RRGGBB", or a name: the HTML colour
// names and the system colour names (BtnFace, Window, ...), compared without regard to case.
#pragma once

#include <windows.h>

class CNamedColors {
public:
    CNamedColors() = default;
    explicit CNamedColors(COLORREF colour) : m_colour(colour) {}
    explicit CNamedColors(LPCWSTR text);
    virtual ~CNamedColors() = default;

    // The colour, or the system colour it stands for.
    COLORREF GetColor() const;
    operator COLORREF() const { return GetColor(); }

    // The stored word: a colour, or a system colour index with the top bit set.
    DWORD GetValue() const { return m_colour; }

    static constexpr DWORD kSystemColourBit = 0x80000000;

private:
    DWORD m_colour = 0;
};
