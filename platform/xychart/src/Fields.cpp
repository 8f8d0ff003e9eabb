#include "Fields.h"

#include <cmath>
#include <cstdio>

namespace xychart::detail {
namespace {

std::string SubstituteWith(const std::string& format, const Fields& fields, bool html) {
    std::string out;
    size_t at = 0;
    while (at < format.size()) {
        size_t open = format.find('{', at);
        size_t close = open == std::string::npos ? std::string::npos : format.find('}', open);
        if (close == std::string::npos) {
            out.append(format, at, std::string::npos);
            break;
        }
        out.append(format, at, open - at);
        auto found = fields.find(format.substr(open + 1, close - open - 1));
        if (found == fields.end()) {
            out.append(format, open, close - open + 1);
        } else {
            out += html ? EscapeHtml(found->second) : found->second;
        }
        at = close + 1;
    }
    return out;
}

}  // namespace

std::string Substitute(const std::string& format, const Fields& fields) { return SubstituteWith(format, fields, false); }

std::string SubstituteForHtml(const std::string& format, const Fields& fields) {
    return SubstituteWith(format, fields, true);
}

std::string EscapeHtml(const std::string& text) {
    std::string out;
    for (char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '\'': out += "&#39;"; break;
        default: out += c;
        }
    }
    return out;
}

std::string FormatNumber(double value, int decimals) {
    if (!std::isfinite(value)) return "0";
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    std::string out = text;
    if (out.find('.') != std::string::npos) {
        while (out.back() == '0') out.pop_back();
        if (out.back() == '.') out.pop_back();
    }
    if (out == "-0") out = "0";
    return out;
}

std::string FormatTick(double value, double step) {
    struct Unit {
        double size;
        const char* suffix;
    };
    static const Unit kUnits[] = {{1e9, "G"}, {1e6, "M"}, {1e3, "K"}};
    for (const Unit& unit : kUnits) {
        if (std::fabs(value) >= 10 * unit.size || (std::fabs(value) >= unit.size && step >= unit.size)) {
            int decimals = step >= unit.size ? 0 : static_cast<int>(std::ceil(-std::log10(step / unit.size)));
            return FormatNumber(value / unit.size, decimals < 0 ? 0 : decimals) + unit.suffix;
        }
    }
    int decimals = step >= 1 ? 0 : static_cast<int>(std::ceil(-std::log10(step) - 1e-9));
    return FormatNumber(value, decimals);
}

}  // namespace xychart::detail
