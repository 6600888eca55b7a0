// The trajectory plot drawn into its off-screen surface in a real window (Xvfb): what the
// operator sees, read back pixel by pixel.
#include <gtest/gtest.h>
#include <windows.h>

#include "DrawStatic.h"

namespace {

constexpr COLORREF kBack = RGB(55, 164, 196);
constexpr COLORREF kGreen = RGB(0, 255, 0);
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kWhite = RGB(255, 255, 255);
// A client height of 340 gives 30 pixels per division and the grid's bottom at 315.
constexpr int kWidth = 360;
constexpr int kHeight = 340;

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

}  // namespace
