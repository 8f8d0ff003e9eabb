// A file read into the XML/HTML document class, a few edits that the input chooses, and a save.
//
// Byte 0: bit 0 HTML (names without case), bits 1-3 the encoding the reader is told (none: the
// file's mark or declaration chooses), bits 4-6 the encoding of the save; byte 1: the reader's
// block size. The rest is the file; its first 32 bytes also choose the edits.

#include "xml/XmlDocument.h"

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

namespace {

const wchar_t* const kEncodings[] = {nullptr,   L"UTF-8",   L"UTF-16", L"UTF-16BE",
                                     L"UTF-32", L"cp1252",  L"Shift_JIS", L"EUC-JP"};

const std::wstring& Folder() {
    static const std::wstring folder = [] {
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        return std::wstring(temp) + L"brevix-fuzz-" + std::to_wstring(GetCurrentProcessId());
    }();
    CreateDirectoryW(folder.c_str(), nullptr);
    return folder;
}

bool WriteFileBytes(const std::wstring& path, const uint8_t* data, size_t size) {
    FILE* file = _wfopen(path.c_str(), L"wb");
    if (!file) return false;
    const bool whole = std::fwrite(data, 1, size, file) == size;
    std::fclose(file);
    return whole;
}

// Edits chosen by the input's bytes: moves through the tree, elements and attributes added.
void Edit(XmlDocument& doc, const uint8_t* choices, size_t count) {
    static const wchar_t* const names[] = {L"a", L"b", L"item", L"", L"x:y", L"1bad"};
    static const wchar_t* const values[] = {nullptr, L"text", L"<&>\"'", L"]]>", L"&#x41;&amp;", L"\x3042\xD800"};
    for (size_t k = 0; k < count; ++k) {
        const uint8_t c = choices[k];
        const wchar_t* name = names[(c >> 3) % 6];
        const wchar_t* value = values[(c >> 5) % 6];
        switch (c & 7) {
        case 0: doc.SeekElement(L""); break;
        case 1: doc.IntoElement(); break;
        case 2: doc.OutOfElement(); break;
        case 3: doc.AppendElement(name, value, XmlAddChild | (c & 0x10 ? XmlAddCdata : 0)); break;
        case 4: doc.AppendElement(name, value, c & 0x40 ? XmlAddBefore : XmlAddNoBreaks); break;
        case 5: doc.PutAttribute(name, value ? value : L""); break;
        case 6: doc.GetAttribute(name); break;
        default: doc.Rewind(); break;
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    const wchar_t* readEncoding = kEncodings[(data[0] >> 1) & 7];
    const wchar_t* saveEncoding = kEncodings[(data[0] >> 4) & 7];
    const int block = 1 + data[1] * 16;
    const std::wstring input = Folder() + L"\\in.xml", output = Folder() + L"\\out.xml";
    if (!WriteFileBytes(input, data + 2, size - 2)) return 0;

    XmlDocument doc;
    doc.SetNoCase(data[0] & 1);
    doc.OpenRead(input.c_str(), readEncoding, block);
    doc.Close();
    XmlDocument::DeclaredEncoding(doc.Text());
    Edit(doc, data + 2, std::min<size_t>(size - 2, 32));
    if (doc.OpenWrite(output.c_str(), saveEncoding, block)) {
        Edit(doc, data + 2, std::min<size_t>(size - 2, 8));
        doc.Close();
    }
    return 0;
}
