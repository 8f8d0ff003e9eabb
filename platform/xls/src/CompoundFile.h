// The compound document container (version 3, 512-byte sectors) that holds the workbook stream.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace xls {

// The bytes of a compound document whose root storage holds one stream, `streamName`, with
// `stream` as its contents. Streams below the 4096-byte cutoff live in the mini stream, as the
// container's rules require of every reader and writer.
std::vector<uint8_t> BuildCompoundFile(const std::wstring& streamName, const std::vector<uint8_t>& stream);

}  // namespace xls
