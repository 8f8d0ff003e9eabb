// XmlDocument: positions, queries and editing. An edit splices the one text in place and then
// corrects the element records by shifting offsets, so that no re-parse is needed.
#include "xml/XmlDocument.h"

#include "xml/XmlFileAccess.h"
#include "xml/XmlPathScanner.h"
#include "xml/XmlTokenizer.h"

#include <cwchar>

namespace {

constexpr size_t kMaxTextLength = 0x3FFFFFFF;
// Escape flag: quotes too, for attribute values.
constexpr int kEscapeQuotes = 0x100;

bool IsReferenceStart(wchar_t c)
{
    return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z') || c == L'#' || c == L'_' || c == L':' || c >= 128;
}

bool IsReferenceChar(wchar_t c)
{
    return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z') || (c >= L'0' && c <= L'9') || c == L'_' ||
           c == L':' || c == L'-' || c == L'.' || c >= 128;
}

// Length of the entity or character reference at p ("&name;", "&#169;"), 0 when there is none.
size_t ReferenceLength(const wchar_t* p)
{
    if (!IsReferenceStart(p[1]))
        return 0;
    size_t i = 2;
    while (IsReferenceChar(p[i]))
        ++i;
    return p[i] == L';' ? i + 1 : 0;
}

std::wstring Escape(const wchar_t* value, int flags)
{
    size_t n = wcslen(value);
    std::wstring out;
    out.reserve(n + n / 10 + 7);
    for (size_t i = 0; i < n; ++i) {
        wchar_t c = value[i];
        switch (c) {
        case L'<':
            out += L"&lt;";
            break;
        case L'&': {
            size_t reference = (flags & XmlAddKeepRefs) ? ReferenceLength(value + i) : 0;
            if (reference) {
                out.append(value + i, reference);
                i += reference - 1;
            } else {
                out += L"&amp;";
            }
            break;
        }
        case L'>':
            out += L"&gt;";
            break;
        case L'\'':
            out += (flags & kEscapeQuotes) ? L"&apos;" : L"'";
            break;
        case L'"':
            out += (flags & kEscapeQuotes) ? L"&quot;" : L"\"";
            break;
        default:
            out += c;
        }
    }
    return out;
}

// A "]]>" inside the value would end the section: it is split across two sections.
std::wstring WrapCdata(const wchar_t* value)
{
    std::wstring out = L"<![CDATA[";
    for (const wchar_t* p = value; *p; ++p) {
        if (p[0] == L']' && p[1] == L']' && p[2] == L'>') {
            out += L"]]]]><![CDATA[>";
            p += 2;
        } else {
            out += *p;
        }
    }
    out += L"]]>";
    return out;
}

void AppendCodePoint(std::wstring& out, unsigned long cp)
{
    if (cp > 0xFFFF) {
        out += static_cast<wchar_t>(0xD800 | (((cp - 0x10000) >> 10) & 0x3FF));
        out += static_cast<wchar_t>(0xDC00 | (cp & 0x3FF));
    } else {
        out += static_cast<wchar_t>(cp);
    }
}

// The five predefined entities and character references; anything else stays as written.
std::wstring DecodeReferences(const std::wstring& raw)
{
    static const struct {
        const wchar_t* name;
        wchar_t c;
    } kEntities[] = {{L"lt;", L'<'}, {L"gt;", L'>'}, {L"amp;", L'&'}, {L"apos;", L'\''}, {L"quot;", L'"'}};
    std::wstring out;
    out.reserve(raw.size());
    for (size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] != L'&') {
            out += raw[i];
            continue;
        }
        size_t length = ReferenceLength(raw.c_str() + i);
        bool decoded = false;
        if (length > 3 && raw[i + 1] == L'#') {
            bool hex = raw[i + 2] == L'x' || raw[i + 2] == L'X';
            const wchar_t* digits = raw.c_str() + i + (hex ? 3 : 2);
            wchar_t* end = nullptr;
            unsigned long cp = wcstoul(digits, &end, hex ? 16 : 10);
            if (end == raw.c_str() + i + length - 1 && end != digits && cp > 0 && cp <= 0x10FFFF &&
                (cp < 0xD800 || cp > 0xDFFF)) {
                AppendCodePoint(out, cp);
                decoded = true;
            }
        } else if (length > 0) {
            for (const auto& e : kEntities) {
                if (raw.compare(i + 1, length - 1, e.name) == 0) {
                    out += e.c;
                    decoded = true;
                    break;
                }
            }
        }
        if (decoded)
            i += length - 1;
        else
            out += L'&';
    }
    return out;
}

