// The .xls writer's inputs: a workbook built by a sequence of calls that the input spells out, then
// saved. Each call takes one operation byte and its arguments from the bytes that follow; texts
// and names are runs of UTF-16 characters whose length comes first. The library refuses what
// breaks the format's limits; nothing it is given may crash it or a save.

#include <xls/Book.h>

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace {

class Reader {
public:
    Reader(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    bool More() const { return at_ < size_; }
    uint8_t Byte() { return at_ < size_ ? data_[at_++] : 0; }
    int Int16() { return int16_t(Byte() | Byte() << 8); }
    double Number() {
        uint64_t bits = 0;
        for (int k = 0; k < 8; ++k) bits |= uint64_t(Byte()) << (8 * k);
        double value;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }
    // A text of up to 65535 characters; a short input gives what it holds, repeated as a long
    // text needs (the writer splits long texts across records).
    std::wstring Text() {
        size_t length = Byte();
        if (length == 255) length = size_t(Byte()) << 8 | Byte();
        std::wstring text;
        for (size_t k = 0; k < length && More(); ++k) text.push_back(wchar_t(Byte() | Byte() << 8));
        if (!text.empty()) while (text.size() < length) text += text.substr(0, length - text.size());
        return text;
    }

private:
    const uint8_t* data_;
    size_t size_;
    size_t at_ = 0;
};

const std::wstring& OutputPath() {
    static const std::wstring path = [] {
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        return std::wstring(temp) + L"brevix-fuzz-" + std::to_wstring(GetCurrentProcessId()) + L".xls";
    }();
    return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    xls::Book* book = xlCreateBookW();
    if (!book) return 0;
    std::vector<xls::Sheet*> sheets;
    Reader in(data, size);
    for (int calls = 0; in.More() && calls < 200; ++calls) {
        const uint8_t op = in.Byte();
        xls::Sheet* sheet = sheets.empty() ? nullptr : sheets[op % sheets.size()];
        switch ((op >> 4) % 6) {
        case 0: {
            const std::wstring name = in.Text();
            xls::Sheet* added = book->AddSheet(name.c_str(), (op & 8) ? sheet : nullptr);
            if (added) sheets.push_back(added);
            break;
        }
        case 1:
            if (sheet) {
                const int row = in.Int16() & 0x1FFFF, column = in.Int16();
                sheet->WriteText(row, column, in.Text().c_str());
            }
            break;
        case 2:
            if (sheet) {
                const int row = in.Int16(), column = in.Byte();
                sheet->WriteNumber(row, column, in.Number());
            }
            break;
        case 3:
            if (sheet) {
                const int first = in.Int16(), last = in.Int16();
                sheet->SetColumnWidth(first, last, in.Number(), nullptr, op & 1);
            }
            break;
        case 4:
            if (sheet) {
                const int row = in.Int16();
                sheet->SetRowHeight(row, in.Number(), nullptr, op & 1);
            }
            break;
        default:
            book->Save(OutputPath().c_str());
            break;
        }
    }
    book->Save(OutputPath().c_str());
    book->ErrorMessage();
    book->Release();
    return 0;
}
