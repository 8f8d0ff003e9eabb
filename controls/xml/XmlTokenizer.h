// The scanner under XmlDocument: reads one node of markup at a time and the names, attributes
// and values inside tags. Positions and lengths count UTF-16 units of the document text.
#pragma once

#include <cstdint>
#include <string>

class XmlFileAccess;

enum XmlNodeType {
    XmlNodeEndOfText = -2,
    XmlNodeError = -1,
    XmlNodeEndTag = 0,
    XmlNodeStartTag = 1,
    XmlNodeText = 2,
    XmlNodeWhitespace = 4,
    XmlNodeCdata = 8,
    XmlNodeInstruction = 16,
    XmlNodeComment = 32,
    XmlNodeDoctype = 64,
};

// Node flag: a start tag closed by "/>".
constexpr int XmlNodeSelfClosed = 0x10000;

struct XmlParsedNode {
    int type = 0;
    int start = 0;
    int length = 0;
    int flags = 0;
    std::wstring message;  // result-log entries of the scanner for this node
};

class XmlTokenizer {
public:
    // flags are the document flags (XmlDocNoCase matters here). In streaming read mode the
    // file access supplies more text when the scanner reaches the end of the text.
    XmlTokenizer(const std::wstring& text, uint32_t flags, XmlFileAccess* file = nullptr);

    // The token: [tokenStart, tokenEnd], inclusive.
    int tokenStart = 0;
    int tokenEnd = -1;
    int scanPos = 0;

    int TokenLength() const { return tokenEnd - tokenStart + 1; }
    std::wstring Token() const { return std::wstring(chars_ + tokenStart, TokenLength()); }
    bool TokenQuoted() const { return quoted_; }
    const wchar_t* Chars() const { return chars_; }

    // Skips whitespace; the token becomes empty at the scan position. False at the end.
    bool SkipSpace();
    // Reads a name up to whitespace or one of < > = \ / ? ! " ' ; (at least one character).
    bool ScanName();
    // True when the token names `name`: equal over the token's length, with `name` ending there or
    // going on with one of space = / [ ] (so "b" names "b", "b[2]" and "b/c", not "bo").
    bool MatchName(const wchar_t* name) const;
    // Past whitespace that runs up to a '<' or the end of the text; otherwise stays at p.
    int SpaceToTag(int p);

    // Scans one node from the scan position; returns its XmlNodeType.
    int ScanNode(XmlParsedNode& node);

    // Looks for attribute `name` in the tag whose name starts at the scan position, not reading
    // at or past `limit` (the tag's closing '>'). Found with a value: the token is the value
    // (inside its quotes when quoted). Found without a value: the token is the attribute's name
    // and *hasValue is false. Not found: the scan position is where a new attribute belongs.
    bool LocateAttribute(const wchar_t* name, int limit, bool* hasValue);

    // Name comparison under the document's case rule.
    static bool MatchSpan(const wchar_t* token, int tokenLength, const wchar_t* name, int nameLength,
                          bool noCase);

private:
    void Refresh();
    bool NeedMoreText();

    const std::wstring* text_;
    const wchar_t* chars_;
    uint32_t flags_;
    bool quoted_ = false;
    XmlFileAccess* file_;
};

inline bool XmlIsSpace(wchar_t c)
{
    return c == L' ' || c == L'\t' || c == L'\n' || c == L'\r';
}

// Characters that end a name read by XmlTokenizer::ScanName.
inline bool XmlIsNameStop(wchar_t c)
{
    switch (c) {
    case L' ': case L'\t': case L'\n': case L'\r': case L'<': case L'>': case L'=': case L'\\':
    case L'/': case L'?': case L'!': case L'"': case L'\'': case L';':
        return true;
    default:
        return false;
    }
}

// Characters that open a start tag after '<'.
inline bool XmlStartsName(wchar_t c)
{
    return (c >= L'A' && c <= L'Z') || c > 0x60 || c == L'_' || c == L':';
}