// A name this document writes must read back as the same name.
bool IsWritableName(const wchar_t* name)
{
    if (!name || !XmlStartsName(name[0]))
        return false;
    for (const wchar_t* p = name; *p; ++p) {
        if (XmlIsNameStop(*p))
            return false;
    }
    return true;
}

// The scanner's rule for a start tag ending in "/>": it closes itself when the '/' follows
// whitespace, a quote or the name directly.
bool ClosesItself(const std::wstring& tag)
{
    size_t slash = tag.size() - 2;
    if (tag.size() < 4 || tag[slash] != L'/')
        return false;
    wchar_t before = tag[slash - 1];
    if (XmlIsSpace(before) || before == L'"' || before == L'\'')
        return true;
    size_t nameEnd = 1;
    while (nameEnd < slash && !XmlIsSpace(tag[nameEnd]) && tag[nameEnd] != L'/')
        ++nameEnd;
    return nameEnd == slash;
}

} // namespace

void XmlDocument::Rewind()
{
    Place(0, 0, 0);
}

void XmlDocument::Place(int parent, int current, int child)
{
    parentPos_ = parent;
    currentPos_ = current;
    childPos_ = child;
}

bool XmlDocument::SeekElement(const wchar_t* path)
{
    if (docFlags_ & XmlDocStreamWrite)
        return false;
    int found = FindChild(parentPos_, currentPos_, path);
    if (!found)
        return false;
    Place(elems_[found].parent, found, 0);
    return true;
}

int XmlDocument::FindChild(int parent, int current, const wchar_t* path) const
{
    XmlPathScanner scanner(path);
    XmlPathScanner::Kind kind = scanner.PathKind();
    if (kind == XmlPathScanner::Invalid || kind == XmlPathScanner::Absolute || kind == XmlPathScanner::Anywhere)
        return 0;
    int candidate = current ? elems_[current].nextSibling : elems_[parent].firstChild;
    if (kind == XmlPathScanner::Empty)
        return candidate;
    // Only the first step's name selects; the rest of the path is checked for syntax only.
    XmlTokenizer tokenizer(text_, docFlags_);
    for (; candidate; candidate = elems_[candidate].nextSibling) {
        tokenizer.scanPos = elems_[candidate].start + 1;
        if (tokenizer.ScanName() && tokenizer.MatchName(scanner.FirstStep()))
            return candidate;
    }
    return 0;
}

bool XmlDocument::IntoElement()
{
    if (!currentPos_)
        return false;
    Place(currentPos_, childPos_, 0);
    return true;
}

bool XmlDocument::OutOfElement()
{
    // While writing, the records above the current element may point into text already written.
    if (!parentPos_ || (docFlags_ & XmlDocStreamWrite))
        return false;
    Place(elems_[parentPos_].parent, parentPos_, currentPos_);
    return true;
}

std::wstring XmlDocument::TagName(int record) const
{
    if (record == 0)
        return std::wstring();
    XmlTokenizer tokenizer(text_, docFlags_);
    tokenizer.scanPos = elems_[record].start + 1;
    return tokenizer.ScanName() ? tokenizer.Token() : std::wstring();
}

std::wstring XmlDocument::GetAttribute(const wchar_t* name, bool* found) const
{
    bool located = false;
    bool hasValue = false;
    XmlTokenizer tokenizer(text_, docFlags_);
    if (currentPos_ && name && *name) {
        const XmlElemRecord& r = elems_[currentPos_];
        tokenizer.scanPos = r.start + 1;
        located = tokenizer.LocateAttribute(name, r.start + r.StartTagLength() - 1, &hasValue);
    }
    if (found)
        *found = located;
    return located && hasValue ? DecodeReferences(tokenizer.Token()) : std::wstring();
}

