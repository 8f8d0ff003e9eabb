#include "WholeFile.h"

#include <memory>
#include <new>

namespace hostio {

bool ReadWholeFile(std::FILE* file, std::vector<uint8_t>* bytes) {
    if (!file) return false;
    bytes->clear();
    // Read by blocks: a stream's length is not known in advance.
    uint8_t buffer[65536];
    try {
        size_t got;
        while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) bytes->insert(bytes->end(), buffer, buffer + got);
    } catch (const std::bad_alloc&) {
        return false;
    }
    return !std::ferror(file);
}

bool ReadWholeFile(const wchar_t* path, std::vector<uint8_t>* bytes) {
    const std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(path ? _wfopen(path, L"rb") : nullptr, std::fclose);
    return file && ReadWholeFile(file.get(), bytes);
}

}  // namespace hostio
