// A pie: sectors clockwise from twelve o'clock, labels around it that never overlap, and one hot
// spot a sector.
#pragma once

#include "Chart.h"

namespace xychart::detail {

struct PieDrawing : ChartObject {
    PieDrawing(int w, int h, int bg, int edge) : ChartObject(w, h, bg, edge) {}

    int centerX = 0, centerY = 0, radius = 0;
    std::vector<double> values;
    std::vector<std::wstring> labels;
    std::vector<int> colors;
    std::string labelFormat = "{label} ({percent}%)";
    int labelLayout = kLabelsOnCircle;
    int labelGap = -1;  // the library's choice
    TextStyle labelStyle;
    int labelFill = kTransparent;
    int glare = 0, glareSide = 8, bevel = 0, cornerRadius = 0;
    int shading = kFlatShading;
    int sectorEdge = kTransparent;
    int sectorEdgeWidth = 1;

    int SectorColor(size_t index) const;
    // Percent of the whole that item `index` is; 0 when the whole is 0.
    double Percent(size_t index) const;

protected:
    void Place() override;
    void Draw(Canvas& canvas) override;
    std::vector<LegendEntry> LegendEntries() const override;

private:
    Fields ItemFields(size_t index) const;
    void DrawLabels(Canvas& canvas, const std::vector<double>& middles);
    // One sector of the disc (start and sweep in degrees, clockwise from three o'clock).
    void FillSector(Gdiplus::Graphics& g, const Gdiplus::Brush& brush, double start, double sweep) const;
};

}  // namespace xychart::detail
