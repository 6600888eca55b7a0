#include "plot_model.h"

#include <algorithm>
#include <climits>
#include <cwchar>

namespace {

// Offsets have no bounds: saturate instead of overflowing, far outside any surface.
int ToPixel(double value) {
    if (value >= static_cast<double>(INT_MAX)) return INT_MAX;
    if (value <= static_cast<double>(INT_MIN)) return INT_MIN;
    return static_cast<int>(value);
}

int ToPixel(int64_t value) {
    if (value > INT_MAX) return INT_MAX;
    if (value < INT_MIN) return INT_MIN;
    return static_cast<int>(value);
}

}  // namespace

std::wstring PlotLabelText(int value) {
    wchar_t text[16];
    std::swprintf(text, sizeof text / sizeof text[0], L"% 2d", value);
    return text;
}

std::wstring PlotRatioText(int scale) {
    const long long ratio = static_cast<long long>(scale) * 100;
    wchar_t text[64];
    std::swprintf(text, sizeof text / sizeof text[0], L"（主轴  1:%lld  从轴  1:%lld）", ratio,
                  ratio);
    return text;
}

void CPlotModel::Init(int width, int height) {
    m_nWidth = width;
    m_nHeight = height;
    m_nStep = (height - 40) / 10;
    m_nOriginY = height - 25;
    m_nOffsetX = -5;
    m_nOffsetY = -5;
    m_nScale = 1;
}

bool CPlotModel::AddPoint(int32_t x, int32_t y) {
    if (!m_points.empty() && m_points.back().x == x && m_points.back().y == y) return false;
    m_points.push_back({x, y});
    return true;
}

void CPlotModel::ClearPoints() {
    m_points.clear();
    m_points.shrink_to_fit();
    ++m_nClears;
}

void CPlotModel::ZoomIn() {
    if (m_nScale > 1) m_nScale /= 2;
}

void CPlotModel::ZoomOut() {
    if (m_nScale < kMaxScale) m_nScale *= 2;
}

PlotBox CPlotModel::GridBox() const {
    return {kOriginX, m_nOriginY - 10 * m_nStep, kOriginX + 10 * m_nStep, m_nOriginY};
}

std::vector<PlotLine> CPlotModel::GridLines() const {
    const int o = m_nOriginY;
    const int s = m_nStep;
    std::vector<PlotLine> lines;
    lines.push_back({{kOriginX, 5}, {kOriginX, o}});
    lines.push_back({{kOriginX, o}, {m_nWidth - 15, o}});
    for (int i = 1; i <= 10; ++i)
        lines.push_back({{kOriginX, o - i * s}, {kOriginX + 10 * s, o - i * s}});
    for (int i = 1; i <= 10; ++i)
        lines.push_back({{kOriginX + i * s, o}, {kOriginX + i * s, o - 10 * s}});
    return lines;
}

PlotPixel CPlotModel::ZeroPixel() const {
    return {ToPixel(kOriginX - int64_t{m_nOffsetX} * m_nStep),
            ToPixel(m_nOriginY + int64_t{m_nOffsetY} * m_nStep)};
}

PlotBox CPlotModel::ZeroMarkBox() const {
    const PlotPixel zero = ZeroPixel();
    return {ToPixel(int64_t{zero.x} - 4), ToPixel(int64_t{zero.y} - 4),
            ToPixel(int64_t{zero.x} + 4), ToPixel(int64_t{zero.y} + 4)};
}

std::vector<PlotLabel> CPlotModel::Labels() const {
    const int o = m_nOriginY;
    const int s = m_nStep;
    std::vector<PlotLabel> labels;
    for (int i = 0; i <= 10; ++i) {
        labels.push_back({{kOriginX - 20, o - i * s - 7}, PlotLabelText(m_nOffsetY + i)});
    }
    for (int i = 0; i <= 10; ++i) {
        labels.push_back({{kOriginX + i * s - 7, o + 7}, PlotLabelText(m_nOffsetX + i)});
    }
    return labels;
}

PlotPosition CPlotModel::Map(const PlotPoint& point) const {
    const PlotPixel zero = ZeroPixel();
    const double division = static_cast<double>(m_nScale) * 100.0;
    return {zero.x + point.x / division * m_nStep, zero.y - point.y / division * m_nStep};
}

PlotPixel CPlotModel::PixelOf(const PlotPoint& point) const {
    const PlotPosition place = Map(point);
    return {ToPixel(place.x), ToPixel(place.y)};
}

size_t CPlotModel::AppendPathPixels(size_t first, size_t count,
                                    std::vector<PlotPixel>& pixels) const {
    const size_t start = std::min(first, m_points.size());
    const size_t end = start + std::min(count, m_points.size() - start);
    for (size_t i = start; i < end; ++i) {
        const PlotPixel pixel = PixelOf(m_points[i]);
        if (!pixels.empty() && pixels.back().x == pixel.x && pixels.back().y == pixel.y) continue;
        pixels.push_back(pixel);
    }
    return end;
}

PlotBox CPlotModel::EndMarkBox() const {
    if (m_points.empty()) return {0, 0, 0, 0};
    const PlotPosition place = Map(m_points.back());
    return {ToPixel(place.x - 2), ToPixel(place.y - 2), ToPixel(place.x + 2), ToPixel(place.y + 2)};
}