bool XmlDocument::AppendElement(const wchar_t* name, const wchar_t* value, int flags)
{
    bool writing = (docFlags_ & XmlDocStreamWrite) != 0;
    bool asChild = (flags & XmlAddChild) != 0;
    bool hasValue = value && *value;
    if ((docFlags_ & XmlDocStreamRead) || (asChild && (!currentPos_ || writing)) ||
        ((flags & XmlAddNonEnded) && hasValue) || !IsWritableName(name))
        return false;

    std::wstring n = name;
    std::wstring markup;
    int startTagLength, endTagLength;
    if (hasValue) {
        if (static_cast<int>(n.size()) + 3 > XmlElemRecord::kMaxEndTagLength)
            return Refuse(L"end_tag_too_long", -1);
        std::wstring v = (flags & XmlAddCdata) ? WrapCdata(value) : Escape(value, flags);
        markup = L"<" + n + L">" + v + L"</" + n + L">";
        startTagLength = static_cast<int>(n.size()) + 2;
        endTagLength = static_cast<int>(n.size()) + 3;
    } else {
        const wchar_t* close = (flags & XmlAddNonEnded) ? L">" : (flags & XmlAddSpacedEmpty) ? L" />" : L"/>";
        markup = L"<" + n + close;
        startTagLength = static_cast<int>(markup.size());
        endTagLength = 0;
    }
    if (startTagLength > XmlElemRecord::kMaxStartTagLength)
        return Refuse(L"start_tag_too_long", -1);
    if (text_.size() + markup.size() + 8 + n.size() > kMaxTextLength)
        return false;

    int length = static_cast<int>(markup.size());
    int parent = asChild ? currentPos_ : parentPos_;
    int reference = asChild ? childPos_ : currentPos_;
    Insertion insertion;
    if (!InsertMarkup(parent, reference, flags, std::move(markup), insertion))
        return false;

    int record = NextFreeRecord();
    XmlElemRecord& r = elems_[record];
    r = XmlElemRecord{};
    r.start = insertion.start;
    r.length = length;
    r.SetStartTagLength(startTagLength);
    r.SetEndTagLength(endTagLength);
    if (flags & XmlAddNonEnded)
        r.SetFlag(XmlElemNonEnded);

    if (writing) {
        LinkStreamed(parent, reference, record);
        Place(0, record, 0);
        return true;
    }
    if ((flags & XmlAddReplaceContent) && insertion.replaced > 0) {
        // The replaced content's elements are gone from the text: so are their records.
        for (int c = elems_[parent].firstChild; c;) {
            int next = elems_[c].nextSibling;
            Release(c);
            c = next;
        }
        elems_[parent].firstChild = 0;
    }
    LinkElement(parent, insertion.linkAfter, record);
    ShiftOffsets(record, insertion.inserted - insertion.replaced);
    if (asChild)
        Place(parentPos_, parent, record);
    else
        Place(parent, record, 0);
    return true;
}

