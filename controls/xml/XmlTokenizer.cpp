#include "xml/XmlTokenizer.h"

#include "xml/XmlDocument.h"
#include "xml/XmlFileAccess.h"

#include <cwchar>

namespace {

// Scanner states before a node's type is known.
enum ScanState {
    kNodeStart = 0x00,
    kAfterLt = 0x01,      // "<"
    kAfterBang = 0x02,    // "<!"
    kAfterDash = 0x04,    // "<!-"
    kAfterBracket = 0x08, // "<!["
    kSpaceRun = 0x10,
    kDoctype = 0x20,      // inside "<!D...": declarations and comments of the internal subset follow
};

// Quote states inside tags.
enum QuoteState {
    kInSingle = 0x40,
    kInDouble = 0x80,
    kValueExpected = 0x100,
};

bool EndsTagName(wchar_t c)
{
    return XmlIsSpace(c) || c == L'/' || c == L'>';
}

wchar_t FoldAscii(wchar_t c)
{
    return c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - 32) : c;
}

// Case-blind comparison of ASCII letters, until the first equal character at or above 128: from
// there on the comparison is exact, since folding is only defined for ASCII.
int CompareNoCase(const wchar_t* a, const wchar_t* b, int n)
{
    bool exact = false;
    for (int i = 0; i < n; ++i) {
        wchar_t ca = a[i], cb = b[i];
        if (ca == cb) {
            if (ca >= 128)
                exact = true;
            continue;
        }
        if (exact)
            return static_cast<int>(ca) - static_cast<int>(cb);
        wchar_t fa = FoldAscii(ca), fb = FoldAscii(cb);
        if (fa != fb)
            return static_cast<int>(fa) - static_cast<int>(fb);
    }
    return 0;
}

const wchar_t* UnterminatedTypeName(int type, bool inDoctype)
{
    if (inDoctype || type == XmlNodeDoctype)
        return L"document_type";
    switch (type) {
    case XmlNodeStartTag: return L"start_tag";
    case XmlNodeEndTag: return L"end_tag";
    case XmlNodeCdata: return L"cdata_section";
    case XmlNodeInstruction: return L"processing_instruction";
    case XmlNodeComment: return L"comment";
    default: return L"tag";
    }
}

} // namespace

XmlTokenizer::XmlTokenizer(const std::wstring& text, uint32_t flags, XmlFileAccess* file)
    : text_(&text), chars_(text.c_str()), flags_(flags), file_(file)
{
}

void XmlTokenizer::Refresh()
{
    chars_ = text_->c_str();
}

bool XmlTokenizer::NeedMoreText()
{
    if (!file_ || !file_->ReadNextBlock())
        return false;
    Refresh();
    return true;
}

bool XmlTokenizer::SkipSpace()
{
    while (XmlIsSpace(chars_[scanPos]))
        ++scanPos;
    tokenStart = scanPos;
    tokenEnd = scanPos - 1;
    return chars_[scanPos] != 0;
}

bool XmlTokenizer::ScanName()
{
    if (!SkipSpace())
        return false;
    int begin = scanPos;
    while (chars_[scanPos] && !XmlIsNameStop(chars_[scanPos]))
        ++scanPos;
    if (scanPos == begin)
        ++scanPos;
    tokenStart = begin;
    tokenEnd = scanPos - 1;
    return true;
}

bool XmlTokenizer::MatchSpan(const wchar_t* token, int tokenLength, const wchar_t* name, int nameLength,
                             bool noCase)
{
    if (tokenLength > nameLength)
        return false;
    int diff = noCase ? CompareNoCase(token, name, tokenLength) : wmemcmp(token, name, tokenLength);
    if (diff != 0)
        return false;
    if (tokenLength == nameLength)
        return true;
    wchar_t next = name[tokenLength];
    return next == L' ' || next == L'=' || next == L'/' || next == L'[' || next == L']';
}

bool XmlTokenizer::MatchName(const wchar_t* name) const
{
    return MatchSpan(chars_ + tokenStart, TokenLength(), name, static_cast<int>(wcslen(name)),
                     (flags_ & XmlDocNoCase) != 0);
}

int XmlTokenizer::SpaceToTag(int p)
{
    scanPos = p;
    while (XmlIsSpace(chars_[scanPos]))
        ++scanPos;
    if (chars_[scanPos] != L'<' && chars_[scanPos] != 0)
        scanPos = p;
    return scanPos;
}

