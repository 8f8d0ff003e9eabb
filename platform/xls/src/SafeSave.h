// Writing a file so that it appears whole or not at all.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace xls {

// Writes `bytes` to a temporary file in the folder of `path`, flushes it, then moves it over `path`.
// On failure nothing at `path` has changed, the temporary file is gone and `error` says why.
bool ReplaceFileWhole(const std::wstring& path, const std::vector<uint8_t>& bytes, std::wstring* error);

}  // namespace xls