bool XmlDocument::InsertMarkup(int parent, int reference, int flags, std::wstring markup, Insertion& out)
{
    XmlElemRecord& p = elems_[parent];
    bool emptyParent = parent && p.StartTagLength() == p.length;
    bool contentless = parent && p.ContentLength() == 0;
    // Replacing puts the markup at the content start whatever the reference: that is where the
    // splice goes, so that is where the new element begins.
    bool replace = (flags & XmlAddReplaceContent) && !emptyParent;
    bool before = (flags & XmlAddBefore) != 0;
    bool breaks = !(flags & XmlAddNoBreaks);

    int offset;
    if (replace || (!reference && !emptyParent && before)) {
        offset = p.ContentStart();
    } else if (reference) {
        const XmlElemRecord& r = elems_[reference];
        offset = before ? r.start : r.End();
    } else if (emptyParent) {
        offset = p.HasFlag(XmlElemNonEnded) ? p.ContentStart() : p.ContentStart() - 1;
    } else {
        offset = p.End() - p.EndTagLength();
    }
    if (!(flags & (XmlAddReplaceContent | XmlAddNoBreaks)) && !emptyParent) {
        XmlTokenizer tokenizer(text_, docFlags_);
        offset = tokenizer.SpaceToTag(offset);
    }

    if (replace)
        out.linkAfter = 0;
    else if (reference && before)
        out.linkAfter = elems_[reference].HasFlag(XmlElemFirstChild) ? 0 : elems_[reference].prevSibling;
    else if (reference)
        out.linkAfter = reference;
    else if (before || !p.firstChild)
        out.linkAfter = 0;
    else
        out.linkAfter = elems_[p.firstChild].prevSibling;

    int start = offset;
    if (breaks) {
        if (emptyParent || contentless)
            start += 2;
        markup += L"\r\n";
    }
    int at = offset;
    int replaced = 0;
    std::wstring parentName;
    if (emptyParent) {
        // The parent's name as the scanner reads it, so that the new end tag matches it.
        const wchar_t* name = text_.c_str() + p.start + 1;
        size_t n = 0;
        while (name[n] && !XmlIsSpace(name[n]) && name[n] != L'/' && name[n] != L'>')
            ++n;
        if (static_cast<int>(n) + 3 > XmlElemRecord::kMaxEndTagLength)
            return Refuse(L"end_tag_too_long", p.start);
        parentName.assign(name, n);
        markup = (breaks ? L">\r\n" : L">") + markup + L"</" + parentName;
        if (p.HasFlag(XmlElemNonEnded)) {
            at = p.End() - 1;
        } else {
            at = p.End() - 2;
            replaced = 1;
        }
    } else if (contentless && breaks) {
        markup.insert(0, L"\r\n");
    }
    if (replace) {
        at = p.ContentStart();
        replaced = p.ContentLength();
    }

    if (docFlags_ & XmlDocStreamWrite) {
        result_.clear();
        int flushLength = emptyParent ? p.start : at;
        int newLength = static_cast<int>(text_.size() + markup.size()) - replaced;
        if (flushLength > 0 && FlushBefore(flushLength, newLength)) {
            at -= flushLength;
            start -= flushLength;
            if (emptyParent)
                p.start -= flushLength;
        }
    }

    if (emptyParent) {
        if (p.HasFlag(XmlElemNonEnded))
            p.ClearFlag(XmlElemNonEnded);
        else
            p.SetStartTagLength(p.StartTagLength() - 1);
        p.SetEndTagLength(static_cast<int>(parentName.size()) + 3);
    }
    Splice(at, replaced, markup);
    out.start = start;
    out.replaced = replaced;
    out.inserted = static_cast<int>(markup.size());
    return true;
}

bool XmlDocument::PutAttribute(const wchar_t* name, const wchar_t* value, int flags)
{
    if ((docFlags_ & XmlDocStreamRead) || !currentPos_ || !IsWritableName(name))
        return false;
    int record = currentPos_;
    XmlElemRecord& r = elems_[record];
    XmlTokenizer tokenizer(text_, docFlags_);
    tokenizer.scanPos = r.start + 1;
    bool hasValue = false;
    std::wstring quoted = L"\"" + Escape(value ? value : L"", flags | kEscapeQuotes) + L"\"";
    std::wstring insert;
    int at, replaced = 0;
    if (tokenizer.LocateAttribute(name, r.start + r.StartTagLength() - 1, &hasValue)) {
        if (hasValue) {
            // The old value goes with its quotes, when it had them.
            at = tokenizer.TokenQuoted() ? tokenizer.tokenStart - 1 : tokenizer.tokenStart;
            replaced = tokenizer.scanPos - at;
            insert = quoted;
        } else {
            // An attribute written without value ("<input disabled>") keeps its name and gets
            // the value after it.
            at = tokenizer.tokenEnd + 1;
            insert = L"=" + quoted;
        }
    } else {
        at = tokenizer.scanPos;
        insert = L" " + std::wstring(name) + L"=" + quoted;
    }
    int delta = static_cast<int>(insert.size()) - replaced;
    if (r.StartTagLength() + delta > XmlElemRecord::kMaxStartTagLength)
        return Refuse(L"start_tag_too_long", r.start);
    // A stray '/' before '>' ("<a w/>") does not close the tag, but a value or attribute before
    // it would: an element without end tag then simply becomes self-closed, while one with an
    // end tag would lose its content, so that edit is refused.
    std::wstring tag = text_.substr(r.start, r.StartTagLength());
    bool closedBefore = ClosesItself(tag);
    tag.replace(at - r.start, replaced, insert);
    bool closesNow = ClosesItself(tag);
    if (closesNow && !closedBefore && !r.HasFlag(XmlElemNonEnded))
        return Refuse(L"stray_slash_in_start_tag", r.start);
    if (text_.size() + delta > kMaxTextLength)
        return false;

    if (docFlags_ & XmlDocStreamWrite) {
        result_.clear();
        int flushLength = r.start;
        if (flushLength > 0 && FlushBefore(flushLength, static_cast<int>(text_.size()) + delta)) {
            at -= flushLength;
            r.start = 0;
            // The document's record spans the text left: an element added after a rewind goes
            // at its end.
            elems_[0].length -= flushLength;
        }
    }
    Splice(at, replaced, insert);
    r.SetStartTagLength(r.StartTagLength() + delta);
    r.length += delta;
    if (closesNow)
        r.ClearFlag(XmlElemNonEnded);
    ShiftOffsets(record, delta);
    return true;
}

