// The trajectory plot drawn into its off-screen surface in a real window (Xvfb): what the
// operator sees, read back pixel by pixel.
#include <gtest/gtest.h>
#include <windows.h>

#include <climits>
#include <cstdint>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "DrawStatic.h"

namespace {

constexpr COLORREF kBack = RGB(55, 164, 196);
constexpr COLORREF kGreen = RGB(0, 255, 0);
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kWhite = RGB(255, 255, 255);
// A client height of 340 gives 30 pixels per division and the grid's bottom at 315.
constexpr int kWidth = 360;
constexpr int kHeight = 340;

// The pixels of the bitmap selected into a memory device context, rows top down.
std::vector<uint32_t> BitmapPixels(HDC dc, int width, int height) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    std::vector<uint32_t> pixels(static_cast<size_t>(width) * height);
    const HBITMAP bitmap = static_cast<HBITMAP>(GetCurrentObject(dc, OBJ_BITMAP));
    GetDIBits(dc, bitmap, 0, height, pixels.data(), &info, DIB_RGB_COLORS);
    return pixels;
}

// What the window shows on the screen, copied out through a memory bitmap.
std::vector<uint32_t> ScreenPixels(HWND hwnd, int width, int height) {
    const CClientDC window(hwnd);
    const CMemDC memory(window.Get());
    const CBitmap bitmap(CreateCompatibleBitmap(window.Get(), width, height));
    const CSelectObject selected(memory.Get(), bitmap.Get());
    BitBlt(memory.Get(), 0, 0, width, height, window.Get(), 0, 0, SRCCOPY);
    return BitmapPixels(memory.Get(), width, height);
}

// Empty when equal; else how many pixels differ and the first few of them.
std::string Difference(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b) {
    if (a.size() != b.size()) return "sizes differ";
    size_t count = 0;
    std::ostringstream first;
    for (size_t i = 0; i < a.size(); ++i) {
        if (a[i] == b[i]) continue;
        if (count++ < 5) {
            first << " (" << i % kWidth << ", " << i / kWidth << ") " << std::hex << a[i] << " for "
                  << b[i] << std::dec;
        }
    }
    if (count == 0) return std::string();
    return std::to_string(count) + " pixels differ:" + first.str();
}

class PlotSurfaceTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_hwnd = CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 0, 0, kWidth, kHeight,
                                 nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(m_hwnd, nullptr);
        ASSERT_TRUE(m_plot.SubclassWindow(m_hwnd));
        m_plot.InitDraw();
        ASSERT_NE(m_plot.Surface(), nullptr);
    }
    void TearDown() override { m_plot.DestroyWindow(); }

    COLORREF At(int x, int y) const { return GetPixel(m_plot.Surface(), x, y); }
    // Red pixels inside (or outside) the box.
    int CountRed(const PlotBox& box, bool inside) const {
        int count = 0;
        for (int y = 0; y < kHeight; ++y) {
            for (int x = 0; x < kWidth; ++x) {
                const bool in = x >= box.left && x < box.right && y >= box.top && y < box.bottom;
                if (in == inside && At(x, y) == kRed) ++count;
            }
        }
        return count;
    }

    HWND m_hwnd = nullptr;
    CDrawStatic m_plot;
};

TEST_F(PlotSurfaceTest, EmptyPictureIsDrawnAtInitialisation) {
    // Background away from grid and labels.
    EXPECT_EQ(At(kWidth - 3, 3), kBack);
    EXPECT_EQ(At(20, 3), kBack);
    // Vertical axis, a horizontal grid line and a vertical grid line.
    EXPECT_EQ(At(35, 100), kGreen);
    EXPECT_EQ(At(100, 315 - 30 * 3), kGreen);
    EXPECT_EQ(At(35 + 30 * 7, 200), kGreen);
    // Between grid lines: background.
    EXPECT_EQ(At(35 + 15, 315 - 15), kBack);
    // The zero mark at the grid's centre: white inside, red rim; no path yet.
    EXPECT_EQ(At(185, 165), kWhite);
    EXPECT_EQ(CountRed(m_plot.Model().ZeroMarkBox(), false), 0);
}

