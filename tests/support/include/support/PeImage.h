#pragma once
// A reader of the headers, export table and imports of a PE image file, read from the file as a
// loader would find it (not from a mapped module).

#include <cstdint>
#include <set>
#include <string>
#include <vector>

namespace support {

struct PeImage {
    bool valid = false;          // MZ and PE signatures present and the headers in range
    uint16_t magic = 0;          // 0x20B for PE32+
    uint16_t machine = 0;        // 0x8664 for x86-64
    uint16_t characteristics = 0;
    uint16_t subsystem = 0;      // 2 GUI, 3 console
    uint32_t entryPoint = 0;
    bool hasResources = false;
    std::set<std::string> exports;
    std::vector<std::string> imports;  // imported DLL names

    bool IsDll() const { return characteristics & 0x2000; }
};

PeImage ReadPeImage(const std::string& path);

// The names under EXPORTS in a module-definition file.
std::set<std::string> ReadDefExports(const std::string& path);

}  // namespace support
