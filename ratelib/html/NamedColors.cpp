#include "html/NamedColors.h"

#include <cwchar>
#include <cwctype>

namespace {

struct NamedColour {
    const wchar_t* name;
    DWORD value;  // 0x00RRGGBB for a colour, kSystemColourBit | index for a system colour
};

constexpr DWORD kSystem = CNamedColors::kSystemColourBit;

constexpr NamedColour kColours[] = {
    {L"AliceBlue", 0xF0F8FF}, {L"AntiqueWhite", 0xFAEBD7}, {L"Aqua", 0x00FFFF}, {L"Aquamarine", 0x7FFFD4},
    {L"Azure", 0xF0FFFF}, {L"Beige", 0xF5F5DC}, {L"Bisque", 0xFFE4C4}, {L"Black", 0x000000},
    {L"BlanchedAlmond", 0xFFEBCD}, {L"Blue", 0x0000FF}, {L"BlueViolet", 0x8A2BE2}, {L"Brown", 0xA52A2A},
    {L"Burlywood", 0xDEB887}, {L"CadetBlue", 0x5F9EA0}, {L"Chartreuse", 0x7FFF00}, {L"Chocolate", 0xD2691E},
    {L"Coral", 0xFF7F50}, {L"CornflowerBlue", 0x6495ED}, {L"Cornsilk", 0xFFF8DC}, {L"Crimson", 0xDC143C},
    {L"Cyan", 0x00FFFF}, {L"DarkBlue", 0x00008B}, {L"DarkCyan", 0x008B8B}, {L"DarkGoldenRod", 0xB8860B},
    {L"DarkGray", 0xA9A9A9}, {L"DarkGreen", 0x006400}, {L"DarkKhaki", 0xBDB76B}, {L"DarkMagenta", 0x8B008B},
    {L"DarkOliveGreen", 0x556B2F}, {L"DarkOrange", 0xFF8C00}, {L"DarkOrchid", 0x9932CC}, {L"DarkRed", 0x8B0000},
    {L"DarkSalmon", 0xE9967A}, {L"DarkSeaGreen", 0x8FBC8F}, {L"DarkSlateBlue", 0x483D8B},
    {L"DarkSlateGray", 0x2F4F4F}, {L"DarkTurquoise", 0x00CED1}, {L"DarkViolet", 0x9400D3},
    {L"DeepPink", 0xFF1493}, {L"DeepSkyBlue", 0x00BFFF}, {L"DimGray", 0x696969}, {L"DodgerBlue", 0x1E90FF},
    {L"FireBrick", 0xB22222}, {L"FloralWhite", 0xFFFAF0}, {L"ForestGreen", 0x228B22}, {L"Fuchsia", 0xFF00FF},
    {L"Gainsboro", 0xDCDCDC}, {L"GhostWhite", 0xF8F8FF}, {L"Gold", 0xFFD700}, {L"GoldenRod", 0xDAA520},
    {L"Gray", 0x808080}, {L"Green", 0x008000}, {L"GreenYellow", 0xADFF2F}, {L"HoneyDew", 0xF0FFF0},
    {L"HotPink", 0xFF69B4}, {L"IndianRed", 0xCD5C5C}, {L"Indigo", 0x4B0082}, {L"Ivory", 0xFFFFF0},
    {L"Khaki", 0xF0E68C}, {L"Lavender", 0xE6E6FA}, {L"LavenderBlush", 0xFFF0F5}, {L"Lawngreen", 0x7CFC00},
    {L"LemonChiffon", 0xFFFACD}, {L"LightBlue", 0xADD8E6}, {L"LightCoral", 0xF08080}, {L"LightCyan", 0xE0FFFF},
    {L"LightGoldenRodYellow", 0xFAFAD2}, {L"LightGrey", 0xD3D3D3}, {L"LightGreen", 0x90EE90},
    {L"LightPink", 0xFFB6C1}, {L"LightSalmon", 0xFFA07A}, {L"LightSeaGreen", 0x20B2AA},
    {L"LightSkyBlue", 0x87CEFA}, {L"LightSlateGray", 0x778899}, {L"LightSteelBlue", 0xB0C4DE},
    {L"LightYellow", 0xFFFFE0}, {L"Lime", 0x00FF00}, {L"LimeGreen", 0x32CD32}, {L"Linen", 0xFAF0E6},
    {L"Magenta", 0xFF00FF}, {L"Maroon", 0x800000}, {L"MediumAquaMarine", 0x66CDAA}, {L"MediumBlue", 0x0000CD},
    {L"MediumOrchid", 0xBA55D3}, {L"MediumPurple", 0x9370DB}, {L"MediumSeaGreen", 0x3CB371},
    {L"MediumSlateBlue", 0x7B68EE}, {L"MediumSpringGreen", 0x00FA9A}, {L"MediumTurquoise", 0x48D1CC},
    {L"MediumVioletRed", 0xC71585}, {L"MidnightBlue", 0x191970}, {L"MintCream", 0xF5FFFA},
    {L"MistyRose", 0xFFE4E1}, {L"Moccasin", 0xFFE4B5}, {L"NavajoWhite", 0xFFDEAD}, {L"Navy", 0x000080},
    {L"OldLace", 0xFDF5E6}, {L"Olive", 0x808000}, {L"OliveDrab", 0x6B8E23}, {L"Orange", 0xFFA500},
    {L"OrangeRed", 0xFF4500}, {L"Orchid", 0xDA70D6}, {L"PaleGoldenRod", 0xEEE8AA}, {L"PaleGreen", 0x98FB98},
    {L"PaleTurquoise", 0xAFEEEE}, {L"PaleVioletRed", 0xDB7093}, {L"PapayaWhip", 0xFFEFD5},
    {L"PeachPuff", 0xFFDAB9}, {L"Peru", 0xCD853F}, {L"Pink", 0xFFC0CB}, {L"Plum", 0xDDA0DD},
    {L"PowderBlue", 0xB0E0E6}, {L"Purple", 0x800080}, {L"Red", 0xFF0000}, {L"RosyBrown", 0xBC8F8F},
    {L"RoyalBlue", 0x4169E1}, {L"SaddleBrown", 0x8B4513}, {L"Salmon", 0xFA8072}, {L"SandyBrown", 0xF4A460},
    {L"SeaGreen", 0x2E8B57}, {L"SeaShell", 0xFFF5EE}, {L"Sienna", 0xA0522D}, {L"Silver", 0xC0C0C0},
    {L"SkyBlue", 0x87CEEB}, {L"SlateBlue", 0x6A5ACD}, {L"SlateGray", 0x708090}, {L"Snow", 0xFFFAFA},
    {L"SpringGreen", 0x00FF7F}, {L"SteelBlue", 0x4682B4}, {L"Tan", 0xD2B48C}, {L"Teal", 0x008080},
    {L"Thistle", 0xD8BFD8}, {L"Tomato", 0xFF6347}, {L"Turquoise", 0x40E0D0}, {L"Violet", 0xEE82EE},
    {L"Wheat", 0xF5DEB3}, {L"White", 0xFFFFFF}, {L"WhiteSmoke", 0xF5F5F5}, {L"Yellow", 0xFFFF00},
    {L"YellowGreen", 0x9ACD32},
    // System colours, by their index.
    {L"ScrollBar", kSystem | 0}, {L"Background", kSystem | 1}, {L"Desktop", kSystem | 1},
    {L"ActiveCaption", kSystem | 2}, {L"InactiveCaption", kSystem | 3}, {L"Menu", kSystem | 4},
    {L"Window", kSystem | 5}, {L"WindowFrame", kSystem | 6}, {L"MenuText", kSystem | 7},
    {L"WindowText", kSystem | 8}, {L"ActiveCaptionText", kSystem | 9}, {L"CaptionText", kSystem | 9},
    {L"ActiveBorder", kSystem | 10}, {L"InactiveBorder", kSystem | 11}, {L"AppWorkspace", kSystem | 12},
    {L"Highlight", kSystem | 13}, {L"HighlightText", kSystem | 14}, {L"BtnFace", kSystem | 15},
    {L"Control", kSystem | 15}, {L"BtnShadow", kSystem | 16}, {L"ControlDark", kSystem | 16},
    {L"GrayText", kSystem | 17}, {L"BtnText", kSystem | 18}, {L"ControlText", kSystem | 18},
    {L"InactiveCaptionText", kSystem | 19}, {L"BtnHighlight", kSystem | 20}, {L"BtnHilight", kSystem | 20},
    {L"ControlLight", kSystem | 20}, {L"ControlLightLight", kSystem | 20}, {L"ControlDarkDark", kSystem | 21},
    {L"InfoText", kSystem | 23}, {L"Info", kSystem | 24}, {L"InfoBk", kSystem | 24}, {L"HotLight", kSystem | 26},
    {L"HotTrack", kSystem | 26}, {L"GradientActiveCaption", kSystem | 27},
    {L"GradientInactiveCaption", kSystem | 28}, {L"MenuHilight", kSystem | 29}, {L"MenuBar", kSystem | 30},
};
static_assert(sizeof kColours / sizeof kColours[0] == 179, "140 HTML colour names and 39 system colour names");

DWORD FromHtmlRgb(DWORD rgb) { return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF); }