TEST_F(PlotSurfaceTest, PathBetweenTwoPointsIsRed) {
    m_plot.AddPoint(0, 0);
    m_plot.AddPoint(200, -200);  // two divisions right, two down: (245, 225)
    // Along the diagonal from (185, 165), outside the zero mark and the end mark.
    for (int d = 10; d <= 50; d += 10) EXPECT_EQ(At(185 + d, 165 + d), kRed) << d;
    // Beside the diagonal it is not.
    EXPECT_NE(At(185 + 30, 165 + 10), kRed);
    // It ends at the last point.
    EXPECT_NE(At(245 + 6, 225 + 6), kRed);
}

TEST_F(PlotSurfaceTest, RepeatedPointStoredOnce) {
    m_plot.AddPoint(100, 100);
    m_plot.AddPoint(100, 100);
    EXPECT_EQ(m_plot.Model().Points().size(), 1u);
    // One point: no path and no end mark, only the zero mark's rim is red.
    EXPECT_EQ(CountRed(m_plot.Model().ZeroMarkBox(), false), 0);
}

TEST_F(PlotSurfaceTest, NothingRedOutsideTheGrid) {
    m_plot.AddPoint(0, 0);
    m_plot.AddPoint(5000, 2000);  // fifty divisions right: far outside the grid
    const PlotBox grid = m_plot.Model().GridBox();
    EXPECT_GT(CountRed(grid, true), 100);
    EXPECT_EQ(CountRed(grid, false), 0);
}

TEST_F(PlotSurfaceTest, ZeroMarkDrawnOutsideTheGrid) {
    for (int i = 0; i < 6; ++i) m_plot.MoveLeft();  // offset +1: zero one division left of it
    m_plot.AddPoint(0, 0);
    const PlotPixel zero = m_plot.Model().ZeroPixel();
    ASSERT_LT(zero.x, m_plot.Model().GridBox().left);
    EXPECT_EQ(At(zero.x, zero.y), kWhite);
    EXPECT_EQ(At(zero.x - 4, zero.y), kRed);
}

TEST_F(PlotSurfaceTest, ClearedListRedrawsWithoutPath) {
    m_plot.AddPoint(0, 0);
    m_plot.AddPoint(300, 0);
    EXPECT_EQ(At(185 + 45, 165), kRed);
    m_plot.ClearPoints();
    // The picture stays until the next point, which starts a new list of one.
    EXPECT_EQ(At(185 + 45, 165), kRed);
    m_plot.AddPoint(300, 0);
    EXPECT_NE(At(185 + 45, 165), kRed);
}

TEST_F(PlotSurfaceTest, ZoomChangesThePathAtTheNextPoint) {
    m_plot.AddPoint(0, 0);
    m_plot.AddPoint(400, 0);  // four divisions at scale 1
    EXPECT_EQ(At(185 + 100, 165), kRed);
    m_plot.ZoomOut();         // two divisions at scale 2
    m_plot.AddPoint(400, 0);  // same point: not stored, but redrawn
    EXPECT_NE(At(185 + 100, 165), kRed);
    EXPECT_EQ(At(185 + 40, 165), kRed);
}

