// The BIFF8 workbook stream: the global records (fonts, formats, sheet list, shared strings) and one
// substream a sheet.
#pragma once

#include "SheetContents.h"

#include <cstdint>
#include <vector>

namespace xls {

std::vector<uint8_t> BuildWorkbookStream(const std::vector<const SheetContents*>& sheets);

}  // namespace xls