int HexDigit(wchar_t c) {
    if (c >= L'0' && c <= L'9') return c - L'0';
    if (c >= L'a' && c <= L'f') return c - L'a' + 10;
    if (c >= L'A' && c <= L'F') return c - L'A' + 10;
    return -1;
}

// "#RRGGBB" exactly; anything else is black.
DWORD ParseHex(const wchar_t* text) {
    if (std::wcslen(text) != 7) return 0;
    DWORD rgb = 0;
    for (int i = 1; i < 7; ++i) {
        const int digit = HexDigit(text[i]);
        if (digit < 0) return 0;
        rgb = rgb << 4 | static_cast<DWORD>(digit);
    }
    return FromHtmlRgb(rgb);
}

// "r,g[,b]": each number read from its leading digits and held at 255.
DWORD ParseTriple(const wchar_t* text) {
    unsigned values[3] = {0, 0, 0};
    for (int i = 0; i < 3 && *text; ++i) {
        while (std::iswspace(*text)) ++text;
        while (*text >= L'0' && *text <= L'9') {
            if (values[i] <= 255) values[i] = values[i] * 10 + static_cast<unsigned>(*text - L'0');
            ++text;
        }
        if (values[i] > 255) values[i] = 255;
        while (*text && *text != L',') ++text;
        if (*text == L',') ++text;
    }
    return RGB(values[0], values[1], values[2]);
}

DWORD ParseName(const wchar_t* text) {
    for (const NamedColour& colour : kColours) {
        if (_wcsicmp(colour.name, text) == 0) {
            return (colour.value & kSystem) ? colour.value : FromHtmlRgb(colour.value);
        }
    }
    return 0;
}

}  // namespace

CNamedColors::CNamedColors(LPCWSTR text) {
    if (text == nullptr) return;
    if (text[0] == L'#') {
        m_colour = ParseHex(text);
    } else if (std::wcschr(text, L',') != nullptr) {
        m_colour = ParseTriple(text);
    } else {
        m_colour = ParseName(text);
    }
}

COLORREF CNamedColors::GetColor() const {
    if (m_colour & kSystemColourBit) return ::GetSysColor(static_cast<int>(m_colour & 0xFF));
    return m_colour;
}