// A poll's point costs its own segment however long the path is: drawing the whole path at
// every point gives the same picture, but a tick at a million points takes fifty times as
// long.
TEST_F(PlotSurfaceTest, APointDrawsOnlyItsOwnSegmentAtAnyPathLength) {
    // Consecutive points of the walk lie on different pixels.
    const auto walk = [](size_t i) {
        return PlotPoint{static_cast<int32_t>(i % 7) * 50 - 150,
                         static_cast<int32_t>(i % 5) * 50 - 100};
    };
    size_t length = 0;
    for (const size_t grown : {size_t{1}, size_t{100}, size_t{5000}, size_t{300000}}) {
        // Grown under the picture, the list is drawn whole at the next point.
        for (; length < grown; ++length) m_plot.Model().AddPoint(walk(length).x, walk(length).y);
        m_plot.AddPoint(walk(length).x, walk(length).y);
        ++length;
        EXPECT_EQ(m_plot.LastAddWork().pointsMapped, length);
        EXPECT_EQ(m_plot.LastAddWork().segmentsDrawn, length - 1);
        // Then each new point maps the last one and itself, and draws the segment between.
        for (int i = 0; i < 3; ++i, ++length) {
            m_plot.AddPoint(walk(length).x, walk(length).y);
            EXPECT_EQ(m_plot.LastAddWork().pointsMapped, 2u) << "at " << length << " points";
            EXPECT_EQ(m_plot.LastAddWork().segmentsDrawn, 1u) << "at " << length << " points";
        }
        // The same point again: nothing.
        m_plot.AddPoint(walk(length - 1).x, walk(length - 1).y);
        EXPECT_EQ(m_plot.LastAddWork().pointsMapped, 0u) << "at " << length << " points";
        EXPECT_EQ(m_plot.LastAddWork().segmentsDrawn, 0u) << "at " << length << " points";
    }
    // A zoom has the next point bring the whole picture again.
    m_plot.ZoomOut();
    m_plot.AddPoint(walk(length).x, walk(length).y);
    EXPECT_EQ(m_plot.LastAddWork().pointsMapped, length + 1);
}

// One plot fed as the page feeds it, drawing only what each point adds; a second one fed the
// same and drawn whole after every step gives the picture it must equal, on its surface and
// on the screen.
class PlotIncrementalTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_hwnd = CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 0, 0, kWidth, kHeight,
                                 nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        m_hwndFull = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, kWidth, kHeight, nullptr,
                                     nullptr, GetModuleHandleW(nullptr), nullptr);
        ASSERT_TRUE(m_hwnd != nullptr && m_hwndFull != nullptr);
        ASSERT_TRUE(m_plot.SubclassWindow(m_hwnd));
        ASSERT_TRUE(m_full.SubclassWindow(m_hwndFull));
        m_plot.InitDraw();
        m_full.InitDraw();
        UpdateWindow(m_hwnd);
    }
    void TearDown() override {
        m_plot.DestroyWindow();
        m_full.DestroyWindow();
    }

    // The same operation on both plots.
    void Both(const std::function<void(CDrawStatic&)>& step) {
        step(m_plot);
        step(m_full);
    }
    // A point to both; the second is drawn whole. The first's surface must equal it, and
    // so must its window once the invalidated part has been painted.
    void Add(int x, int y) {
        Both([&](CDrawStatic& plot) { plot.AddPoint(x, y); });
        m_full.Redraw();
        const std::vector<uint32_t> full = BitmapPixels(m_full.Surface(), kWidth, kHeight);
        EXPECT_EQ(Difference(BitmapPixels(m_plot.Surface(), kWidth, kHeight), full), "")
            << "surface after (" << x << ", " << y << ")";
        UpdateWindow(m_hwnd);
        EXPECT_EQ(Difference(ScreenPixels(m_hwnd, kWidth, kHeight), full), "")
            << "screen after (" << x << ", " << y << ")";
    }
    // The part of the window a point invalidated (empty when none).
    RECT InvalidatedBy(int x, int y) {
        UpdateWindow(m_hwnd);
        Both([&](CDrawStatic& plot) { plot.AddPoint(x, y); });
        RECT area = {};
        GetUpdateRect(m_hwnd, &area, FALSE);
        UpdateWindow(m_hwnd);
        return area;
    }

    HWND m_hwnd = nullptr;
    HWND m_hwndFull = nullptr;
    CDrawStatic m_plot;
    CDrawStatic m_full;
};

TEST_F(PlotIncrementalTest, GrowingPathEqualsFullRedraw) {
    // A walk that turns round the centre, crosses the grid's edges on every side (the end
    // mark half outside too), goes far outside and comes back, and stops now and then.
    uint32_t seed = 12345;
    const auto next = [&seed](int range) {
        seed = seed * 1103515245u + 12345u;
        return static_cast<int>((seed >> 16) % static_cast<uint32_t>(range)) - range / 2;
    };
    int x = 0, y = 0;
    for (int i = 0; i < 120; ++i) {
        if (i % 7 == 3) {
            Add(x, y);  // the same point again
            continue;
        }
        x += next(160);
        y += next(160);
        if (i % 40 == 20) x = 505;   // the end mark across the right edge
        if (i % 40 == 30) y = -498;  // across the bottom edge
        Add(x, y);
    }
    Add(1000000, -3000);
    Add(INT_MAX, INT_MIN);
    Add(INT_MIN, 200);
    Add(0, 0);
}

