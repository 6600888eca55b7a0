// The trajectory plot's geometry, zoom, offsets and point list, without a surface: where
// every line, label, mark and path vertex of a redraw goes, in the control's pixels.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct PlotPoint {
    int32_t x;  // main axis, pulses
    int32_t y;  // slave axis, pulses
};

struct PlotPixel {
    int x;
    int y;
};

struct PlotLine {
    PlotPixel from;
    PlotPixel to;  // the end pixel is left out when drawn
};

struct PlotBox {
    int left;
    int top;
    int right;
    int bottom;
};

struct PlotLabel {
    PlotPixel topLeft;
    std::wstring text;
};

// A value of the plot in pixels before truncation.
struct PlotPosition {
    double x;
    double y;
};

// "% 2d": a space before a non-negative number, none before a minus sign.
std::wstring PlotLabelText(int value);

// The zoom ratio text the two-axis page shows for a scale.
std::wstring PlotRatioText(int scale);

class CPlotModel {
public:
    static constexpr int kOriginX = 35;
    static constexpr int kMaxScale = 16777216;

    // Geometry of a client rectangle whose left and top are 0.
    void Init(int width, int height);

    // Appends unless the point equals the last one; true when appended.
    bool AddPoint(int32_t x, int32_t y);
    void ClearPoints() { m_points.clear(); }
    const std::vector<PlotPoint>& Points() const { return m_points; }

    void ZoomIn();
    void ZoomOut();
    int GetScale() const { return m_nScale; }
    void MoveLeft() { ++m_nOffsetX; }
    void MoveRight() { --m_nOffsetX; }
    void MoveUp() { --m_nOffsetY; }
    void MoveDown() { ++m_nOffsetY; }
    int OffsetX() const { return m_nOffsetX; }
    int OffsetY() const { return m_nOffsetY; }

    int Width() const { return m_nWidth; }
    int Height() const { return m_nHeight; }
    int Step() const { return m_nStep; }
    int OriginY() const { return m_nOriginY; }

    // The grid square, which also clips the path.
    PlotBox GridBox() const;
    // The two axes, then the ten horizontal and the ten vertical grid lines.
    std::vector<PlotLine> GridLines() const;
    // Pixel of position 0 at the current offsets.
    PlotPixel ZeroPixel() const;
    // The mark of position 0, drawn even outside the grid.
    PlotBox ZeroMarkBox() const;
    // The eleven labels of the vertical axis, then the eleven of the horizontal one.
    std::vector<PlotLabel> Labels() const;

    // A point's place before truncation: the division first, then the product with the step.
    PlotPosition Map(const PlotPoint& point) const;
    // A point's pixel: the mapped place truncated toward zero.
    PlotPixel PixelOf(const PlotPoint& point) const;
    // The pixels of every point in order; empty when there are fewer than two points, since
    // no path is drawn then.
    std::vector<PlotPixel> PathPixels() const;
    // The mark at the last point, from its unrounded place; only meaningful with a path.
    PlotBox EndMarkBox() const;

private:
    int m_nWidth = 0;
    int m_nHeight = 0;
    int m_nStep = 0;
    int m_nOriginY = 0;
    int m_nOffsetX = -5;
    int m_nOffsetY = -5;
    int m_nScale = 1;
    std::vector<PlotPoint> m_points;
};
