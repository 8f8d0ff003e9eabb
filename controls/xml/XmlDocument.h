// XmlDocument: one XML or HTML text held as a single UTF-16 string, with its elements indexed in a
// table of records that point into the text. Parsing is tolerant (unclosed and stray tags are
// indexed and reported), edits splice the text in place and correct the records, and a document
// can be read from or written to a file block by block in any of the supported text encodings.
//
// Every offset and length counts UTF-16 units. Problems are reported in the result text, one
// empty element per event (for example <lone_end_tag tagname="b" offset="12"/>), and by boolean
// results; nothing here throws.
#pragma once

#include "xml/XmlElemTree.h"

#include <cstdint>
#include <memory>
#include <string>

class XmlFileAccess;
class XmlTokenizer;

enum XmlDocFlags : uint32_t {
    XmlDocNoCase = 0x08,       // names are compared without case (ASCII letters)
    XmlDocStreamRead = 0x10,   // attached to a file being read
    XmlDocStreamWrite = 0x20,  // attached to a file being written
};

// Flags of AppendElement.
enum XmlAddFlags : int {
    XmlAddCdata = 0x0001,          // the value goes into a CDATA section instead of escaped text
    XmlAddNoBreaks = 0x0002,       // no line breaks around the new element
    XmlAddSpacedEmpty = 0x0004,    // an element without value is written "<name />"
    XmlAddKeepRefs = 0x0008,       // entity and character references in the value stay as they are
    XmlAddNonEnded = 0x0010,       // "<name>" without end tag; refused with a value
    XmlAddReplaceContent = 0x1000, // the new element replaces the whole content of the parent
    XmlAddBefore = 0x2000,         // before the reference element (or first in the parent)
    XmlAddChild = 0x4000,          // as a child of the current element instead of a sibling after it
};

// Flags of LogResult: which attributes the value and the number become.
enum XmlLogFlags : int {
    XmlLogCount = 0x01,    // number as "count"
    XmlLogType = 0x02,     // value as "type"
    XmlLogN = 0x04,        // number as "n"
    XmlLogEncoding = 0x08, // value as "encoding"
    XmlLogLength = 0x10,   // number as "length"
    XmlLogModify = 0x20,   // change the first entry of that name instead of appending one
    XmlLogMsg = 0x40,      // value as "msg"
};

class XmlDocument {
public:
    XmlDocument();
    explicit XmlDocument(const wchar_t* text);
    ~XmlDocument();
    XmlDocument(const XmlDocument&) = delete;
    XmlDocument& operator=(const XmlDocument&) = delete;

    // Replaces the text (none: empty) and parses it. False for an ill-formed or empty document,
    // and, without any change, while the document is attached to a file.
    bool LoadText(const wchar_t* text = nullptr);
    bool WellFormed() const;
    // Names compared without case (HTML); applies from the next parse or query on.
    void SetNoCase(bool noCase);

    const std::wstring& Text() const { return text_; }
    const std::wstring& ResultText() const { return result_; }

    // Records: index 0 stands for the whole document. RecordCount() is one past the last used.
    const XmlElemRecord& Record(int index) const { return elems_[index]; }
    int RecordCount() const { return freeIndex_; }

    // Position: the parent, the current element and the current child (0 = none).
    int ParentPosition() const { return parentPos_; }
    int CurrentPosition() const { return currentPos_; }
    int ChildPosition() const { return childPos_; }
    void Rewind();
    // The next sibling after the current element (or the parent's first child) whose name
    // matches the path's first step; an empty path takes the next sibling. Absolute ("/a") and
    // anywhere ("//a") paths find nothing here. Refused while writing to a file.
    bool SeekElement(const wchar_t* path);
    // Down into the current element (it becomes the parent) and back out again.
    bool IntoElement();
    bool OutOfElement();

    std::wstring TagName(int record) const;
    // The value of an attribute of the current element, with references decoded; empty when the
    // element has no such attribute (found tells the two apart).
    std::wstring GetAttribute(const wchar_t* name, bool* found = nullptr) const;

