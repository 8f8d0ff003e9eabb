// XmlDocument: attaching a document to a file, and the encoding a text declares.
#include "xml/XmlDocument.h"

#include "xml/XmlFileAccess.h"
#include "xml/XmlTokenizer.h"

namespace {

// The value of attribute `name` in the tag from `from` up to (not including) `limit`.
std::wstring AttributeValue(const std::wstring& text, int from, int limit, const wchar_t* name, bool* found)
{
    XmlTokenizer tokenizer(text, XmlDocNoCase);
    tokenizer.scanPos = from;
    bool hasValue = false;
    *found = tokenizer.LocateAttribute(name, limit, &hasValue) && hasValue;
    return *found ? tokenizer.Token() : std::wstring();
}

// "text/html; charset=windows-1252" -> "windows-1252".
std::wstring CharsetOfContentType(const std::wstring& content)
{
    XmlTokenizer tokenizer(content, XmlDocNoCase);
    while (tokenizer.ScanName()) {
        if (!tokenizer.MatchName(L"charset"))
            continue;
        if (tokenizer.ScanName() && tokenizer.Token() == L"=" && tokenizer.ScanName())
            return tokenizer.Token();
        break;
    }
    return std::wstring();
}

} // namespace

bool XmlDocument::OpenRead(const wchar_t* path, const wchar_t* encoding, int blockSize)
{
    if (docFlags_ & (XmlDocStreamRead | XmlDocStreamWrite))
        return false;
    auto file = std::make_unique<XmlFileAccess>(&text_);
    if (!file->OpenForRead(path, encoding, blockSize)) {
        result_ = file->ResultText();
        return false;
    }
    file_ = std::move(file);
    docFlags_ |= XmlDocStreamRead;
    text_.clear();
    result_.clear();
    ParseDocument();
    return !file_->Failed();
}

bool XmlDocument::OpenWrite(const wchar_t* path, const wchar_t* encoding, int blockSize)
{
    if (docFlags_ & (XmlDocStreamRead | XmlDocStreamWrite))
        return false;
    auto file = std::make_unique<XmlFileAccess>(&text_);
    if (!file->OpenForWrite(path, encoding, blockSize)) {
        result_ = file->ResultText();
        return false;
    }
    file_ = std::move(file);
    docFlags_ |= XmlDocStreamWrite;
    return true;
}

bool XmlDocument::Close()
{
    if (!file_)
        return false;
    bool writing = (docFlags_ & XmlDocStreamWrite) != 0;
    bool ok = true;
    if (writing) {
        ok = file_->FlushText(text_, -1, true);
        result_ = file_->ResultText();
    }
    ok = file_->CloseFile() && ok;
    if (!ok && !writing)
        result_ = file_->ResultText();
    file_.reset();
    docFlags_ &= ~static_cast<uint32_t>(XmlDocStreamRead | XmlDocStreamWrite);
    if (writing) {
        // Whatever could not be written stays, indexed afresh; after a good close that is nothing.
        ParseDocument();
    }
    return ok;
}

std::wstring XmlDocument::FileEncoding() const
{
    return file_ ? file_->Encoding() : std::wstring();
}

std::wstring XmlDocument::FileResultText() const
{
    return file_ ? file_->ResultText() : std::wstring();
}

std::wstring XmlDocument::DeclaredEncoding(const std::wstring& text)
{
    XmlTokenizer tokenizer(text, XmlDocNoCase);
    XmlParsedNode node;
    bool seenStartTag = false;
    bool found = false;
    for (;;) {
        int type = tokenizer.ScanNode(node);
        int end = node.start + node.length - 1;
        switch (type) {
        case XmlNodeEndOfText:
        case XmlNodeError:
            return std::wstring();
        case XmlNodeInstruction:
            if (node.start == 0 && tokenizer.MatchName(L"xml"))
                return AttributeValue(text, node.start + 2, end, L"encoding", &found);
            break;
        case XmlNodeEndTag:
            if (tokenizer.MatchName(L"head"))
                return std::wstring();
            break;
        case XmlNodeStartTag:
            if (!seenStartTag) {
                seenStartTag = true;
                if (!tokenizer.MatchName(L"html"))
                    return std::wstring();
            } else if (tokenizer.MatchName(L"meta")) {
                // HTML5's <meta charset="..."> first, then the older http-equiv form.
                std::wstring charset = AttributeValue(text, node.start + 1, end, L"charset", &found);
                if (found)
                    return charset;
                std::wstring equiv = AttributeValue(text, node.start + 1, end, L"http-equiv", &found);
                if (!found || !XmlTokenizer::MatchSpan(equiv.c_str(), static_cast<int>(equiv.size()),
                                                       L"Content-Type", 12, true) || equiv.size() != 12)
                    break;
                std::wstring content = AttributeValue(text, node.start + 1, end, L"content", &found);
                if (found)
                    return CharsetOfContentType(content);
            }
            break;
        default:
            break;
        }
    }
}
