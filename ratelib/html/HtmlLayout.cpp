#include "html/HtmlLayout.h"

#include <algorithm>
#include <cstdlib>

#include "html/NamedColors.h"

namespace sorvane::html {
namespace {

constexpr int kSizeStepPixels = 2;  // one BIG, SMALL or SIZE unit of character height
constexpr int kMinFontHeight = 4;
constexpr int kMaxSizeSteps = 100;
constexpr int kDefaultRule = 2;
constexpr int kMaxRule = 200;

// An opening tag counts up; a closing one counts down, but a closing tag without its opening one
// changes nothing.
void Nest(int& count, bool open) {
    if (open) {
        ++count;
    } else if (count > 0) {
        --count;
    }
}

// Lays the markup out into lines no wider than `width`, measuring with the fonts of `fonts`.
class Layout {
public:
    Layout(HDC dc, FontCache& fonts, int width, Style start) : dc_(dc), fonts_(fonts), width_(width), style_(start) {
        lines_.emplace_back();
    }

    std::vector<Line> Run(const std::vector<Token>& tokens, std::vector<CString>& targets) {
        for (const Token& token : tokens) {
            switch (token.kind) {
                case Token::Kind::Text: AddText(token.text); break;
                case Token::Kind::LineBreak: EndLine(); break;
                case Token::Kind::Tag: Apply(token, targets); break;
            }
        }
        EndLine();
        if (lines_.back().pieces.empty() && lines_.back().rule == 0) lines_.pop_back();
        return lines_;
    }

private:
    void Apply(const Token& token, std::vector<CString>& targets) {
        const bool open = !token.closing;
        switch (token.tag) {
            case TagName::B: Nest(style_.bold, open); break;
            case TagName::I: Nest(style_.italic, open); break;
            case TagName::U: Nest(style_.underline, open); break;
            case TagName::Strike: Nest(style_.strike, open); break;
            case TagName::Center:
                EndLineIfUsed();
                Nest(style_.center, open);
                break;
            case TagName::Sub: Nest(style_.sub, open); break;
            case TagName::Sup: Nest(style_.sup, open); break;
            case TagName::Code: Nest(style_.code, open); break;
            case TagName::Big: StepSize(open ? 1 : -1); break;
            case TagName::Small: StepSize(open ? -1 : 1); break;
            case TagName::Font:
                if (open) {
                    fontStack_.push_back(style_);
                    if (!token.color.empty()) style_.text = CNamedColors(token.color.c_str()).GetColor();
                    if (!token.bgcolor.empty()) {
                        style_.back = CNamedColors(token.bgcolor.c_str()).GetColor();
                        style_.opaque = true;
                    }
                    if (!token.face.empty()) style_.face = token.face;
                    if (!token.size.empty()) StepSize(ParseBoundedNumber(token.size, kMaxSizeSteps));
                } else if (!fontStack_.empty()) {
                    const Style saved = fontStack_.back();
                    fontStack_.pop_back();
                    style_.text = saved.text;
                    style_.back = saved.back;
                    style_.opaque = saved.opaque;
                    style_.face = saved.face;
                    style_.sizeSteps = saved.sizeSteps;
                }
                break;
            case TagName::A:
                if (open) {
                    if (links_++ == 0) {
                        style_.link = static_cast<int>(targets.size());
                        targets.push_back(token.href.c_str());
                    }
                } else if (links_ > 0 && --links_ == 0) {
                    style_.link = -1;
                }
                break;
            case TagName::Hr:
                if (!open) break;
                if (!token.size.empty()) rule_ = std::clamp(ParseBoundedNumber(token.size, kMaxRule), 1, kMaxRule);
                EndLineIfUsed();
                lines_.back().rule = rule_;
                lines_.back().ruleColour = style_.text;
                lines_.emplace_back();
                break;
            case TagName::Br:
                if (open) EndLine();
                break;
        }
    }

    void StepSize(int steps) { style_.sizeSteps = std::clamp(style_.sizeSteps + steps, -kMaxSizeSteps, kMaxSizeSteps); }

    void AddText(const std::wstring& text) {
        std::wstring word;
        for (wchar_t c : text) {
            if (c == L' ' || c == L'\t') {
                AddWord(word);
                word.clear();
                if (!spaceBefore_) spaceStyle_ = style_;  // a blank keeps the look it was written in
                spaceBefore_ = true;
            } else {
                word += c;
            }
        }
        AddWord(word);
    }

    // The width of `text` in `style`, and the advance of each of its characters in `advances` (left
    // empty when the context cannot tell them).
    int Measure(const std::wstring& text, const Style& style, TEXTMETRICW* metrics, std::vector<INT>* advances) {
        fonts_.Select(style);
        ::GetTextMetricsW(dc_, metrics);
        const int count = static_cast<int>(text.size());
        std::vector<INT> ends(text.size(), 0);
        SIZE size = {0, 0};
        int fit = 0;
        const bool each = count > 0 && ::GetTextExtentExPointW(dc_, text.c_str(), count, 0, &fit, ends.data(), &size);
        if (!each) ::GetTextExtentPoint32W(dc_, text.c_str(), count, &size);
        if (advances != nullptr) {
            advances->clear();
            for (std::size_t i = 0; each && i < ends.size(); ++i) {
                advances->push_back(ends[i] - (i > 0 ? ends[i - 1] : 0));
            }
        }
        return each ? ends.back() : size.cx;
    }

