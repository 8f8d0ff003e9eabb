#include "support/PeImage.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>

namespace {

struct Section {
    uint32_t virtualAddress, virtualSize, rawOffset, rawSize;
};

class Reader {
public:
    explicit Reader(std::vector<uint8_t> data) : data_(std::move(data)) {}
    bool Has(size_t at, size_t size) const { return at <= data_.size() && size <= data_.size() - at; }
    uint16_t U16(size_t at) const { return Has(at, 2) ? uint16_t(data_[at] | data_[at + 1] << 8) : 0; }
    uint32_t U32(size_t at) const { return Has(at, 4) ? uint32_t(U16(at) | uint32_t(U16(at + 2)) << 16) : 0; }
    std::string Text(size_t at) const {
        std::string text;
        while (Has(at, 1) && data_[at]) text += char(data_[at++]);
        return text;
    }
    // File offset of an RVA, or 0 when no section holds it.
    size_t Offset(uint32_t rva, const std::vector<Section>& sections) const {
        for (auto& s : sections) {
            if (rva >= s.virtualAddress && rva < s.virtualAddress + std::max(s.virtualSize, s.rawSize)) {
                return rva - s.virtualAddress + s.rawOffset;
            }
        }
        return 0;
    }

private:
    std::vector<uint8_t> data_;
};

}  // namespace

namespace support {

PeImage ReadPeImage(const std::string& path) {
    PeImage image;
    std::ifstream file(path, std::ios::binary);
    Reader r(std::vector<uint8_t>(std::istreambuf_iterator<char>(file), {}));
    if (r.U16(0) != 0x5A4D) return image;
    const uint32_t pe = r.U32(0x3C);
    if (r.U32(pe) != 0x00004550) return image;
    image.machine = r.U16(pe + 4);
    const uint16_t sectionCount = r.U16(pe + 6);
    const uint16_t optionalSize = r.U16(pe + 20);
    image.characteristics = r.U16(pe + 22);
    const size_t optional = pe + 24;
    image.magic = r.U16(optional);
    if (image.magic != 0x20B) return image;
    image.entryPoint = r.U32(optional + 16);
    image.subsystem = r.U16(optional + 68);
    const size_t directories = optional + 112;  // PE32+ data directories
    const uint32_t exportRva = r.U32(directories);
    const uint32_t importRva = r.U32(directories + 8);
    image.hasResources = r.U32(directories + 16) != 0;

    std::vector<Section> sections;
    const size_t table = optional + optionalSize;
    for (uint16_t i = 0; i < sectionCount; ++i) {
        const size_t s = table + 40 * i;
        sections.push_back({r.U32(s + 12), r.U32(s + 8), r.U32(s + 20), r.U32(s + 16)});
    }
    if (exportRva) {
        const size_t dir = r.Offset(exportRva, sections);
        const uint32_t names = r.U32(dir + 24);
        const size_t nameTable = r.Offset(r.U32(dir + 32), sections);
        for (uint32_t i = 0; i < names; ++i) image.exports.insert(r.Text(r.Offset(r.U32(nameTable + 4 * i), sections)));
    }
    if (importRva) {
        for (size_t d = r.Offset(importRva, sections); r.U32(d + 12); d += 20) {
            image.imports.push_back(r.Text(r.Offset(r.U32(d + 12), sections)));
        }
    }
    image.valid = true;
    return image;
}

std::set<std::string> ReadDefExports(const std::string& path) {
    std::ifstream file(path);
    std::set<std::string> names;
    std::string line;
    bool inExports = false;
    while (std::getline(file, line)) {
        line = line.substr(0, line.find(';'));
        std::istringstream words(line);
        std::string word;
        if (!(words >> word)) continue;
        if (word == "EXPORTS") {
            inExports = true;
            continue;
        }
        if (word == "LIBRARY" || word == "NAME") {
            inExports = false;
            continue;
        }
        // "name", "name=internal" or "name @ordinal": the exported name comes first.
        if (inExports) names.insert(word.substr(0, word.find('=')));
    }
    return names;
}

}  // namespace support
