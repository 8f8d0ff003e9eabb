// XmlDocument: the model, the element parser and the result log.
#include "xml/XmlDocument.h"

#include "xml/XmlFileAccess.h"
#include "xml/XmlTokenizer.h"

#include <algorithm>
#include <cwchar>
#include <vector>

// The elements open during a parse, innermost last; the names are spans of the text, kept for
// matching end tags. Entry 0 stands for the parse's parent.
struct XmlDocument::XmlNodeStack {
    struct Entry {
        int nameStart;
        int nameLength;
        int record;
    };
    std::vector<Entry> entries;
    int Top() const { return static_cast<int>(entries.size()) - 1; }
};

namespace {

// Offsets are ints; the text stays well inside their range.
constexpr size_t kMaxTextLength = 0x3FFFFFFF;
// The log re-parses its whole text for every entry: past this size entries are dropped.
constexpr size_t kLogLimit = 1000;

} // namespace

XmlDocument::XmlDocument()
{
    LoadText();
}

XmlDocument::XmlDocument(const wchar_t* text)
{
    LoadText(text);
}

XmlDocument::~XmlDocument() = default;

bool XmlDocument::LoadText(const wchar_t* text)
{
    if (docFlags_ & (XmlDocStreamRead | XmlDocStreamWrite))
        return false;
    if (text) {
        size_t n = wcslen(text);
        if (n > kMaxTextLength)
            return false;
        text_.assign(text, n);
    } else {
        text_.clear();
        elems_.Clear();
    }
    result_.clear();
    return ParseDocument();
}

void XmlDocument::SetNoCase(bool noCase)
{
    if (noCase)
        docFlags_ |= XmlDocNoCase;
    else
        docFlags_ &= ~static_cast<uint32_t>(XmlDocNoCase);
}

bool XmlDocument::WellFormed() const
{
    if (docFlags_ & XmlDocStreamWrite)
        return true;
    if (elems_.Size() == 0)
        return false;
    const XmlElemRecord& doc = elems_[0];
    if (doc.HasFlag(XmlElemDocErrors))
        return false;
    if (docFlags_ & XmlDocStreamRead)
        return true;
    return doc.firstChild != 0 && elems_[doc.firstChild].nextSibling == 0;
}

int XmlDocument::NextFreeRecord()
{
    if (elems_.Size() <= freeIndex_)
        ReserveRecords(0);
    return freeIndex_++;
}

void XmlDocument::ReserveRecords(int n)
{
    if (n == 0)
        n = freeIndex_ + freeIndex_ / 2 + 1;
    if (elems_.Size() < n)
        elems_.Grow(n);
}

bool XmlDocument::ParseDocument()
{
    Rewind();
    int n = static_cast<int>(text_.size());
    freeIndex_ = 1;
    ReserveRecords(n / 64 + 8);
    elems_[0] = XmlElemRecord{};
    bool reading = (docFlags_ & XmlDocStreamRead) != 0;
    if (n > 0 || reading) {
        XmlTokenizer tokenizer(text_, docFlags_, reading ? file_.get() : nullptr);
        int first = ParseElements(0, tokenizer);
        elems_[0].length = static_cast<int>(text_.size());
        if (!text_.empty()) {
            if (!first)
                LogResult(result_, L"no_root_element", nullptr, 0, -1);
            else if (elems_[first].nextSibling)
                LogResult(result_, L"root_has_sibling", nullptr, 0, -1);
        }
    }
    Rewind();
    return WellFormed();
}

int XmlDocument::ParseElements(int parent, XmlTokenizer& tokenizer)
{
    int current = parent;
    int first = 0;
    int rootLevel = elems_[parent].Level();
    bool noCase = (docFlags_ & XmlDocNoCase) != 0;
    XmlNodeStack stack;
    stack.entries.reserve(16);
    stack.entries.push_back({0, 0, parent});
    tokenizer.scanPos = 0;

    auto markError = [&](int inside) {
        elems_[parent].SetFlag(XmlElemDocErrors);
        elems_[inside].SetFlag(XmlElemErrorInside);
    };

    XmlParsedNode node;
    for (;;) {
        int type = tokenizer.ScanNode(node);
        if (type == XmlNodeStartTag) {
            int record = NextFreeRecord();
            if (!first)
                first = record;
            XmlElemRecord& r = elems_[record];
            XmlElemRecord& owner = elems_[current];
            r = XmlElemRecord{};
            r.parent = current;
            if (owner.firstChild) {
                int last = elems_[owner.firstChild].prevSibling;
                elems_[last].nextSibling = record;
                r.prevSibling = last;
                elems_[owner.firstChild].prevSibling = record;
            } else {
                owner.firstChild = record;
                r.prevSibling = record;
                r.SetFlag(XmlElemFirstChild);
            }
            r.start = node.start;
            r.length = node.length;
            if (!r.SetLevel(rootLevel + stack.Top())) {
                LogResult(result_, L"nesting_too_deep", nullptr, 0, node.start);
                markError(current);
            }
            if (!r.SetStartTagLength(node.length)) {
                LogResult(result_, L"start_tag_too_long", nullptr, 0, node.start);
                markError(current);
            }
            if (!(node.flags & XmlNodeSelfClosed)) {
                current = record;
                stack.entries.push_back({tokenizer.tokenStart, tokenizer.TokenLength(), record});
            }
        } else if (type == XmlNodeEndTag) {
            const wchar_t* chars = tokenizer.Chars();
            int k = stack.Top();
            while (k > 0 && !XmlTokenizer::MatchSpan(chars + tokenizer.tokenStart, tokenizer.TokenLength(),
                                                     chars + stack.entries[k].nameStart,
                                                     stack.entries[k].nameLength, noCase))
                --k;
            if (k == 0) {
                markError(current);
                LogResult(result_, L"lone_end_tag", tokenizer.Token().c_str(), 0, node.start);
                continue;
            }
            int matched = stack.entries[k].record;
            XmlElemRecord& m = elems_[matched];
            m.length = node.start + node.length - m.start;
            if (!m.SetEndTagLength(node.length)) {
                LogResult(result_, L"end_tag_too_long", nullptr, 0, node.start);
                markError(matched);
            }
            CloseUnended(stack, k, node.start + 1, parent);
            stack.entries.resize(k);
            current = elems_[matched].parent;
        } else if (type == XmlNodeError) {
            markError(current);
            if (result_.size() < kLogLimit)
                result_ += node.message;
        } else if (type == XmlNodeEndOfText) {
            CloseUnended(stack, 0, static_cast<int>(text_.size()), parent);
            return first;
        }
    }
}

