// Hot-spot maps: made from a chart's hot spots as HTML <area> tags, and read back from such text
// to find the area under a point.
#pragma once

#include "Chart.h"

#include <map>
#include <string>
#include <vector>

namespace xychart::detail {

std::string WriteImageMap(const std::vector<ChartObject::HotSpot>& spots, const std::string& url,
                          const std::string& query, const std::string& extraAttr);

}  // namespace xychart::detail

struct ImageMapObject {
    struct Area {
        enum Shape { Rect, Circle, Poly, Default } shape = Rect;
        std::vector<long> coords;
        std::map<std::string, std::string> attributes;  // lower-case names, entities decoded
    };

    explicit ImageMapObject(const std::string& map);
    int HotSpotAt(int x, int y);
    const char* Value(const std::string& key);

    std::vector<Area> areas;
    int current = 0;       // 1-based, 0 for none
    std::string answer;    // the last value handed out
};
