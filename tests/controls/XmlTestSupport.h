// Helpers of the XmlDocument tests: the element tree as text, the record invariants, files.
#pragma once

#include "xml/XmlDocument.h"

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

namespace xmltest {

// Records of the live tree in text order: "name@start+length[startTag/endTag]Llevel" with
// children in parentheses, "!" for non-ended, so that two documents can be compared whatever
// their record indexes.
inline void DumpChildren(const XmlDocument& doc, int parent, std::wstring& out)
{
    bool first = true;
    for (int c = doc.Record(parent).firstChild; c; c = doc.Record(c).nextSibling) {
        const XmlElemRecord& r = doc.Record(c);
        out += first ? L"" : L",";
        first = false;
        out += doc.TagName(c) + L"@" + std::to_wstring(r.start) + L"+" + std::to_wstring(r.length) + L"[" +
               std::to_wstring(r.StartTagLength()) + L"/" + std::to_wstring(r.EndTagLength()) + L"]L" +
               std::to_wstring(r.Level());
        if (r.HasFlag(XmlElemNonEnded))
            out += L"!";
        if (r.firstChild) {
            out += L"(";
            DumpChildren(doc, c, out);
            out += L")";
        }
    }
}

inline std::wstring Dump(const XmlDocument& doc)
{
    std::wstring out;
    DumpChildren(doc, 0, out);
    return out;
}

// The short form: names only, "a(b,c)".
inline void NamesOf(const XmlDocument& doc, int parent, std::wstring& out)
{
    bool first = true;
    for (int c = doc.Record(parent).firstChild; c; c = doc.Record(c).nextSibling) {
        out += first ? L"" : L",";
        first = false;
        out += doc.TagName(c);
        if (doc.Record(c).firstChild) {
            out += L"(";
            NamesOf(doc, c, out);
            out += L")";
        }
    }
}

inline std::wstring Names(const XmlDocument& doc)
{
    std::wstring out;
    NamesOf(doc, 0, out);
    return out;
}

// Every live record selects its own markup: its start tag runs from '<' to '>', its end tag (if
// any) is "</" + its name + ">", and the links form proper rings. Returns the first fault.
inline std::wstring CheckRecords(const XmlDocument& doc)
{
    const std::wstring& text = doc.Text();
    if (doc.Record(0).length != static_cast<int>(text.size()))
        return L"record 0 does not span the text";
    std::vector<int> pending{0};
    while (!pending.empty()) {
        int parent = pending.back();
        pending.pop_back();
        int firstChild = doc.Record(parent).firstChild;
        int last = 0;
        for (int c = firstChild; c; c = doc.Record(c).nextSibling) {
            const XmlElemRecord& r = doc.Record(c);
            std::wstring at = L" at record " + std::to_wstring(c);
            if (r.parent != parent)
                return L"wrong parent" + at;
            if (r.HasFlag(XmlElemFirstChild) != (c == firstChild))
                return L"first-child flag" + at;
            if (c != firstChild && r.prevSibling != last)
                return L"previous link" + at;
            if (r.start < 0 || r.End() > static_cast<int>(text.size()) || text[r.start] != L'<')
                return L"start" + at;
            if (text[r.start + r.StartTagLength() - 1] != L'>')
                return L"start tag end" + at;
            if (r.EndTagLength() > 0) {
                std::wstring endTag = text.substr(r.End() - r.EndTagLength(), r.EndTagLength());
                if (endTag != L"</" + doc.TagName(c) + L">")
                    return L"end tag " + endTag + at;
            }
            last = c;
            pending.push_back(c);
        }
        if (firstChild && doc.Record(firstChild).prevSibling != last)
            return L"ring" + std::to_wstring(parent);
    }
    return L"";
}

inline std::wstring TempPath(const wchar_t* name)
{
    wchar_t folder[MAX_PATH];
    GetTempPathW(MAX_PATH, folder);
    return std::wstring(folder) + L"xmldoc_" + std::to_wstring(GetCurrentProcessId()) + L"_" + name;
}

inline std::string ReadBytes(const std::wstring& path)
{
    std::string bytes;
    if (FILE* f = _wfopen(path.c_str(), L"rb")) {
        char buffer[4096];
        size_t n;
        while ((n = fread(buffer, 1, sizeof buffer, f)) > 0)
            bytes.append(buffer, n);
        fclose(f);
    }
    return bytes;
}

inline void WriteBytes(const std::wstring& path, const std::string& bytes)
{
    FILE* f = _wfopen(path.c_str(), L"wb");
    fwrite(bytes.data(), 1, bytes.size(), f);
    fclose(f);
}

} // namespace xmltest
