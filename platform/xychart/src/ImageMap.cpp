#include "ImageMap.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

namespace xychart::detail {

std::string WriteImageMap(const std::vector<ChartObject::HotSpot>& spots, const std::string& url,
                          const std::string& query, const std::string& extraAttr) {
    std::string map;
    for (const ChartObject::HotSpot& spot : spots) {
        map += "<area shape=\"poly\" coords=\"";
        for (size_t i = 0; i < spot.outline.size(); ++i) {
            if (i) map += ',';
            map += std::to_string(spot.outline[i].x) + ',' + std::to_string(spot.outline[i].y);
        }
        map += '"';
        if (!url.empty()) {
            std::string href = url;
            if (!query.empty()) href += (url.find('?') == std::string::npos ? "?" : "&") + Substitute(query, spot.fields);
            map += " href=\"" + EscapeHtml(href) + '"';
        }
        if (!extraAttr.empty()) map += ' ' + SubstituteForHtml(extraAttr, spot.fields);
        map += ">\n";
    }
    return map;
}

}  // namespace xychart::detail

namespace {

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

void AppendUtf8(std::string& out, unsigned long code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x110000) {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

std::string DecodeEntities(const std::string& text) {
    static const std::pair<const char*, const char*> kNamed[] = {
        {"amp", "&"}, {"lt", "<"}, {"gt", ">"}, {"quot", "\""}, {"apos", "'"}, {"nbsp", "\xC2\xA0"}};
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        size_t end = text[i] == '&' ? text.find(';', i) : std::string::npos;
        if (end == std::string::npos || end - i > 10) {
            out += text[i];
            continue;
        }
        std::string name = text.substr(i + 1, end - i - 1);
        bool done = false;
        if (name.size() > 1 && name[0] == '#') {
            char* stop = nullptr;
            unsigned long code = name[1] == 'x' || name[1] == 'X' ? std::strtoul(name.c_str() + 2, &stop, 16)
                                                                  : std::strtoul(name.c_str() + 1, &stop, 10);
            if (stop != nullptr && *stop == 0) {
                AppendUtf8(out, code);
                done = true;
            }
        }
        for (const auto& named : kNamed) {
            if (!done && name == named.first) {
                out += named.second;
                done = true;
            }
        }
        if (done) {
            i = end;
        } else {
            out += text[i];
        }
    }
    return out;
}

bool InPolygon(const std::vector<long>& c, int x, int y) {
    // Crossing count of a ray to the right of the point, over edges (x[i], y[i]) - (x[j], y[j]).
    const size_t n = c.size() / 2;
    bool inside = false;
    for (size_t i = 0, j = n - 1; i < n; j = i++) {
        const double xi = c[2 * i], yi = c[2 * i + 1], xj = c[2 * j], yj = c[2 * j + 1];
        if ((yi > y) != (yj > y) && x < (xj - xi) * (y - yi) / (yj - yi) + xi) inside = !inside;
    }
    return inside;
}

}  // namespace

ImageMapObject::ImageMapObject(const std::string& map) {
    const std::string lower = Lower(map);
    size_t at = 0;
    while ((at = lower.find("<area", at)) != std::string::npos) {
        size_t end = at + 5;
        Area area;
        // Attributes: name, optional '=' and a value in single or double quotes, or bare.
        while (end < map.size() && map[end] != '>') {
            if (std::isspace(static_cast<unsigned char>(map[end])) || map[end] == '/') {
                ++end;
                continue;
            }
            size_t nameStart = end;
            while (end < map.size() && map[end] != '=' && map[end] != '>' && !std::isspace(static_cast<unsigned char>(map[end]))) ++end;
            std::string name = Lower(map.substr(nameStart, end - nameStart));
            std::string value;
            while (end < map.size() && std::isspace(static_cast<unsigned char>(map[end]))) ++end;
            if (end < map.size() && map[end] == '=') {
                ++end;
                while (end < map.size() && std::isspace(static_cast<unsigned char>(map[end]))) ++end;
                if (end < map.size() && (map[end] == '"' || map[end] == '\'')) {
                    const char quote = map[end];
                    size_t close = map.find(quote, end + 1);
                    if (close == std::string::npos) close = map.size();
                    value = map.substr(end + 1, close - end - 1);
                    end = std::min(close + 1, map.size());
                } else {
                    size_t valueStart = end;
                    while (end < map.size() && map[end] != '>' && !std::isspace(static_cast<unsigned char>(map[end]))) ++end;
                    value = map.substr(valueStart, end - valueStart);
                }
            }
            if (!name.empty()) area.attributes[name] = DecodeEntities(value);
        }
        const std::string shape = Lower(area.attributes["shape"]);
        area.shape = shape == "circle" || shape == "circ" ? Area::Circle
                     : shape == "poly" || shape == "polygon" ? Area::Poly
                     : shape == "default" ? Area::Default
                                          : Area::Rect;
        const std::string& coords = area.attributes["coords"];
        for (size_t i = 0; i < coords.size();) {
            char* stop = nullptr;
            long value = std::strtol(coords.c_str() + i, &stop, 10);
            if (stop == coords.c_str() + i) {
                ++i;
                continue;
            }
            area.coords.push_back(value);
            i = static_cast<size_t>(stop - coords.c_str());
        }
        areas.push_back(std::move(area));
        at = end;
    }
}

int ImageMapObject::HotSpotAt(int x, int y) {
    current = 0;
    for (size_t i = 0; i < areas.size() && current == 0; ++i) {
        const Area& a = areas[i];
        const std::vector<long>& c = a.coords;
        bool hit = false;
        switch (a.shape) {
        case Area::Rect:
            hit = c.size() >= 4 && x >= std::min(c[0], c[2]) && x < std::max(c[0], c[2]) && y >= std::min(c[1], c[3]) &&
                  y < std::max(c[1], c[3]);
            break;
        case Area::Circle:
            hit = c.size() >= 3 && double(x - c[0]) * (x - c[0]) + double(y - c[1]) * (y - c[1]) <= double(c[2]) * c[2];
            break;
        case Area::Poly:
            hit = c.size() >= 6 && InPolygon(c, x, y);
            break;
        case Area::Default:
            hit = true;
            break;
        }
        if (hit) current = static_cast<int>(i) + 1;
    }
    return current;
}

const char* ImageMapObject::Value(const std::string& key) {
    if (current <= 0) return nullptr;
    auto& attributes = areas[static_cast<size_t>(current) - 1].attributes;
    const std::string name = Lower(key);
    if (name == "path" || name == "query") {
        auto href = attributes.find("href");
        if (href == attributes.end()) return nullptr;
        const size_t mark = href->second.find('?');
        answer = name == "path" ? href->second.substr(0, mark) : mark == std::string::npos ? "" : href->second.substr(mark + 1);
        return answer.c_str();
    }
    auto found = attributes.find(name);
    if (found == attributes.end()) return nullptr;
    answer = found->second;
    return answer.c_str();
}