bool XmlDocument::PutAttribute(const wchar_t* name, int value, int flags)
{
    wchar_t text[16];
    swprintf(text, 16, L"%d", value);
    return PutAttribute(name, text, flags);
}

void XmlDocument::Splice(int at, int replaced, const std::wstring& insert)
{
    size_t newLength = text_.size() - replaced + insert.size();
    if (newLength > text_.capacity())
        text_.reserve(newLength + newLength / 2 + 128);
    text_.replace(at, replaced, insert);
}

// While writing to a file: once the text would outgrow both the block size and its allocation,
// the first `length` characters are finished markup and go to the file.
bool XmlDocument::FlushBefore(int length, int newLength)
{
    if (newLength <= file_->BlockSize() || newLength <= static_cast<int>(text_.capacity()))
        return false;
    bool written = file_->FlushText(text_, length, false);
    result_ = file_->ResultText();
    return written;
}

bool XmlDocument::Refuse(const wchar_t* what, int offset)
{
    LogResult(result_, what, nullptr, 0, offset);
    return false;
}

void XmlDocument::Release(int record)
{
    elems_[record].levelFlags = XmlElemReleased;
}

void XmlDocument::LinkElement(int parent, int after, int record)
{
    XmlElemRecord& r = elems_[record];
    XmlElemRecord& p = elems_[parent];
    r.parent = parent;
    if (after) {
        XmlElemRecord& a = elems_[after];
        r.nextSibling = a.nextSibling;
        if (a.nextSibling)
            elems_[a.nextSibling].prevSibling = record;
        else
            elems_[p.firstChild].prevSibling = record;
        a.nextSibling = record;
        r.prevSibling = after;
        r.ClearFlag(XmlElemFirstChild);
    } else {
        r.SetFlag(XmlElemFirstChild);
        int old = p.firstChild;
        if (old) {
            r.nextSibling = old;
            r.prevSibling = elems_[old].prevSibling;
            elems_[old].prevSibling = record;
            elems_[old].ClearFlag(XmlElemFirstChild);
        } else {
            r.prevSibling = record;
            r.nextSibling = 0;
        }
        p.firstChild = record;
    }
    if (parent && !r.SetLevel(p.Level() + 1)) {
        // Deeper than the level field holds: kept at its largest and reported as a parse of the
        // new text would report it.
        LogResult(result_, L"nesting_too_deep", nullptr, 0, r.start);
        elems_[0].SetFlag(XmlElemDocErrors);
        p.SetFlag(XmlElemErrorInside);
    }
}

// While writing, the records before the new element may point into text already written, so
// the new element becomes the only child of the document and the one it was placed by is let go.
void XmlDocument::LinkStreamed(int parent, int reference, int record)
{
    if (parent)
        Release(parent);
    else if (reference)
        Release(reference);
    XmlElemRecord& r = elems_[record];
    r.parent = 0;
    r.prevSibling = record;
    r.nextSibling = 0;
    r.SetFlag(XmlElemFirstChild);
    elems_[0].firstChild = record;
    elems_[0].length = static_cast<int>(text_.size());
}

// After a change of delta characters at `record` (its start stays): every element after it in
// text order moves, its own children included, and every element enclosing it grows, record 0
// included.
void XmlDocument::ShiftOffsets(int record, int delta)
{
    if (delta == 0)
        return;
    ShiftDescendants(record, delta);
    int x = record;
    while (x) {
        for (int s = elems_[x].nextSibling; s; s = elems_[s].nextSibling) {
            elems_[s].start += delta;
            ShiftDescendants(s, delta);
        }
        x = elems_[x].parent;
        elems_[x].length += delta;
    }
}

void XmlDocument::ShiftDescendants(int record, int delta)
{
    ForEachDescendant(record, [this, delta](int x) { elems_[x].start += delta; });
}