int XmlTokenizer::ScanNode(XmlParsedNode& node)
{
    node.start = scanPos;
    node.flags = 0;
    node.message.clear();

    int state = kNodeStart;
    int quote = 0;
    bool inDoctype = false;
    bool doctypeError = false;
    int type = XmlNodeError;
    // The delimiter that ends the node once its type is known: "<" for text, else ">", "?>",
    // "-->" or "]]>". Its leading characters must lie after the node's opening characters
    // (bodyStart), so that "<!-->" does not count as a whole comment.
    const wchar_t* delim = nullptr;
    int delimLength = 0;
    int bodyStart = 0;
    int nameStart = -1;
    int nameEnd = -1;

    auto seek = [&](const wchar_t* d, int n) {
        delim = d;
        delimLength = n;
        bodyStart = scanPos + 1;
    };
    auto syntaxError = [&](const wchar_t* entry) {
        XmlDocument::LogResult(node.message, entry, nullptr, 0, node.start);
        type = XmlNodeError;
        seek(L">", 1);
        if (inDoctype)
            doctypeError = true;
    };

    for (;;) {
        wchar_t c = chars_[scanPos];
        if (c == 0) {
            if (NeedMoreText())
                continue;
            if (scanPos == node.start) {
                node.length = 0;
                node.type = 0;
                return XmlNodeEndOfText;
            }
            if (nameStart >= 0) {
                tokenStart = nameStart;
                tokenEnd = scanPos - 1;
            }
            if (type == XmlNodeText || type == XmlNodeWhitespace)
                break;
            XmlDocument::LogResult(node.message, L"unterminated_tag_syntax", UnterminatedTypeName(type, inDoctype),
                                   XmlLogType, node.start);
            type = XmlNodeError;
            break;
        }

        if (nameStart >= 0) {
            if (!EndsTagName(c)) {
                ++scanPos;
                continue;
            }
            tokenStart = nameStart;
            tokenEnd = nameEnd = scanPos - 1;
            nameStart = -1;
        }

        if (delimLength > 0) {
            if (delim[0] == L'<') {
                while (chars_[scanPos] != L'<' && chars_[scanPos] != 0)
                    ++scanPos;
                if (chars_[scanPos] == L'<')
                    break;
                continue;
            }
            if (c == L'>' && !(quote & (kInSingle | kInDouble))) {
                ++scanPos;
                bool ended;
                if (delimLength == 1) {
                    ended = true;
                    int slash = scanPos - 2;
                    if (type == XmlNodeStartTag && chars_[slash] == L'/') {
                        wchar_t before = chars_[slash - 1];
                        if (slash - 1 == nameEnd || XmlIsSpace(before) || before == L'"' || before == L'\'')
                            node.flags |= XmlNodeSelfClosed;
                    }
                } else {
                    int lead = scanPos - delimLength;
                    ended = lead >= bodyStart && wmemcmp(chars_ + lead, delim, delimLength - 1) == 0;
                }
                if (ended) {
                    if (!inDoctype)
                        break;
                    state = kDoctype;
                    delimLength = 0;
                    quote = 0;
                }
                continue;
            }
            if (c == L'<' && type == XmlNodeError && !inDoctype)
                break;
            if (type == XmlNodeStartTag || type == XmlNodeError) {
                if (quote & (kInSingle | kInDouble)) {
                    if ((c == L'"' && (quote & kInDouble)) || (c == L'\'' && (quote & kInSingle)))
                        quote = 0;
                } else if (c == L'=') {
                    if (chars_[scanPos - 1] != L'=')
                        quote |= kValueExpected;
                } else if (quote & kValueExpected) {
                    if (c == L'"')
                        quote = kInDouble;
                    else if (c == L'\'')
                        quote = kInSingle;
                    else if (!XmlIsSpace(c))
                        quote = 0;
                }
            } else if (inDoctype && type == XmlNodeDoctype) {
                if (c == L'"' && !(quote & kInSingle))
                    quote ^= kInDouble;
                else if (c == L'\'' && !(quote & kInDouble))
                    quote ^= kInSingle;
            }
            ++scanPos;
            continue;
        }

        switch (state) {
        case kNodeStart:
            if (c == L'<') {
                state = kAfterLt;
            } else if (XmlIsSpace(c)) {
                state = kSpaceRun;
                type = XmlNodeWhitespace;
            } else {
                type = XmlNodeText;
                seek(L"<", 1);
            }
            break;
        case kSpaceRun:
            if (c == L'<')
                goto complete;
            if (!XmlIsSpace(c)) {
                type = XmlNodeText;
                seek(L"<", 1);
            }
            break;
        case kAfterLt:
            if (XmlStartsName(c)) {
                type = XmlNodeStartTag;
                seek(L">", 1);
                nameStart = scanPos;
            } else if (c == L'/') {
                type = XmlNodeEndTag;
                seek(L">", 1);
                nameStart = scanPos + 1;
            } else if (c == L'!') {
                state = kAfterBang;
            } else if (c == L'?') {
                type = XmlNodeInstruction;
                seek(L"?>", 2);
                nameStart = scanPos + 1;
            } else {
                syntaxError(L"first_tag_syntax");
            }
            break;
        case kAfterBang:
            if (c == L'-') {
                state = kAfterDash;
            } else if (inDoctype) {
                if (c == L'E' || c == L'A' || c == L'N') {
                    type = XmlNodeDoctype;
                    seek(L">", 1);
                } else {
                    syntaxError(L"doctype_tag_syntax");
                }
            } else if (c == L'[') {
                state = kAfterBracket;
            } else if (c == L'D') {
                state = kDoctype;
                inDoctype = true;
                type = XmlNodeDoctype;
            } else {
                syntaxError(L"exclamation_tag_syntax");
            }
            break;
        case kAfterDash:
            if (c == L'-') {
                type = XmlNodeComment;
                seek(L"-->", 3);
            } else {
                syntaxError(L"comment_tag_syntax");
            }
            break;
        case kAfterBracket:
            if (c == L'C') {
                type = XmlNodeCdata;
                seek(L"]]>", 3);
            } else {
                syntaxError(L"cdata_section_syntax");
            }
            break;
        case kDoctype:
            if (c == L'<') {
                state = kAfterLt;
            } else if (c == L'>') {
                ++scanPos;
                // An error inside the internal subset leaves the whole document type an error
                // node, so that its entries reach the result text.
                type = doctypeError ? XmlNodeError : XmlNodeDoctype;
                goto complete;
            }
            break;
        }
        ++scanPos;
    }
complete:
    node.length = scanPos - node.start;
    node.type = type;
    return type;
}

