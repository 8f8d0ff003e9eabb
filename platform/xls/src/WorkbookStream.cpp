#include "WorkbookStream.h"

#include <algorithm>
#include <cstring>
#include <string_view>

namespace xls {
namespace {

// Record types.
constexpr uint16_t kBof = 0x0809;
constexpr uint16_t kEof = 0x000A;
constexpr uint16_t kCodePage = 0x0042;
constexpr uint16_t kWindow1 = 0x003D;
constexpr uint16_t kFont = 0x0031;
constexpr uint16_t kXf = 0x00E0;
constexpr uint16_t kStyle = 0x0293;
constexpr uint16_t kBoundSheet = 0x0085;
constexpr uint16_t kSst = 0x00FC;
constexpr uint16_t kContinue = 0x003C;
constexpr uint16_t kExtSst = 0x00FF;
constexpr uint16_t kColInfo = 0x007D;
constexpr uint16_t kDimensions = 0x0200;
constexpr uint16_t kRow = 0x0208;
constexpr uint16_t kLabelSst = 0x00FD;
constexpr uint16_t kNumber = 0x0203;
constexpr uint16_t kWindow2 = 0x023E;

// The most data one record may carry; longer contents go on in CONTINUE records.
constexpr size_t kMaxRecordData = 8224;

// Excel expects fifteen style formats before the first cell format; cells use format 15.
constexpr int kStyleFormats = 15;
constexpr uint16_t kCellFormat = 15;
// Rows are stored in blocks of 32: the block's row records, then its cells.
constexpr size_t kRowBlock = 32;

class RecordWriter {
public:
    std::vector<uint8_t> out;

    void Begin(uint16_t type) {
        start_ = out.size();
        U16(type);
        U16(0);
    }
    void End() {
        const size_t length = out.size() - start_ - 4;
        out[start_ + 2] = static_cast<uint8_t>(length);
        out[start_ + 3] = static_cast<uint8_t>(length >> 8);
    }
    size_t DataLength() const { return out.size() - start_ - 4; }
    size_t OffsetInRecord() const { return out.size() - start_; }

