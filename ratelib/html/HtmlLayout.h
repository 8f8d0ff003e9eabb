// Laying the HTML text static's markup out into lines: plain types and functions over a device
// context, apart from the window, so that the layout can be read and tested on its own.
#pragma once

#include <windows.h>

#include <framework/String.h>

#include <map>
#include <string>
#include <vector>

#include "html/HtmlMarkup.h"

namespace sorvane::html {

// What the text is drawn with at a point of the markup.
struct Style {
    int bold = 0, italic = 0, underline = 0, strike = 0, center = 0, sub = 0, sup = 0, code = 0;
    int sizeSteps = 0;
    COLORREF text = 0;
    COLORREF back = 0;
    bool opaque = true;
    std::wstring face;
    int link = -1;

    bool SameLook(const Style& o) const {
        return (bold > 0) == (o.bold > 0) && (italic > 0) == (o.italic > 0) && (underline > 0) == (o.underline > 0) &&
               (strike > 0) == (o.strike > 0) && Shift() == o.Shift() && (code > 0) == (o.code > 0) &&
               sizeSteps == o.sizeSteps && text == o.text && back == o.back && opaque == o.opaque && face == o.face &&
               link == o.link;
    }
    int Shift() const { return sub > sup ? 1 : sup > sub ? -1 : 0; }
};

// A stretch of one line drawn in one look. It is drawn with the advances it was measured with, one a
// character: left to itself, text output may place glyphs a few pixels apart from what the text
// extent said, and the runs after it would stand off by the difference.
struct Piece {
    std::wstring text;
    std::vector<INT> advances;  // one a character of `text`, adding up to `width`; empty when unknown
    Style style;
    int x = 0;
    int width = 0;
    int ascent = 0;
    int height = 0;
};

struct Line {
    std::vector<Piece> pieces;
    int width = 0;
    int ascent = 0;
    int descent = 0;
    bool centred = false;
    int rule = 0;  // a rule of this thickness instead of text
    COLORREF ruleColour = 0;  // the text colour where the rule stands
};

// Fonts of one rendering, one a look, selected into the rendering's context on demand.
class FontCache {
public:
    FontCache(HDC dc, const LOGFONTW& base);
    ~FontCache();
    FontCache(const FontCache&) = delete;
    FontCache& operator=(const FontCache&) = delete;

    HFONT Select(const Style& style);

private:
    HDC dc_;
    LOGFONTW base_;
    std::map<std::wstring, HFONT> fonts_;
};

// Lays the tokens out into lines no wider than `width`, starting in the look `start`; the target of
// each link goes to `targets`, and a piece's `style.link` is its index there.
std::vector<Line> LayOutMarkup(HDC dc, FontCache& fonts, int width, const Style& start,
                               const std::vector<Token>& tokens, std::vector<CString>& targets);

}  // namespace sorvane::html
