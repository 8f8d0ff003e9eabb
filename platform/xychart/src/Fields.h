// Texts made from a format with {field} places, and the number forms the charts print.
#pragma once

#include <map>
#include <string>

namespace xychart::detail {

using Fields = std::map<std::string, std::string>;

// Each {name} becomes the field's value; an unknown name is left as written.
std::string Substitute(const std::string& format, const Fields& fields);
// The same, with every value escaped for an HTML attribute.
std::string SubstituteForHtml(const std::string& format, const Fields& fields);
std::string EscapeHtml(const std::string& text);

// Up to `decimals` decimals, trailing zeros dropped: 12.5, 3, -0.25.
std::string FormatNumber(double value, int decimals = 2);
// An axis label of a scale with this step: "250", "1.5", and K, M and G above 10,000.
std::string FormatTick(double value, double step);

}  // namespace xychart::detail
