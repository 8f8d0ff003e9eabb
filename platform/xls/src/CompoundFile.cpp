#include "CompoundFile.h"

#include <algorithm>
#include <cstring>

namespace xls {
namespace {

constexpr uint32_t kSectorSize = 512;
constexpr uint32_t kMiniSectorSize = 64;
constexpr uint32_t kMiniStreamCutoff = 4096;
constexpr uint32_t kEntriesPerFatSector = kSectorSize / 4;
constexpr uint32_t kHeaderFatSlots = 109;
// A DIFAT sector lists 127 FAT sectors and, in its last slot, the next DIFAT sector.
constexpr uint32_t kFatSlotsPerDifatSector = kEntriesPerFatSector - 1;

constexpr uint32_t kFreeSector = 0xFFFFFFFF;
constexpr uint32_t kEndOfChain = 0xFFFFFFFE;
constexpr uint32_t kFatSector = 0xFFFFFFFD;
constexpr uint32_t kDifatSector = 0xFFFFFFFC;
constexpr uint32_t kNoStream = 0xFFFFFFFF;

uint32_t CeilDiv(uint64_t value, uint32_t unit) { return static_cast<uint32_t>((value + unit - 1) / unit); }

void Put16(std::vector<uint8_t>& out, size_t at, uint16_t value) {
    out[at] = static_cast<uint8_t>(value);
    out[at + 1] = static_cast<uint8_t>(value >> 8);
}

void Put32(std::vector<uint8_t>& out, size_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i) out[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

// Where each part of the file goes, in sectors counted after the header.
struct SectorPlan {
    uint32_t fatSectors = 0;
    uint32_t difatSectors = 0;
    uint32_t directorySector = 0;
    uint32_t miniFatStart = kEndOfChain;
    uint32_t miniFatSectors = 0;
    uint32_t dataStart = 0;  // the stream itself, or the mini stream that holds it
    uint32_t dataSectors = 0;
    uint32_t total = 0;
};

SectorPlan PlanSectors(uint32_t streamSize, bool inMiniStream) {
    SectorPlan plan;
    uint32_t others = 1;  // the directory
    if (inMiniStream) {
        const uint32_t miniSectors = CeilDiv(streamSize, kMiniSectorSize);
        plan.miniFatSectors = CeilDiv(miniSectors * 4ull, kSectorSize);
        plan.dataSectors = CeilDiv(miniSectors * uint64_t{kMiniSectorSize}, kSectorSize);
    } else {
        plan.dataSectors = CeilDiv(streamSize, kSectorSize);
    }
    others += plan.miniFatSectors + plan.dataSectors;
    // The FAT describes itself and the DIFAT too: grow both until they cover everything.
    for (;;) {
        const uint32_t total = others + plan.fatSectors + plan.difatSectors;
        const uint32_t fat = CeilDiv(total, kEntriesPerFatSector);
        const uint32_t difat = fat > kHeaderFatSlots ? CeilDiv(fat - kHeaderFatSlots, kFatSlotsPerDifatSector) : 0;
        if (fat == plan.fatSectors && difat == plan.difatSectors) break;
        plan.fatSectors = fat;
        plan.difatSectors = difat;
    }
    plan.directorySector = plan.fatSectors + plan.difatSectors;
    uint32_t next = plan.directorySector + 1;
    if (plan.miniFatSectors) {
        plan.miniFatStart = next;
        next += plan.miniFatSectors;
    }
    plan.dataStart = next;
    plan.total = next + plan.dataSectors;
    return plan;
}

uint8_t* Sector(std::vector<uint8_t>& file, uint32_t index) { return file.data() + kSectorSize * (index + 1); }

// Links `count` sectors from `first` into one chain of the table `table`.
void Chain(std::vector<uint32_t>& table, uint32_t first, uint32_t count) {
    for (uint32_t i = 0; i < count; ++i) table[first + i] = i + 1 < count ? first + i + 1 : kEndOfChain;
}

void WriteTable(std::vector<uint8_t>& file, uint32_t firstSector, const std::vector<uint32_t>& table) {
    for (size_t i = 0; i < table.size(); ++i) {
        uint8_t* at = Sector(file, firstSector) + 4 * i;
        for (int b = 0; b < 4; ++b) at[b] = static_cast<uint8_t>(table[i] >> (8 * b));
    }
}

void WriteDirectoryEntry(uint8_t* entry, const std::wstring& name, uint8_t type, uint32_t child, uint32_t start,
                         uint32_t size) {
    std::memset(entry, 0, 128);
    const size_t chars = std::min<size_t>(name.size(), 31);
    for (size_t i = 0; i < chars; ++i) {
        entry[2 * i] = static_cast<uint8_t>(name[i]);
        entry[2 * i + 1] = static_cast<uint8_t>(name[i] >> 8);
    }
    entry[64] = static_cast<uint8_t>((chars + 1) * 2);  // name length in bytes with its terminator
    entry[66] = type;
    entry[67] = 1;  // black: a tree of one node is trivially balanced
    for (int b = 0; b < 4; ++b) {
        entry[68 + b] = static_cast<uint8_t>(kNoStream >> (8 * b));  // left sibling
        entry[72 + b] = static_cast<uint8_t>(kNoStream >> (8 * b));  // right sibling
        entry[76 + b] = static_cast<uint8_t>(child >> (8 * b));
        entry[116 + b] = static_cast<uint8_t>(start >> (8 * b));
        entry[120 + b] = static_cast<uint8_t>(size >> (8 * b));
    }
}

void MarkEntryUnused(uint8_t* entry) {
    std::memset(entry, 0, 128);
    std::memset(entry + 68, 0xFF, 12);  // siblings and child: none
}

}  // namespace

std::vector<uint8_t> BuildCompoundFile(const std::wstring& streamName, const std::vector<uint8_t>& stream) {
    const uint32_t size = static_cast<uint32_t>(stream.size());
    const bool inMiniStream = size < kMiniStreamCutoff;
    const SectorPlan plan = PlanSectors(size, inMiniStream);

    std::vector<uint8_t> file(kSectorSize * (plan.total + 1), 0);

    // Header.
    static const uint8_t kSignature[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
    std::memcpy(file.data(), kSignature, sizeof kSignature);
    Put16(file, 0x18, 0x003E);  // minor version
    Put16(file, 0x1A, 0x0003);  // major version 3: 512-byte sectors
    Put16(file, 0x1C, 0xFFFE);  // little-endian
    Put16(file, 0x1E, 9);       // sector size 2^9
    Put16(file, 0x20, 6);       // mini sector size 2^6
    Put32(file, 0x2C, plan.fatSectors);
    Put32(file, 0x30, plan.directorySector);
    Put32(file, 0x38, kMiniStreamCutoff);
    Put32(file, 0x3C, plan.miniFatStart);
    Put32(file, 0x40, plan.miniFatSectors);
    Put32(file, 0x44, plan.difatSectors ? plan.fatSectors : kEndOfChain);
    Put32(file, 0x48, plan.difatSectors);
    for (uint32_t i = 0; i < kHeaderFatSlots; ++i) Put32(file, 0x4C + 4 * i, i < plan.fatSectors ? i : kFreeSector);

    // DIFAT sectors: the FAT sectors beyond the header's 109, each sector linking to the next.
    for (uint32_t d = 0; d < plan.difatSectors; ++d) {
        const uint32_t sector = plan.fatSectors + d;
        std::vector<uint32_t> slots(kEntriesPerFatSector, kFreeSector);
        for (uint32_t s = 0; s < kFatSlotsPerDifatSector; ++s) {
            const uint32_t fat = kHeaderFatSlots + d * kFatSlotsPerDifatSector + s;
            if (fat < plan.fatSectors) slots[s] = fat;
        }
        slots[kFatSlotsPerDifatSector] = d + 1 < plan.difatSectors ? sector + 1 : kEndOfChain;
        WriteTable(file, sector, slots);
    }

    // FAT.
    std::vector<uint32_t> fat(plan.fatSectors * kEntriesPerFatSector, kFreeSector);
    for (uint32_t i = 0; i < plan.fatSectors; ++i) fat[i] = kFatSector;
    for (uint32_t i = 0; i < plan.difatSectors; ++i) fat[plan.fatSectors + i] = kDifatSector;
    Chain(fat, plan.directorySector, 1);
    if (plan.miniFatSectors) Chain(fat, plan.miniFatStart, plan.miniFatSectors);
    Chain(fat, plan.dataStart, plan.dataSectors);
    WriteTable(file, 0, fat);

    // The stream's bytes, in sectors or in mini sectors of the mini stream.
    std::copy(stream.begin(), stream.end(), Sector(file, plan.dataStart));
    uint32_t rootStart = kEndOfChain, rootSize = 0, streamStart = plan.dataStart;
    if (inMiniStream) {
        const uint32_t miniSectors = CeilDiv(size, kMiniSectorSize);
        std::vector<uint32_t> miniFat(plan.miniFatSectors * kEntriesPerFatSector, kFreeSector);
        Chain(miniFat, 0, miniSectors);
        WriteTable(file, plan.miniFatStart, miniFat);
        rootStart = plan.dataSectors ? plan.dataStart : kEndOfChain;
        rootSize = miniSectors * kMiniSectorSize;
        streamStart = miniSectors ? 0 : kEndOfChain;
    }

    // Directory: the root storage and its one stream.
    uint8_t* directory = Sector(file, plan.directorySector);
    WriteDirectoryEntry(directory, L"Root Entry", 5, 1, rootStart, rootSize);
    WriteDirectoryEntry(directory + 128, streamName, 2, kNoStream, streamStart, size);
    MarkEntryUnused(directory + 256);
    MarkEntryUnused(directory + 384);
    return file;
}

}  // namespace xls