    void U8(uint8_t v) { out.push_back(v); }
    void U16(uint16_t v) {
        out.push_back(static_cast<uint8_t>(v));
        out.push_back(static_cast<uint8_t>(v >> 8));
    }
    void U32(uint32_t v) {
        U16(static_cast<uint16_t>(v));
        U16(static_cast<uint16_t>(v >> 16));
    }
    void F64(double v) {
        uint8_t bytes[8];
        std::memcpy(bytes, &v, 8);
        out.insert(out.end(), bytes, bytes + 8);
    }
    void Zeros(size_t n) { out.insert(out.end(), n, 0); }
    void Patch32(size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i) out[at + i] = static_cast<uint8_t>(v >> (8 * i));
    }
    // Characters, one byte each when every one fits (the format's compressed form), else UTF-16.
    void Chars(std::wstring_view text, bool wide) {
        for (wchar_t c : text) wide ? U16(static_cast<uint16_t>(c)) : U8(static_cast<uint8_t>(c));
    }

private:
    size_t start_ = 0;
};

bool NeedsWideChars(std::wstring_view text) {
    return std::any_of(text.begin(), text.end(), [](wchar_t c) { return c > 0xFF; });
}

void WriteBof(RecordWriter& w, uint16_t substreamType) {
    w.Begin(kBof);
    w.U16(0x0600);  // BIFF8
    w.U16(substreamType);
    w.U16(0x0DBB);  // build and year of the writing application's format level
    w.U16(0x07CC);
    w.U32(0);       // file history
    w.U32(0x0006);  // lowest version that can read every record: BIFF8
    w.End();
}

void WriteEof(RecordWriter& w) {
    w.Begin(kEof);
    w.End();
}

void WriteFont(RecordWriter& w) {
    w.Begin(kFont);
    w.U16(200);     // 10 points, in twips
    w.U16(0);       // no italic, strike-out, outline
    w.U16(0x7FFF);  // automatic colour
    w.U16(400);     // normal weight
    w.U16(0);       // no super- or subscript
    w.U8(0);        // no underline
    w.U8(0);        // family
    w.U8(0);        // character set
    w.U8(0);
    const std::wstring_view face = L"Arial";
    w.U8(static_cast<uint8_t>(face.size()));
    w.U8(0);
    w.Chars(face, false);
    w.End();
}

void WriteXf(RecordWriter& w, bool style) {
    w.Begin(kXf);
    w.U16(0);                        // font 0
    w.U16(0);                        // number format 0, General
    w.U16(style ? 0xFFF5 : 0x0001);  // locked; a style has no parent, a cell format the Normal style
    w.U8(0x20);                      // general horizontal alignment, bottom
    w.U8(0);
    w.U8(0);
    w.U8(style ? 0xF4 : 0);  // a style's own attributes; a cell's come from its style
    w.U32(0);                // no borders
    w.U32(0);                // no fill
    w.U16(0x20C0);           // pattern colours: system foreground and background
    w.End();
}

void WriteGlobalsHead(RecordWriter& w) {
    WriteBof(w, 0x0005);
    w.Begin(kCodePage);
    w.U16(1200);  // UTF-16
    w.End();
    w.Begin(kWindow1);
    w.U16(0);
    w.U16(0);
    w.U16(15000);   // window width and height, in twips
    w.U16(9000);
    w.U16(0x0038);  // scroll bars and sheet tabs shown
    w.U16(0);       // active sheet
    w.U16(0);       // first visible tab
    w.U16(1);       // selected tabs
    w.U16(600);     // tab bar width ratio, per mille
    w.End();
    // Font 4 does not exist in the format's numbering: five records make fonts 0-3 and 5.
    for (int i = 0; i < 5; ++i) WriteFont(w);
    for (int i = 0; i < kStyleFormats; ++i) WriteXf(w, true);
    WriteXf(w, false);
    w.Begin(kStyle);
    w.U16(0x8000);  // built-in style over format 0
    w.U8(0);        // Normal
    w.U8(0xFF);
    w.End();
}

// The sheet list; answers where each entry's substream position goes.
std::vector<size_t> WriteBoundSheets(RecordWriter& w, const std::vector<const SheetContents*>& sheets) {
    std::vector<size_t> positions;
    for (const SheetContents* sheet : sheets) {
        w.Begin(kBoundSheet);
        positions.push_back(w.out.size());
        w.U32(0);
        w.U8(0);  // visible
        w.U8(0);  // worksheet
        const bool wide = NeedsWideChars(sheet->name);
        w.U8(static_cast<uint8_t>(sheet->name.size()));
        w.U8(wide ? 1 : 0);
        w.Chars(sheet->name, wide);
        w.End();
    }
    return positions;
}

// The shared string table: every distinct text once, in order of first use, and the index of
// every text cell's string in the order the cells are written (sheet, row, column).
//
// Distinct texts are found with an open-addressing table of indexes: a workbook of the format's
// full height holds hundreds of thousands of cells, and a node-based map spends most of a save in
// cache misses.
struct SharedStrings {
    std::vector<std::wstring_view> strings;
    std::vector<uint32_t> cellIndexes;

    explicit SharedStrings(const std::vector<const SheetContents*>& sheets) {
        size_t cells = 0;
        for (const SheetContents* sheet : sheets) {
            for (const auto& row : sheet->rows) cells += row.size();
        }
        size_t capacity = 16;
        while (capacity < 2 * cells) capacity *= 2;
        std::vector<uint32_t> slots(capacity, kEmpty);  // string index per slot
        cellIndexes.reserve(cells);
        for (const SheetContents* sheet : sheets) {
            for (const auto& row : sheet->rows) {
                for (const CellValue& cell : row) {
                    if (cell.isText) cellIndexes.push_back(Intern(slots, sheet->TextOf(cell)));
                }
            }
        }
    }

private:
    static constexpr uint32_t kEmpty = 0xFFFFFFFF;

    static size_t Hash(std::wstring_view text) {
        size_t hash = 14695981039346656037ull;  // FNV-1a
        for (wchar_t c : text) hash = (hash ^ static_cast<uint16_t>(c)) * 1099511628211ull;
        return hash;
    }