TEST_F(PlotIncrementalTest, ViewChangesAndClearEqualFullRedraw) {
    Add(0, 0);
    Add(300, 120);
    Add(-250, 400);
    // Zoom and offsets show at the next point, repeated or new.
    Both([](CDrawStatic& plot) { plot.ZoomOut(); });
    Add(-250, 400);
    Add(-600, 700);
    Both([](CDrawStatic& plot) { plot.MoveLeft(); });
    Both([](CDrawStatic& plot) { plot.MoveUp(); });
    Add(-600, 700);
    Add(100, -900);
    Both([](CDrawStatic& plot) { plot.ZoomIn(); });
    Both([](CDrawStatic& plot) { plot.MoveDown(); });
    Add(200, -300);
    // A change undone before the next point leaves nothing to redraw, and still equals.
    Both([](CDrawStatic& plot) { plot.MoveRight(); });
    Both([](CDrawStatic& plot) { plot.MoveLeft(); });
    Add(220, -320);
    // After a clear: one point, no path; then a new path from there.
    Both([](CDrawStatic& plot) { plot.ClearPoints(); });
    Add(220, -320);
    Add(-100, 50);
    Add(-120, 80);
    // Emptied and refilled to the length drawn, through the model alone: the next point
    // still brings the whole new picture.
    Both([](CDrawStatic& plot) {
        plot.ClearPoints();
        plot.Model().AddPoint(-400, -400);
        plot.Model().AddPoint(400, -400);
        plot.Model().AddPoint(400, 400);
    });
    Add(-400, 400);
}

TEST_F(PlotIncrementalTest, LongPathDrawnWholeEqualsPointByPoint) {
    // More points than one polyline call of a whole redraw takes, back and forth on one
    // segment, then on another far off: the jump between them crosses the pieces' seam.
    const POINT ends[] = {{0, 100}, {100, 0}, {-400, -300}, {-300, -400}};
    for (int i = 0; i < 6000; ++i) {
        const POINT p = ends[(i < 4096 ? 0 : 2) + i % 2];
        m_plot.AddPoint(p.x, p.y);
        m_full.Model().AddPoint(p.x, p.y);
    }
    m_full.Redraw();
    EXPECT_EQ(Difference(BitmapPixels(m_plot.Surface(), kWidth, kHeight),
                         BitmapPixels(m_full.Surface(), kWidth, kHeight)),
              "");
}

TEST_F(PlotIncrementalTest, OnlyWhatChangedIsInvalidated) {
    const RECT none = InvalidatedBy(0, 0);  // one point: no path yet
    EXPECT_TRUE(IsRectEmpty(&none));
    const RECT first = InvalidatedBy(30, 0);  // one pixel right of the zero
    EXPECT_FALSE(IsRectEmpty(&first));
    EXPECT_LE(first.right - first.left, 16);
    EXPECT_LE(first.bottom - first.top, 16);
    const RECT repeated = InvalidatedBy(30, 0);
    EXPECT_TRUE(IsRectEmpty(&repeated));
    // A segment across the grid: its box, and the old and new end marks'.
    const RECT across = InvalidatedBy(-400, 30);
    EXPECT_LE(across.left, 185 - 120 - 2);
    EXPECT_GE(across.right, 185 + 9 + 2);
    EXPECT_LE(across.bottom - across.top, 20);
    // A zoom redraws it all at the next point, even a repeated one.
    Both([](CDrawStatic& plot) { plot.ZoomOut(); });
    const RECT all = InvalidatedBy(-400, 30);
    EXPECT_EQ(all.right - all.left, kWidth);
    EXPECT_EQ(all.bottom - all.top, kHeight);
}

}  // namespace
