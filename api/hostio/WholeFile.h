#pragma once
// Reading a whole image file into memory, for the downloads of both device libraries.

#include <cstdint>
#include <cstdio>
#include <vector>

namespace hostio {

// The file's bytes from its current position to its end; false when reading fails or the memory
// for them cannot be had.
bool ReadWholeFile(std::FILE* file, std::vector<uint8_t>* bytes);
// The whole file at `path`; false when it cannot be opened or read.
bool ReadWholeFile(const wchar_t* path, std::vector<uint8_t>* bytes);

}  // namespace hostio