    uint32_t Intern(std::vector<uint32_t>& slots, std::wstring_view text) {
        const size_t mask = slots.size() - 1;
        for (size_t at = Hash(text) & mask;; at = (at + 1) & mask) {
            if (slots[at] == kEmpty) {
                slots[at] = static_cast<uint32_t>(strings.size());
                strings.push_back(text);
                return slots[at];
            }
            if (strings[slots[at]] == text) return slots[at];
        }
    }
};

// SST with its CONTINUE records, then EXTSST, which tells readers where every bucket of strings starts.
// A string's length and flags never split across records; characters may, and the part in the
// next record starts again with the flags byte.
void WriteSharedStrings(RecordWriter& w, const SharedStrings& sst) {
    const size_t count = sst.strings.size();
    const size_t bucket = std::max<size_t>(8, (count + 127) / 128);
    struct BucketStart {
        uint32_t position;
        uint16_t offset;
    };
    std::vector<BucketStart> buckets;

    w.Begin(kSst);
    w.U32(static_cast<uint32_t>(sst.cellIndexes.size()));
    w.U32(static_cast<uint32_t>(count));
    for (size_t i = 0; i < count; ++i) {
        const std::wstring_view text = sst.strings[i];
        const bool wide = NeedsWideChars(text);
        const size_t charSize = wide ? 2 : 1;
        if (kMaxRecordData - w.DataLength() < 3 + (text.empty() ? 0 : charSize)) {
            w.End();
            w.Begin(kContinue);
        }
        if (i % bucket == 0) {
            buckets.push_back({static_cast<uint32_t>(w.out.size()), static_cast<uint16_t>(w.OffsetInRecord())});
        }
        w.U16(static_cast<uint16_t>(text.size()));
        w.U8(wide ? 1 : 0);
        size_t done = 0;
        while (done < text.size()) {
            const size_t fit = (kMaxRecordData - w.DataLength()) / charSize;
            if (fit == 0) {
                w.End();
                w.Begin(kContinue);
                w.U8(wide ? 1 : 0);
                continue;
            }
            const size_t n = std::min(fit, text.size() - done);
            w.Chars(text.substr(done, n), wide);
            done += n;
        }
    }
    w.End();

    w.Begin(kExtSst);
    w.U16(static_cast<uint16_t>(bucket));
    for (const BucketStart& b : buckets) {
        w.U32(b.position);
        w.U16(b.offset);
        w.U16(0);
    }
    w.End();
}

void WriteColumnInfo(RecordWriter& w, const SheetContents& sheet) {
    const std::vector<ColumnSetting>& columns = sheet.columns;
    for (size_t first = 0; first < columns.size();) {
        if (!columns[first].set) {
            ++first;
            continue;
        }
        size_t last = first;
        while (last + 1 < columns.size() && columns[last + 1].set && columns[last + 1].width == columns[first].width &&
               columns[last + 1].hidden == columns[first].hidden) {
            ++last;
        }
        w.Begin(kColInfo);
        w.U16(static_cast<uint16_t>(first));
        w.U16(static_cast<uint16_t>(last));
        w.U16(columns[first].width);
        w.U16(kCellFormat);
        w.U16(columns[first].hidden ? 0x0001 : 0);
        w.U16(0);
        w.End();
        first = last + 1;
    }
}

void WriteDimensions(RecordWriter& w, const SheetContents& sheet) {
    uint32_t firstRow = 0, endRow = 0;
    uint16_t firstColumn = 0, endColumn = 0;
    bool any = false;
    for (size_t r = 0; r < sheet.rows.size(); ++r) {
        const auto& row = sheet.rows[r];
        if (row.empty()) continue;
        if (!any) {
            firstRow = static_cast<uint32_t>(r);
            firstColumn = row.front().column;
        }
        any = true;
        endRow = static_cast<uint32_t>(r + 1);
        firstColumn = std::min(firstColumn, row.front().column);
        endColumn = std::max<uint16_t>(endColumn, row.back().column + 1);
    }
    w.Begin(kDimensions);
    w.U32(firstRow);
    w.U32(endRow);
    w.U16(firstColumn);
    w.U16(endColumn);
    w.U16(0);
    w.End();
}

void WriteRow(RecordWriter& w, size_t r, const std::vector<CellValue>* cells, const RowSetting* setting) {
    const bool custom = setting && setting->set;
    w.Begin(kRow);
    w.U16(static_cast<uint16_t>(r));
    w.U16(cells && !cells->empty() ? cells->front().column : 0);
    w.U16(cells && !cells->empty() ? cells->back().column + 1 : 0);
    w.U16(custom ? setting->height : 0x00FF);  // 12.75 points when the row keeps the default
    w.U16(0);
    w.U16(0);
    // Reserved bit 8 is always set; 0x20 hides the row, 0x40 marks a height of its own.
    w.U16(0x0100 | (custom && setting->hidden ? 0x0020 : 0) | (custom ? 0x0040 : 0));
    w.U16(kCellFormat);
    w.End();
}

void WriteCell(RecordWriter& w, size_t r, const CellValue& cell, const uint32_t*& nextString) {
    w.Begin(cell.isText ? kLabelSst : kNumber);
    w.U16(static_cast<uint16_t>(r));
    w.U16(cell.column);
    w.U16(kCellFormat);
    if (cell.isText) {
        w.U32(*nextString++);
    } else {
        w.F64(cell.number);
    }
    w.End();
}

// `nextString`: the shared string index of the sheet's first text cell, then of each following one.
void WriteRowsAndCells(RecordWriter& w, const SheetContents& sheet, const uint32_t*& nextString) {
    const size_t rowCount = std::max(sheet.rows.size(), sheet.rowSettings.size());
    auto cellsOf = [&](size_t r) { return r < sheet.rows.size() ? &sheet.rows[r] : nullptr; };
    auto settingOf = [&](size_t r) { return r < sheet.rowSettings.size() ? &sheet.rowSettings[r] : nullptr; };
    auto used = [&](size_t r) {
        const auto* cells = cellsOf(r);
        const auto* setting = settingOf(r);
        return (cells && !cells->empty()) || (setting && setting->set);
    };
    for (size_t block = 0; block < rowCount; block += kRowBlock) {
        const size_t end = std::min(rowCount, block + kRowBlock);
        for (size_t r = block; r < end; ++r) {
            if (used(r)) WriteRow(w, r, cellsOf(r), settingOf(r));
        }
        for (size_t r = block; r < end; ++r) {
            if (const auto* cells = cellsOf(r)) {
                for (const CellValue& cell : *cells) WriteCell(w, r, cell, nextString);
            }
        }
    }
}

void WriteWindow2(RecordWriter& w, bool firstSheet) {
    w.Begin(kWindow2);
    // Grid lines, headings, zeros, default grid colour and outline symbols shown; the first sheet
    // is the selected and shown one.
    w.U16(firstSheet ? 0x06B6 : 0x00B6);
    w.U16(0);     // top row
    w.U16(0);     // left column
    w.U16(0x40);  // grid colour: the system's
    w.U16(0);
    w.U16(0);     // zoom: default
    w.U16(0);
    w.U32(0);
    w.End();
}

}  // namespace

