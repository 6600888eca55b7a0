// The trajectory plot's mapping, grid, labels, zoom and offsets, and the two-axis page's and
// panels' texts and calls.
#include <gtest/gtest.h>

#include "page_texts.h"
#include "panel_calls.h"
#include "plot_model.h"

namespace {

::testing::AssertionResult IsPixel(const PlotPixel& p, int x, int y) {
    if (p.x == x && p.y == y) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "pixel (" << p.x << ", " << p.y << ")";
}

::testing::AssertionResult IsBox(const PlotBox& b, int left, int top, int right, int bottom) {
    if (b.left == left && b.top == top && b.right == right && b.bottom == bottom) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure()
           << "box (" << b.left << ", " << b.top << ", " << b.right << ", " << b.bottom << ")";
}

class PlotTest : public ::testing::Test {
protected:
    void SetUp() override { m_plot.Init(356, 340); }  // step 30, grid bottom 315
    CPlotModel m_plot;
};

TEST_F(PlotTest, WorkedMapping) {
    EXPECT_EQ(m_plot.Step(), 30);
    EXPECT_EQ(m_plot.OriginY(), 315);
    EXPECT_TRUE(IsPixel(m_plot.ZeroPixel(), 185, 165));
    EXPECT_TRUE(IsPixel(m_plot.PixelOf({250, -100}), 260, 195));
    EXPECT_TRUE(IsBox(m_plot.ZeroMarkBox(), 181, 161, 189, 169));
    EXPECT_TRUE(IsBox(m_plot.GridBox(), 35, 15, 335, 315));

    m_plot.ZoomOut();  // 200 pulses a division
    EXPECT_TRUE(IsPixel(m_plot.PixelOf({250, -100}), 222, 180));
    EXPECT_TRUE(IsPixel(m_plot.PixelOf({1, 1}), 185, 164));  // 185.15 and 164.85, truncated
}

TEST_F(PlotTest, TruncationTowardZeroAndOffsets) {
    for (int i = 0; i < 15; ++i) m_plot.MoveLeft();
    EXPECT_EQ(m_plot.OffsetX(), 10);
    EXPECT_TRUE(IsPixel(m_plot.ZeroPixel(), -265, 165));
    EXPECT_TRUE(IsPixel(m_plot.PixelOf({-1, 0}), -265, 165));  // -265.3
    EXPECT_TRUE(IsPixel(m_plot.PixelOf({1, 0}), -264, 165));   // -264.7

    m_plot.MoveRight();
    m_plot.MoveDown();
    EXPECT_TRUE(IsPixel(m_plot.ZeroPixel(), 35 - 9 * 30, 315 - 4 * 30));
    m_plot.MoveUp();
    m_plot.MoveUp();
    EXPECT_EQ(m_plot.OffsetY(), -6);
    EXPECT_TRUE(IsPixel(m_plot.ZeroPixel(), -235, 135));
    EXPECT_TRUE(
        IsBox(m_plot.ZeroMarkBox(), -239, 131, -231, 139));  // outside the grid, still given
}

TEST_F(PlotTest, PathAndEndMark) {
    EXPECT_TRUE(m_plot.AddPoint(250, -100));
    EXPECT_FALSE(m_plot.AddPoint(250, -100));
    EXPECT_EQ(m_plot.Points().size(), 1u);
    EXPECT_TRUE(m_plot.AddPoint(0, 0));
    EXPECT_TRUE(m_plot.AddPoint(250, -100));  // equal to an older point, not to the last
    std::vector<PlotPixel> path;
    EXPECT_EQ(m_plot.AppendPathPixels(0, 100, path), 3u);
    ASSERT_EQ(path.size(), 3u);
    EXPECT_TRUE(IsPixel(path[0], 260, 195));
    EXPECT_TRUE(IsPixel(path[1], 185, 165));
    EXPECT_TRUE(IsPixel(path[2], 260, 195));
    EXPECT_TRUE(IsBox(m_plot.EndMarkBox(), 258, 193, 262, 197));

    // The end mark comes from the unrounded place: fx = 1.4 gives a left edge of 0, not -1.
    for (int i = 0; i < 5; ++i) m_plot.MoveLeft();
    EXPECT_TRUE(m_plot.AddPoint(-112, 0));
    EXPECT_TRUE(IsPixel(m_plot.PixelOf({-112, 0}), 1, 165));
    EXPECT_TRUE(IsBox(m_plot.EndMarkBox(), 0, 163, 3, 167));

    m_plot.ZoomOut();
    const uint64_t clears = m_plot.Clears();
    m_plot.ClearPoints();
    EXPECT_TRUE(m_plot.Points().empty());
    EXPECT_EQ(m_plot.Clears(), clears + 1);  // a picture of the old list is no longer current
    EXPECT_EQ(m_plot.GetScale(), 2);
    EXPECT_EQ(m_plot.OffsetX(), 0);
}

TEST_F(PlotTest, PathPixelsInPiecesWithoutRepeats) {
    // 1 and 2 pulses both land on pixel 185 (185.3 and 185.6): one pixel for the two.
    for (const PlotPoint& p :
         std::vector<PlotPoint>{{0, 0}, {1, 0}, {2, 0}, {100, 0}, {100, 100}, {101, 100}, {0, 0}}) {
        m_plot.AddPoint(p.x, p.y);
    }
    std::vector<PlotPixel> whole;
    EXPECT_EQ(m_plot.AppendPathPixels(0, 100, whole), 7u);
    ASSERT_EQ(whole.size(), 4u);
    EXPECT_TRUE(IsPixel(whole[0], 185, 165));
    EXPECT_TRUE(IsPixel(whole[1], 215, 165));
    EXPECT_TRUE(IsPixel(whole[2], 215, 135));  // 101 pulses: the pixel of 100 again
    EXPECT_TRUE(IsPixel(whole[3], 185, 165));

    // Taken in pieces of two points, each piece going on from the pixels before it, the
    // same pixels come out; the last piece stops at the list's end.
    std::vector<PlotPixel> pieces;
    size_t next = 0;
    std::vector<size_t> ends;
    while (next < m_plot.Points().size())
        ends.push_back(next = m_plot.AppendPathPixels(next, 2, pieces));
    EXPECT_EQ(ends, (std::vector<size_t>{2, 4, 6, 7}));
    ASSERT_EQ(pieces.size(), whole.size());
    for (size_t i = 0; i < whole.size(); ++i)
        EXPECT_TRUE(IsPixel(pieces[i], whole[i].x, whole[i].y));

    // From a later point on, and from past the end.
    std::vector<PlotPixel> tail;
    EXPECT_EQ(m_plot.AppendPathPixels(5, 100, tail), 7u);
    ASSERT_EQ(tail.size(), 2u);
    EXPECT_TRUE(IsPixel(tail[0], 215, 135));
    std::vector<PlotPixel> none;
    EXPECT_EQ(m_plot.AppendPathPixels(9, 100, none), 7u);
    EXPECT_TRUE(none.empty());
}

TEST_F(PlotTest, GridLines) {
    const std::vector<PlotLine> lines = m_plot.GridLines();
    ASSERT_EQ(lines.size(), 22u);
    EXPECT_TRUE(IsPixel(lines[0].from, 35, 5));
    EXPECT_TRUE(IsPixel(lines[0].to, 35, 315));
    EXPECT_TRUE(IsPixel(lines[1].from, 35, 315));
    EXPECT_TRUE(IsPixel(lines[1].to, 341, 315));
    EXPECT_TRUE(IsPixel(lines[2].from, 35, 285));
    EXPECT_TRUE(IsPixel(lines[2].to, 335, 285));
    EXPECT_TRUE(IsPixel(lines[11].from, 35, 15));
    EXPECT_TRUE(IsPixel(lines[11].to, 335, 15));
    EXPECT_TRUE(IsPixel(lines[12].from, 65, 315));
    EXPECT_TRUE(IsPixel(lines[12].to, 65, 15));
    EXPECT_TRUE(IsPixel(lines[21].from, 335, 315));
    EXPECT_TRUE(IsPixel(lines[21].to, 335, 15));
}

TEST_F(PlotTest, Labels) {
    EXPECT_EQ(PlotLabelText(0), L" 0");
    EXPECT_EQ(PlotLabelText(5), L" 5");
    EXPECT_EQ(PlotLabelText(10), L" 10");
    EXPECT_EQ(PlotLabelText(-5), L"-5");
    EXPECT_EQ(PlotLabelText(-10), L"-10");

    const std::vector<PlotLabel> labels = m_plot.Labels();
    ASSERT_EQ(labels.size(), 22u);
    EXPECT_TRUE(IsPixel(labels[0].topLeft, 15, 308));
    EXPECT_EQ(labels[0].text, L"-5");
    EXPECT_TRUE(IsPixel(labels[5].topLeft, 15, 158));
    EXPECT_EQ(labels[5].text, L" 0");
    EXPECT_TRUE(IsPixel(labels[10].topLeft, 15, 8));
    EXPECT_EQ(labels[10].text, L" 5");
    EXPECT_TRUE(IsPixel(labels[11].topLeft, 28, 322));
    EXPECT_EQ(labels[11].text, L"-5");
    EXPECT_TRUE(IsPixel(labels[21].topLeft, 328, 322));
    EXPECT_EQ(labels[21].text, L" 5");

    m_plot.MoveRight();
    m_plot.MoveDown();
    EXPECT_EQ(m_plot.Labels()[0].text, L"-4");
    EXPECT_EQ(m_plot.Labels()[11].text, L"-6");
}

TEST_F(PlotTest, ZoomLimitsAndRatio) {
    m_plot.ZoomIn();
    EXPECT_EQ(m_plot.GetScale(), 1);
    EXPECT_EQ(PlotRatioText(m_plot.GetScale()), L"（主轴  1:100  从轴  1:100）");
    for (int i = 0; i < 24; ++i) m_plot.ZoomOut();
    EXPECT_EQ(m_plot.GetScale(), 16777216);
    m_plot.ZoomOut();
    EXPECT_EQ(m_plot.GetScale(), 16777216);
    EXPECT_EQ(PlotRatioText(m_plot.GetScale()), L"（主轴  1:1677721600  从轴  1:1677721600）");
    m_plot.ZoomIn();
    EXPECT_EQ(m_plot.GetScale(), 8388608);
    m_plot.Init(356, 340);
    EXPECT_EQ(m_plot.GetScale(), 1);
    EXPECT_EQ(m_plot.OffsetX(), -5);
    EXPECT_EQ(m_plot.OffsetY(), -5);
}

TEST(PageTextTest, TitlesAndIntegers) {
    EXPECT_EQ(ConfigPageTitle(0, 2), L"对(卡:0 轴:2)进行信息配置");
    EXPECT_EQ(OneAxisPageTitle(1, 3), L"(卡:1 轴:3)的单轴运动");
    EXPECT_EQ(TwoAxisPageTitle(0, 0, 1), L"卡0的两轴运动：轴0，轴1");
    EXPECT_EQ(IntegerText(-2147483648LL), L"-2147483648");
}

TEST(PanelCallTest, InitialValuesAndAxes) {
    const LineRMoveArgs line = LineRMoveArgsFor(LinearPanelValues{}, 0, 1);
    EXPECT_EQ(line.axis0, 0);
    EXPECT_EQ(line.axis1, 1);
    EXPECT_EQ(line.pulse0, 100);
    EXPECT_EQ(line.pulse1, 100);
    EXPECT_EQ(line.sV, 200);
    EXPECT_EQ(line.rV, 1000);
    EXPECT_EQ(line.tAcc, 0.1f);  // nearest, not truncated

    CirclePanelValues values;
    values.nCenterX = -7;
    values.nEndY = 300;
    values.nDirection = 1;  // "逆时针方向"
    const CircleDrawRArgs circle = CircleDrawRArgsFor(values, 3, 2);
    EXPECT_EQ(circle.axis0, 3);
    EXPECT_EQ(circle.axis1, 2);
    EXPECT_EQ(circle.core0, -7);
    EXPECT_EQ(circle.core1, 100);
    EXPECT_EQ(circle.stop0, 200);
    EXPECT_EQ(circle.stop1, 300);
    EXPECT_EQ(circle.sV, 200);
    EXPECT_EQ(circle.rV, 1000);
    EXPECT_EQ(circle.tAcc, 0.1f);
    EXPECT_EQ(circle.dir, 0);  // the card's counter-clockwise
    EXPECT_EQ(CircleDrawRArgsFor(CirclePanelValues{}, 0, 1).dir, 1);
}

}  // namespace
