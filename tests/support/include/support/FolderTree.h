#pragma once
// Folders that tests and benchmarks make for their own files and remove when done.

#include <string>

namespace support {

// Removes the folder (its path ending in a backslash) with every file and folder below it.
void RemoveTree(const std::wstring& folder);

}  // namespace support
