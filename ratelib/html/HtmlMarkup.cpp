#include "html/HtmlMarkup.h"

#include <cwctype>

namespace sorvane::html {
namespace {

struct Entity {
    const wchar_t* name;
    wchar_t character;
};

// "&nbsp;" stays a no-break space, a blank that belongs to its word: the layout neither breaks nor
// collapses at it.
constexpr Entity kEntities[] = {
    {L"amp", L'&'},       {L"bull", L'\x2022'},  {L"cent", L'\xA2'},   {L"copy", L'\xA9'},   {L"deg", L'\xB0'},
    {L"euro", L'\x20AC'}, {L"frac12", L'\xBD'},  {L"frac14", L'\xBC'}, {L"gt", L'>'},        {L"iquest", L'\xBF'},
    {L"lt", L'<'},        {L"micro", L'\xB5'},   {L"middot", L'\xB7'}, {L"nbsp", L'\xA0'},   {L"para", L'\xB6'},
    {L"plusmn", L'\xB1'}, {L"pound", L'\xA3'},   {L"quot", L'"'},      {L"reg", L'\xAE'},    {L"sect", L'\xA7'},
    {L"sup1", L'\xB9'},   {L"sup2", L'\xB2'},    {L"times", L'\xD7'},  {L"trade", L'\x2122'},
};

constexpr std::size_t kMaxEntityLength = 8;

struct KnownTag {
    const wchar_t* name;
    TagName tag;
};

constexpr KnownTag kTags[] = {
    {L"B", TagName::B},         {L"I", TagName::I},       {L"U", TagName::U},     {L"STRIKE", TagName::Strike},
    {L"CENTER", TagName::Center}, {L"BIG", TagName::Big}, {L"SMALL", TagName::Small}, {L"SUB", TagName::Sub},
    {L"SUP", TagName::Sup},     {L"FONT", TagName::Font}, {L"CODE", TagName::Code}, {L"A", TagName::A},
    {L"HR", TagName::Hr},       {L"BR", TagName::Br},
};

std::wstring Upper(std::wstring text) {
    for (wchar_t& c : text) c = static_cast<wchar_t>(std::towupper(c));
    return text;
}

std::wstring Trim(const std::wstring& text) {
    std::size_t first = 0, last = text.size();
    while (first < last && std::iswspace(text[first])) ++first;
    while (last > first && std::iswspace(text[last - 1])) --last;
    return text.substr(first, last - first);
}

std::wstring Unquoted(std::wstring text) {
    text = Trim(text);
    if (!text.empty() && text.front() == L'"') text.erase(0, 1);
    if (!text.empty() && text.back() == L'"') text.pop_back();
    return text;
}

// NAME="value" or NAME=value pairs of a tag's body.
void ReadAttributes(const std::wstring& body, Token& token) {
    std::size_t i = 0;
    while (i < body.size()) {
        while (i < body.size() && std::iswspace(body[i])) ++i;
        std::size_t nameEnd = i;
        while (nameEnd < body.size() && body[nameEnd] != L'=' && !std::iswspace(body[nameEnd])) ++nameEnd;
        const std::wstring name = Upper(body.substr(i, nameEnd - i));
        i = nameEnd;
        if (i >= body.size() || body[i] != L'=') {
            ++i;
            continue;
        }
        ++i;
        std::wstring value;
        if (i < body.size() && body[i] == L'"') {
            const std::size_t close = body.find(L'"', i + 1);
            const std::size_t end = close == std::wstring::npos ? body.size() : close;
            value = body.substr(i + 1, end - i - 1);
            i = end + 1;
        } else {
            const std::size_t start = i;
            while (i < body.size() && !std::iswspace(body[i])) ++i;
            value = body.substr(start, i - start);
        }
        if (name == L"COLOR") token.color = value;
        if (name == L"BGCOLOR") token.bgcolor = value;
        if (name == L"FACE") token.face = value.substr(0, kMaxFaceLength);
        if (name == L"SIZE") token.size = value;
    }
}

// The tag whose text lies between '<' and '>'; false for a tag this markup does not know.
bool ReadTag(const std::wstring& inside, Token& token) {
    std::size_t i = 0;
    token.kind = Token::Kind::Tag;
    token.closing = !inside.empty() && inside[0] == L'/';
    if (token.closing) ++i;
    std::size_t nameEnd = i;
    while (nameEnd < inside.size() && std::iswalpha(inside[nameEnd])) ++nameEnd;
    const std::wstring name = Upper(inside.substr(i, nameEnd - i));
    const std::wstring body = inside.substr(nameEnd);
    for (const KnownTag& known : kTags) {
        if (name != known.name) continue;
        token.tag = known.tag;
        if (token.closing) return true;
        if (known.tag == TagName::A) {
            // Everything after HREF= up to the tag's end is the target, quotes and blanks included.
            const std::wstring upper = Upper(body);
            const std::size_t href = upper.find(L"HREF=");
            if (href != std::wstring::npos) token.href = Unquoted(body.substr(href + 5));
        } else {
            ReadAttributes(body, token);
        }
        return true;
    }
    return false;
}

void AppendText(std::vector<Token>& tokens, wchar_t c) {
    if (tokens.empty() || tokens.back().kind != Token::Kind::Text) tokens.push_back(Token{});
    tokens.back().text += c;
}

}  // namespace

int ParseBoundedNumber(const std::wstring& text, int limit) {
    const std::wstring trimmed = Trim(text);
    std::size_t i = 0;
    bool negative = false;
    if (i < trimmed.size() && (trimmed[i] == L'+' || trimmed[i] == L'-')) negative = trimmed[i++] == L'-';
    long value = 0;
    for (; i < trimmed.size() && std::iswdigit(trimmed[i]); ++i) {
        value = value * 10 + (trimmed[i] - L'0');
        if (value > limit) value = limit;
    }
    return static_cast<int>(negative ? -value : value);
}

std::vector<Token> ParseMarkup(const std::wstring& markup) {
    std::vector<Token> tokens;
    for (std::size_t i = 0; i < markup.size(); ++i) {
        const wchar_t c = markup[i];
        if (c == L'<') {
            const std::size_t close = markup.find(L'>', i + 1);
            if (close != std::wstring::npos && close - i <= kMaxTagLength) {
                Token tag;
                if (ReadTag(markup.substr(i + 1, close - i - 1), tag)) tokens.push_back(tag);
                i = close;
                continue;
            }
        } else if (c == L'&') {
            const std::size_t semicolon = markup.find(L';', i + 1);
            if (semicolon != std::wstring::npos && semicolon - i - 1 <= kMaxEntityLength) {
                const std::wstring name = markup.substr(i + 1, semicolon - i - 1);
                bool known = false;
                for (const Entity& entity : kEntities) {
                    if (name == entity.name) {
                        AppendText(tokens, entity.character);
                        known = true;
                        break;
                    }
                }
                if (known) {
                    i = semicolon;
                    continue;
                }
            }
        } else if (c == L'\r') {
            continue;
        } else if (c == L'\n') {
            tokens.push_back(Token{Token::Kind::LineBreak});
            continue;
        }
        AppendText(tokens, c);
    }
    return tokens;
}

}  // namespace sorvane::html