std::vector<uint8_t> BuildWorkbookStream(const std::vector<const SheetContents*>& sheets) {
    RecordWriter w;
    const SharedStrings sst(sheets);
    // Room for a cell record, a share of a row record and the string of every cell, as a start.
    size_t estimate = 64 * 1024;
    for (const std::wstring_view text : sst.strings) estimate += 3 + 2 * text.size();
    for (const SheetContents* sheet : sheets) {
        for (const auto& row : sheet->rows) estimate += 20 + 18 * row.size();
    }
    w.out.reserve(estimate);
    WriteGlobalsHead(w);
    const std::vector<size_t> positions = WriteBoundSheets(w, sheets);
    WriteSharedStrings(w, sst);
    WriteEof(w);

    const uint32_t* nextString = sst.cellIndexes.data();
    for (size_t i = 0; i < sheets.size(); ++i) {
        w.Patch32(positions[i], static_cast<uint32_t>(w.out.size()));
        WriteBof(w, 0x0010);
        WriteColumnInfo(w, *sheets[i]);
        WriteDimensions(w, *sheets[i]);
        WriteRowsAndCells(w, *sheets[i], nextString);
        WriteWindow2(w, i == 0);
        WriteEof(w);
    }
    return std::move(w.out);
}

}  // namespace xls
