#include "core/ConnectAddress.h"

#include <vector>

namespace sorvane {
namespace {

// The value of the leading decimal digits, held at 256 once it passes 255.
unsigned LeadingNumber(const std::wstring& part) {
    unsigned value = 0;
    for (wchar_t c : part) {
        if (c < L'0' || c > L'9') break;
        value = value * 10 + static_cast<unsigned>(c - L'0');
        if (value > 255) return 256;
    }
    return value;
}

}  // namespace

bool ParseDialogAddress(const std::wstring& text, std::array<std::uint8_t, 4>& bytes) {
    std::vector<std::wstring> parts(1);
    for (wchar_t c : text) {
        if (c == L'.') {
            parts.emplace_back();
        } else {
            parts.back() += c;
        }
    }
    if (parts.size() != 4) return false;
    std::array<std::uint8_t, 4> parsed{};
    for (std::size_t i = 0; i < 4; ++i) {
        if (parts[i].empty()) return false;
        const unsigned value = LeadingNumber(parts[i]);
        if (value > 255) return false;
        parsed[i] = static_cast<std::uint8_t>(value);
    }
    bytes = parsed;
    return true;
}

}  // namespace sorvane