    void AddWord(std::wstring word) {
        if (word.empty()) return;
        // A no-break space is a character of the word, drawn as a plain space.
        std::replace(word.begin(), word.end(), L'\xA0', L' ');
        Line* line = &lines_.back();
        TEXTMETRICW spaceMetrics, metrics;
        std::vector<INT> spaceAdvances, advances;
        int space = 0;
        if (spaceBefore_ && !line->pieces.empty()) space = Measure(L" ", spaceStyle_, &spaceMetrics, &spaceAdvances);
        const int width = Measure(word, style_, &metrics, &advances);
        if (!line->pieces.empty() && line->width + space + width > width_) {
            EndLine();
            line = &lines_.back();
            space = 0;
        }
        if (space > 0) Append(L" ", spaceAdvances, spaceStyle_, space, spaceMetrics);
        Append(word, advances, style_, width, metrics);
        spaceBefore_ = false;
    }

    void Append(const std::wstring& text, const std::vector<INT>& advances, const Style& style, int width,
                const TEXTMETRICW& metrics) {
        Line& line = lines_.back();
        if (line.pieces.empty()) line.centred = style.center > 0;
        if (!line.pieces.empty() && line.pieces.back().style.SameLook(style)) {
            Piece& last = line.pieces.back();
            const bool each = last.advances.size() == last.text.size() && advances.size() == text.size();
            last.text += text;
            last.advances.insert(last.advances.end(), advances.begin(), advances.end());
            if (!each) last.advances.clear();
            last.width += width;
        } else {
            Piece piece;
            piece.text = text;
            piece.advances = advances;
            piece.style = style;
            piece.x = line.width;
            piece.width = width;
            piece.ascent = metrics.tmAscent;
            piece.height = metrics.tmHeight;
            line.pieces.push_back(piece);
        }
        line.width += width;
        // Raised and lowered text gets room on its line instead of being cut off.
        const int shift = style.Shift() * metrics.tmHeight / 2;
        line.ascent = std::max<int>(line.ascent, metrics.tmAscent - std::min(shift, 0));
        line.descent = std::max<int>(line.descent, metrics.tmDescent + std::max(shift, 0));
    }

    void EndLineIfUsed() {
        if (!lines_.back().pieces.empty()) EndLine();
    }

    void EndLine() {
        Line& line = lines_.back();
        if (line.pieces.empty() && line.rule == 0) {
            TEXTMETRICW metrics;
            Measure(L" ", style_, &metrics, nullptr);
            line.ascent = metrics.tmAscent;
            line.descent = metrics.tmDescent;
        }
        lines_.emplace_back();
        spaceBefore_ = false;
    }

    HDC dc_;
    FontCache& fonts_;
    int width_;
    Style style_;
    std::vector<Style> fontStack_;
    std::vector<Line> lines_;
    int links_ = 0;
    int rule_ = kDefaultRule;
    bool spaceBefore_ = false;
    Style spaceStyle_;
};

}  // namespace

FontCache::FontCache(HDC dc, const LOGFONTW& base) : dc_(dc), base_(base) {
    if (base_.lfHeight == 0) base_.lfHeight = -13;
}

FontCache::~FontCache() {
    for (auto& entry : fonts_) ::DeleteObject(entry.second);
}

HFONT FontCache::Select(const Style& style) {
    LOGFONTW font = base_;
    const int height = std::abs(base_.lfHeight) + kSizeStepPixels * style.sizeSteps;
    font.lfHeight = -std::max(height, kMinFontHeight);
    if (style.bold > 0) font.lfWeight = FW_BOLD;
    if (style.italic > 0) font.lfItalic = TRUE;
    if (style.underline > 0) font.lfUnderline = TRUE;
    if (style.strike > 0) font.lfStrikeOut = TRUE;
    const std::wstring face = style.code > 0 ? L"Courier New" : style.face;
    if (!face.empty()) lstrcpynW(font.lfFaceName, face.c_str(), LF_FACESIZE);
    const std::wstring key(reinterpret_cast<const wchar_t*>(&font), sizeof font / sizeof(wchar_t));
    auto found = fonts_.find(key);
    if (found == fonts_.end()) found = fonts_.emplace(key, ::CreateFontIndirectW(&font)).first;
    ::SelectObject(dc_, found->second);
    return found->second;
}

std::vector<Line> LayOutMarkup(HDC dc, FontCache& fonts, int width, const Style& start,
                               const std::vector<Token>& tokens, std::vector<CString>& targets) {
    return Layout(dc, fonts, width, start).Run(tokens, targets);
}

}  // namespace sorvane::html