// Closes the elements open above stack level `keep` as non-ended: each keeps only its start
// tag, and what it contained follows it as siblings under the same parent, in text order.
// Since every open element is the last child of the one below it, the whole run is relinked in
// one pass, and every record moves at most once per run.
void XmlDocument::CloseUnended(const XmlNodeStack& stack, int keep, int offset2, int parseParent)
{
    int top = stack.Top();
    if (top <= keep)
        return;
    elems_[parseParent].SetFlag(XmlElemDocErrors);
    const wchar_t* chars = text_.c_str();
    for (int i = top; i > keep; --i) {
        const XmlNodeStack::Entry& e = stack.entries[i];
        XmlElemRecord& r = elems_[e.record];
        r.SetEndTagLength(0);
        r.SetFlag(XmlElemNonEnded);
        r.length = r.StartTagLength();
        if (r.HasFlag(XmlElemErrorInside)) {
            r.ClearFlag(XmlElemErrorInside);
            elems_[r.parent].SetFlag(XmlElemErrorInside);
        }
        LogResult(result_, L"unended_start_tag", std::wstring(chars + e.nameStart, e.nameLength).c_str(), 0, r.start,
                  offset2);
    }

    // Detach every open element's children first, so that relevelling a lifted element never
    // walks through children that are about to be lifted themselves.
    std::vector<int> children;
    children.reserve(top - keep);
    for (int i = keep + 1; i <= top; ++i) {
        XmlElemRecord& e = elems_[stack.entries[i].record];
        children.push_back(e.firstChild);
        e.firstChild = 0;
    }
    int outer = stack.entries[keep + 1].record;
    int owner = elems_[outer].parent;
    int level = elems_[outer].Level();
    int tail = outer;
    for (int child : children) {
        if (!child)
            continue;
        elems_[tail].nextSibling = child;
        elems_[child].prevSibling = tail;
        elems_[child].ClearFlag(XmlElemFirstChild);
        for (int x = child; x; x = elems_[x].nextSibling) {
            XmlElemRecord& moved = elems_[x];
            moved.parent = owner;
            if (moved.Level() != level) {
                moved.SetLevel(level);
                RelevelSubtree(x);
            }
            tail = x;
        }
    }
    elems_[elems_[owner].firstChild].prevSibling = tail;
}

// Gives every element below `record` its parent's level + 1.
void XmlDocument::RelevelSubtree(int record)
{
    ForEachDescendant(record, [this](int x) { elems_[x].SetLevel(elems_[elems_[x].parent].Level() + 1); });
}

void XmlDocument::LogResult(std::wstring& result, const wchar_t* name, const wchar_t* value, int flags, int number,
                            int number2)
{
    if (result.size() >= kLogLimit)
        return;
    XmlDocument entries(result.c_str());
    if (flags & XmlLogModify)
        entries.SeekElement(name);
    else
        entries.AppendElement(name, nullptr, XmlAddNoBreaks);
    if (value) {
        const wchar_t* attribute = (flags & XmlLogType)       ? L"type"
                                   : (flags & XmlLogEncoding) ? L"encoding"
                                   : (flags & XmlLogMsg)      ? L"msg"
                                                              : L"tagname";
        entries.PutAttribute(attribute, value);
    }
    if (flags & (XmlLogN | XmlLogCount | XmlLogLength)) {
        const wchar_t* attribute = (flags & XmlLogN) ? L"n" : (flags & XmlLogCount) ? L"count" : L"length";
        entries.PutAttribute(attribute, number);
    } else if (number != -1) {
        entries.PutAttribute(L"offset", number);
    }
    if (number2 != -1)
        entries.PutAttribute(L"offset2", number2);
    result = entries.text_;
}