bool XmlTokenizer::LocateAttribute(const wchar_t* name, int limit, bool* hasValue)
{
    bool found = false;
    bool afterEquals = false;
    bool tagName = true;
    int foundStart = 0, foundEnd = -1;

    auto foundWithoutValue = [&]() {
        tokenStart = foundStart;
        tokenEnd = foundEnd;
        quoted_ = false;
        *hasValue = false;
        return true;
    };

    for (;;) {
        int before = scanPos;
        while (scanPos < limit && XmlIsSpace(chars_[scanPos]))
            ++scanPos;
        if (scanPos >= limit || chars_[scanPos] == 0) {
            if (found && afterEquals) {
                // "x=" right before the end of the tag: an empty unquoted value.
                tokenStart = scanPos;
                tokenEnd = scanPos - 1;
                quoted_ = false;
                *hasValue = true;
                return true;
            }
            scanPos = before;
            return found ? foundWithoutValue() : false;
        }

        wchar_t c = chars_[scanPos];
        if (c == L'"' || c == L'\'') {
            quoted_ = true;
            tokenStart = ++scanPos;
            while (scanPos < limit && chars_[scanPos] != c)
                ++scanPos;
            tokenEnd = scanPos - 1;
            if (scanPos < limit)
                ++scanPos;
        } else {
            quoted_ = false;
            tokenStart = scanPos++;
            if (afterEquals) {
                while (scanPos < limit && !XmlIsSpace(chars_[scanPos]) && chars_[scanPos] != L'>')
                    ++scanPos;
            } else if (c != L'=') {
                while (scanPos < limit) {
                    wchar_t d = chars_[scanPos];
                    if (XmlIsSpace(d) || d == L'=' || d == L'>' || d == L'/' || d == L'?')
                        break;
                    ++scanPos;
                }
            }
            tokenEnd = scanPos - 1;
        }

        if (afterEquals || quoted_) {
            if (found) {
                *hasValue = true;
                return true;
            }
            afterEquals = false;
            continue;
        }
        if (c == L'/' || c == L'>' || c == L'?') {
            scanPos = before;
            return found ? foundWithoutValue() : false;
        }
        if (c == L'=') {
            afterEquals = true;
            continue;
        }
        if (found) {
            scanPos = before;
            return foundWithoutValue();
        }
        if (tagName) {
            tagName = false;
            continue;
        }
        if (MatchName(name)) {
            found = true;
            foundStart = tokenStart;
            foundEnd = tokenEnd;
        }
    }
}
