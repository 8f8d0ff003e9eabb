// The IPv4 address a user types into the connect dialog.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace sorvane {

// Splits at "." into exactly four non-empty parts, each read as a decimal number from its leading
// digits (0 when there are none) that must lie in 0..255. A long run of digits saturates instead of
// wrapping round into that range. On success `bytes` holds the numbers, the first one first.
bool ParseDialogAddress(const std::wstring& text, std::array<std::uint8_t, 4>& bytes);

}  // namespace sorvane