    bool AppendElement(const wchar_t* name, const wchar_t* value = nullptr, int flags = 0);
    bool PutAttribute(const wchar_t* name, const wchar_t* value, int flags = 0);
    bool PutAttribute(const wchar_t* name, int value, int flags = 0);

    // Streaming. OpenRead reads the file block by block while it parses it; the encoding comes
    // from a byte-order mark, else the caller, else the document's own declaration (XML
    // declaration or HTML meta charset), else UTF-8 when the bytes are valid UTF-8, else the
    // ANSI code page. The document keeps the whole text and stays read-only until Close; OpenRead
    // is false when the file could not be read whole (a read error, or more text than a document
    // holds), and what was read stays.
    // OpenWrite keeps the current text and position; elements added from then on are written
    // out once the text would outgrow the block size, and Close writes the rest. With no
    // encoding the declaration of the text chooses one, else UTF-8. UTF-16 and UTF-32 files get
    // a byte-order mark.
    bool OpenRead(const wchar_t* path, const wchar_t* encoding = nullptr, int blockSize = 65536);
    bool OpenWrite(const wchar_t* path, const wchar_t* encoding = nullptr, int blockSize = 65536);
    bool Close();
    // The file's encoding name and the result text of the last file operation.
    std::wstring FileEncoding() const;
    std::wstring FileResultText() const;

    // The encoding that a text declares: the XML declaration's encoding, or for HTML the charset
    // of a meta tag before the end of the head. Empty when none.
    static std::wstring DeclaredEncoding(const std::wstring& text);

    // Appends one entry to a result text (or, with XmlLogModify, changes the first entry named
    // name). value becomes "type", "encoding", "msg" or "tagname" and number becomes "n",
    // "count", "length" or, when not -1, "offset", as the flags say; number2 becomes "offset2"
    // when not -1. Once the text has 1,000 characters, entries are dropped.
    static void LogResult(std::wstring& result, const wchar_t* name, const wchar_t* value, int flags,
                          int number, int number2 = -1);

private:
    struct XmlNodeStack;
    struct Insertion {
        int start;      // where the new element begins
        int replaced;   // characters the splice removed
        int inserted;   // characters the splice put in
        int linkAfter;  // sibling to link the new record after (0: first child)
    };

    bool ParseDocument();
    int ParseElements(int parent, XmlTokenizer& tokenizer);
    void CloseUnended(const XmlNodeStack& stack, int keep, int offset2, int parseParent);
    // Calls visit(x) for every element x below `record`, each parent before its children.
    template <typename Visit>
    void ForEachDescendant(int record, Visit visit)
    {
        int x = elems_[record].firstChild;
        while (x) {
            visit(x);
            if (elems_[x].firstChild) {
                x = elems_[x].firstChild;
                continue;
            }
            while (!elems_[x].nextSibling) {
                x = elems_[x].parent;
                if (x == record)
                    return;
            }
            x = elems_[x].nextSibling;
        }
    }
    void RelevelSubtree(int record);

    void Place(int parent, int current, int child);
    int FindChild(int parent, int current, const wchar_t* path) const;
    int NextFreeRecord();
    void ReserveRecords(int n);
    void Release(int record);
    void LinkElement(int parent, int after, int record);
    void LinkStreamed(int parent, int reference, int record);
    void ShiftOffsets(int record, int delta);
    void ShiftDescendants(int record, int delta);
    bool InsertMarkup(int parent, int reference, int flags, std::wstring markup, Insertion& out);
    void Splice(int at, int replaced, const std::wstring& insert);
    bool FlushBefore(int length, int newLength);
    bool Refuse(const wchar_t* what, int offset);

    std::wstring text_;
    std::wstring result_;
    int parentPos_ = 0;
    int currentPos_ = 0;
    int childPos_ = 0;
    int freeIndex_ = 0;
    uint32_t docFlags_ = 0;
    std::unique_ptr<XmlFileAccess> file_;
    XmlElemTree elems_;
};
