// The trajectory plot's geometry, zoom, offsets and point list, without a surface: where
// every line, label, mark and path vertex of a redraw goes, in the control's pixels.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
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

// What places the points on the grid: a picture drawn for one view shows a new point of
// the same view by adding to it.
struct PlotView {
    int scale;
    int offsetX;
    int offsetY;
    bool operator==(const PlotView& other) const {
        return scale == other.scale && offsetX == other.offsetX && offsetY == other.offsetY;
    }
    bool operator!=(const PlotView& other) const { return !(*this == other); }
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
    void ClearPoints();
    // Every distinct point of the run, in blocks: a long path grows without copying.
    const std::deque<PlotPoint>& Points() const { return m_points; }
    // Counts the times the list was emptied: a picture drawn from the list is of the
    // present one only while this stays the same.
    uint64_t Clears() const { return m_nClears; }

    void ZoomIn();
    void ZoomOut();
    int GetScale() const { return m_nScale; }
    void MoveLeft() { ++m_nOffsetX; }
    void MoveRight() { --m_nOffsetX; }
    void MoveUp() { --m_nOffsetY; }
    void MoveDown() { ++m_nOffsetY; }
    int OffsetX() const { return m_nOffsetX; }
    int OffsetY() const { return m_nOffsetY; }
    PlotView View() const { return {m_nScale, m_nOffsetX, m_nOffsetY}; }

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
    // The pixels of the points from index first on, at most count of them, appended to
    // pixels without the repeats of a pixel in a row (a segment of no length draws
    // nothing); gives the index after the last point taken.
    size_t AppendPathPixels(size_t first, size_t count, std::vector<PlotPixel>& pixels) const;
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
    uint64_t m_nClears = 0;
    std::deque<PlotPoint> m_points;
};
