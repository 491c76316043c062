#include "common/numtext.h"
#include "graph/net.h"

#include <QImage>
#include <QPainter>
#include <QPen>

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <set>
#include <utility>
#include <vector>

namespace {

// Plot left 24, top 24, right 394, bottom 276 on 400 x 300 (see net_test.cpp).
// Grid lines: x at 24 + 37k (61, 98, ... 209, 246, ...), y at 276 - 25.2k
// truncated (250, 225, 200, 175, 150, ...).
const TFixedTextMeasurer Fixed(6, 12);

constexpr TColorRef Yellow = 0x00FFFF;
constexpr TColorRef Grey = 0x808080;
constexpr TColorRef Green = 0x00FF00;
constexpr TColorRef Magenta = 0xFF00FF;
constexpr TColorRef Red = 0x0000FF;
constexpr std::uint32_t BlackRgb = 0xFF000000;
constexpr std::uint32_t GreyRgb = 0xFF808080;
constexpr std::uint32_t GreenRgb = 0xFF00FF00;
constexpr std::uint32_t MagentaRgb = 0xFFFF00FF;
constexpr std::uint32_t RedRgb = 0xFFFF0000;

std::unique_ptr<TNet> ScreenNet(double x0 = 0, double x1 = 100, double y0 = 0, double y1 = 100)
{
    return std::make_unique<TNet>(nullptr, QString(), 400, 300, x0, x1, y0, y1, Yellow, Grey, 0, false, false,
                                  &Fixed);
}

class RenderTest : public ::testing::Test {
protected:
    void SetUp() override { numtext::SetDecimalSeparator(','); }
    void TearDown() override { numtext::SetDecimalSeparator('.'); }
};

TEST_F(RenderTest, ColourReferencesKeepRedInTheLowByte)
{
    EXPECT_EQ(RgbFromRef(Red), RedRgb);
    EXPECT_EQ(ColorFromRef(Red), QColor(255, 0, 0));
    EXPECT_EQ(RgbFromRef(0x00FFFF), 0xFFFFFF00u); // yellow
    EXPECT_EQ(RGBRef(255, 0, 0), Red);
}

TEST_F(RenderTest, FrameBackgroundEdgesAndGrid)
{
    auto net = ScreenNet();
    const QImage &img = net->Bitmap;
    EXPECT_EQ(img.pixel(40, 40), BlackRgb);   // inside the plot, off the grid
    EXPECT_EQ(img.pixel(399, 299), BlackRgb); // beyond the labels
    EXPECT_EQ(img.pixel(24, 150), GreyRgb);   // left edge
    EXPECT_EQ(img.pixel(394, 150), GreyRgb);  // right edge
    EXPECT_EQ(img.pixel(200, 24), GreyRgb);   // top edge
    EXPECT_EQ(img.pixel(200, 276), GreyRgb);  // bottom edge
    EXPECT_EQ(img.pixel(23, 150), BlackRgb);
    EXPECT_EQ(img.pixel(200, 23), BlackRgb);
    EXPECT_EQ(img.pixel(395, 150), BlackRgb);
    EXPECT_EQ(img.pixel(200, 277), BlackRgb);
    // Every line leaves out its end pixel: both edges that end there miss the
    // bottom-right corner.
    EXPECT_EQ(img.pixel(394, 276), BlackRgb);
    EXPECT_EQ(img.pixel(393, 276), GreyRgb);
    EXPECT_EQ(img.pixel(394, 275), GreyRgb);
    // Grid line of x = 10 at column 61, of y = 10 at row 250.
    EXPECT_EQ(img.pixel(61, 100), GreyRgb);
    EXPECT_EQ(img.pixel(60, 100), BlackRgb);
    EXPECT_EQ(img.pixel(62, 100), BlackRgb);
    EXPECT_EQ(img.pixel(100, 250), GreyRgb);
    EXPECT_EQ(img.pixel(100, 249), BlackRgb);
    EXPECT_EQ(img.pixel(100, 251), BlackRgb);
}

TEST_F(RenderTest, LabelsAreDrawnInTheTextColourOutsideThePlot)
{
    auto net = ScreenNet();
    const QImage &img = net->Bitmap;
    const std::uint32_t yellow = RgbFromRef(Yellow);
    // The x label "0" hangs hh below the bottom edge from the left edge on.
    int inLabel = 0, inPlot = 0;
    for (int y = 276 + 6; y < 276 + 6 + 12; ++y)
        for (int x = 24; x < 24 + 6; ++x)
            inLabel += img.pixel(x, y) == yellow;
    for (int y = 25; y < 276; ++y)
        for (int x = 25; x < 394; ++x)
            inPlot += img.pixel(x, y) == yellow;
    EXPECT_GT(inLabel, 0);
    EXPECT_EQ(inPlot, 0);
}

TEST_F(RenderTest, CrowdedLabelsAreSkipped)
{
    // Layout boxes far wider and taller than the glyphs: 15 x 24 per character,
    // hw 7, hh 12. Plot left 59, top 48, right 386, bottom 252; 3.27 pixels per
    // x, 2.04 per y. X labels keep 2 hw apart and clear of the last one;
    // y labels keep their 2 hh boxes apart.
    const TFixedTextMeasurer wide(15, 24);
    TNet net(nullptr, QString(), 400, 300, 0, 100, 0, 100, Yellow, Grey, 0, false, false, &wide);
    ASSERT_EQ(net.PlotRect.left, 59);
    ASSERT_EQ(net.PlotRect.bottom, 252);
    const QImage &img = net.Bitmap;
    const std::uint32_t yellow = RgbFromRef(Yellow);
    auto textIn = [&](int x0, int x1, int y0, int y1) {
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x)
                if (img.pixel(x, y) == yellow)
                    return true;
        return false;
    };
    const int xb = 252 + 12, xe = xb + 24; // x label band
    // Drawn: "20" at 109, "40" at 174, "60" at 240 (each 30 wide).
    EXPECT_TRUE(textIn(109, 139, xb, xe));
    EXPECT_TRUE(textIn(174, 204, xb, xe));
    EXPECT_TRUE(textIn(240, 270, xb, xe));
    // Skipped: "10" (too near "0"), "30", "50", "70", and "80" (too near the last label).
    EXPECT_FALSE(textIn(76, 106, xb, xe));
    EXPECT_FALSE(textIn(142, 172, xb, xe));
    EXPECT_FALSE(textIn(207, 237, xb, xe));
    EXPECT_FALSE(textIn(272, 302, xb, xe));
    EXPECT_FALSE(textIn(305, 335, xb, xe));
    // Y labels: "20" (line 211) drawn from row 199; "10" (line 231) and
    // "30" (line 190) would overlap their neighbours and are skipped.
    EXPECT_TRUE(textIn(0, 59, 199, 211));
    EXPECT_FALSE(textIn(0, 59, 219, 231));
    EXPECT_FALSE(textIn(0, 59, 178, 190));
    // The top label is centred on the top edge.
    EXPECT_TRUE(textIn(0, 59, 36, 48));
}

TEST_F(RenderTest, FilledAndOutlineMarkers)
{
    auto net = ScreenNet();
    const double x[] = {55}, y[] = {45}; // pixel (227, 162)
    net->DrawPoints(1, x, y, 3, Green, true, Magenta);
    const QImage &img = net->Bitmap;
    EXPECT_EQ(img.pixel(227, 162), MagentaRgb);
    EXPECT_EQ(img.pixel(226, 161), MagentaRgb);
    EXPECT_EQ(img.pixel(230, 162), GreenRgb); // outline, r to the right
    EXPECT_EQ(img.pixel(224, 162), GreenRgb);
    EXPECT_EQ(img.pixel(227, 159), GreenRgb);
    EXPECT_EQ(img.pixel(227, 165), GreenRgb);
    EXPECT_EQ(img.pixel(231, 162), BlackRgb); // 2r + 1 across
    EXPECT_EQ(img.pixel(223, 162), BlackRgb);
    EXPECT_EQ(img.pixel(227, 166), BlackRgb);

    // An outline-only marker from a polyline leaves its centre alone.
    const double x2[] = {75}, y2[] = {65}; // pixel (301, 112)
    net->DrawPolyline(1, x2, y2, Green, true, 3, Red, false);
    EXPECT_EQ(img.pixel(301, 112), BlackRgb);
    EXPECT_EQ(img.pixel(304, 112), RedRgb);
    EXPECT_EQ(img.pixel(298, 112), RedRgb);
}

TEST_F(RenderTest, MarkersOnlyInsideThePlot)
{
    auto net = ScreenNet();
    // On the left edge (drawn, reaching beyond it) and one pixel left of it (none).
    const double x[] = {0, -0.3}, y[] = {45, 25};
    net->DrawPoints(2, x, y, 3, Green, true, Magenta);
    const QImage &img = net->Bitmap;
    EXPECT_EQ(img.pixel(24, 162), MagentaRgb);
    EXPECT_EQ(img.pixel(21, 162), GreenRgb);
    int y25 = 0, dummy = 0;
    net->ValueToPixel(dummy, y25, 0, 25);
    ASSERT_EQ(dummy, 24);
    int x1 = 0;
    net->ValueToPixel(x1, dummy, -0.3, 25);
    ASSERT_EQ(x1, 22);
    for (int dx = -4; dx <= 4; ++dx)
        for (int dy = -4; dy <= 4; ++dy)
            EXPECT_NE(img.pixel(22 + dx, y25 + dy), MagentaRgb);
}

TEST_F(RenderTest, LineIsClippedAtThePlotEdge)
{
    auto net = ScreenNet();
    // Row 162 from x = 55 to x = 150, beyond the right end of the plot.
    const double x[] = {55, 150}, y[] = {45, 45};
    net->DrawPolyline(2, x, y, Green, false, 3, Red, false);
    const QImage &img = net->Bitmap;
    EXPECT_EQ(img.pixel(226, 162), BlackRgb);
    EXPECT_EQ(img.pixel(227, 162), GreenRgb);
    EXPECT_EQ(img.pixel(393, 162), GreenRgb);
    EXPECT_EQ(img.pixel(394, 162), GreyRgb); // the clipped end pixel is left out
    EXPECT_EQ(img.pixel(395, 162), BlackRgb);

    // Column 116 from y = 20 up beyond the top: stops on the top row.
    const double vx[] = {25, 25}, vy[] = {20, 200};
    net->DrawPolyline(2, vx, vy, Green, false, 3, Red, false);
    EXPECT_EQ(img.pixel(116, 24), GreenRgb);
    EXPECT_EQ(img.pixel(116, 23), BlackRgb);
    EXPECT_EQ(img.pixel(116, 200), GreenRgb);
}

TEST_F(RenderTest, EachMarkerFollowsItsIncomingSegment)
{
    auto net = ScreenNet();
    // Three points on row 162; the middle marker is drawn after the first
    // segment and before the second, which crosses it.
    const double x[] = {45, 55, 65}, y[] = {45, 45, 45};
    net->DrawPolyline(3, x, y, Green, true, 3, Red, true);
    const QImage &img = net->Bitmap;
    EXPECT_EQ(img.pixel(226, 162), RedRgb);   // first segment, covered by the marker
    EXPECT_EQ(img.pixel(228, 162), GreenRgb); // second segment, over the marker
    EXPECT_EQ(img.pixel(227, 161), RedRgb);
}

TEST_F(RenderTest, DeepZoomDrawsTheVisiblePartOfTheTrueSegment)
{
    auto net = ScreenNet();
    // From pixel (209.x, 162.6) down and to the right with slope 2.52 / 3.7,
    // the far end some 1e12 pixels away.
    const double x[] = {50, 50 + 1e12}, y[] = {45, 45 - 1e12};
    net->DrawPolyline(2, x, y, Green, true, 3, Red, false);
    const QImage &img = net->Bitmap;
    auto greenRowsIn = [&](int col) {
        std::vector<int> rows;
        for (int r = 0; r < 300; ++r)
            if (img.pixel(col, r) == GreenRgb)
                rows.push_back(r);
        return rows;
    };
    for (int col : {230, 260, 300, 350}) {
        const double trueY = 162.6 + (col - 209) * 2.52 / 3.7;
        const std::vector<int> rows = greenRowsIn(col);
        ASSERT_FALSE(rows.empty()) << col;
        for (int r : rows)
            EXPECT_NEAR(r, trueY, 1.5) << "column " << col;
    }
    // The segment leaves through the bottom edge near column 375.
    EXPECT_TRUE(greenRowsIn(385).empty());
    EXPECT_TRUE(greenRowsIn(200).empty());
}

// Ends so far apart that their pixel distance overflows a double: the row
// across the plot is still drawn.
TEST_F(RenderTest, EndsBeyondTheDoubleRangeOfTheirDistance)
{
    auto net = ScreenNet();
    const double x[] = {-4e307, 4e307}, y[] = {45, 45};
    net->DrawPolyline(2, x, y, Green, false, 3, Red, false);
    const QImage &img = net->Bitmap;
    for (int col : {25, 100, 200, 300, 393})
        EXPECT_EQ(img.pixel(col, 162), GreenRgb) << col;
}

TEST_F(RenderTest, NonFinitePointsBreakTheLine)
{
    auto net = ScreenNet();
    const double nan = std::nan("");
    const double x[] = {10, 50, 90}, y[] = {45, nan, 45};
    net->DrawPolyline(3, x, y, Green, true, 3, Red, true);
    const QImage &img = net->Bitmap;
    for (int col = 70; col < 380; ++col)
        EXPECT_NE(img.pixel(col, 162), GreenRgb) << col;
    EXPECT_EQ(img.pixel(24 + 37, 162), RedRgb);       // marker of the first point
    EXPECT_EQ(img.pixel(24 + 333, 162), RedRgb);      // and of the last
}

std::vector<double> DenseCurve(int n, std::vector<double> &ys)
{
    std::vector<double> xs(n);
    ys.resize(n);
    unsigned seed = 12345;
    for (int i = 0; i < n; ++i) {
        seed = seed * 1103515245u + 12345u;
        const double noise = double((seed >> 8) & 0xFFFF) / 65535.0 - 0.5;
        xs[i] = -5 + 110.0 * i / n; // runs off both sides
        ys[i] = 50 + 60 * std::sin(i * 0.0007) + 8 * noise; // and off top and bottom
    }
    return xs;
}

TEST_F(RenderTest, MergedColumnRunsDrawTheSamePixelsAsEverySegment)
{
    for (bool markers : {false, true}) {
        std::vector<double> ys;
        const int n = markers ? 20000 : 200000;
        const std::vector<double> xs = DenseCurve(n, ys);
        auto merged = ScreenNet();
        auto plain = ScreenNet();
        plain->MergeColumnRuns = false;
        merged->DrawPolyline(n, xs.data(), ys.data(), Green, markers, 2, Red, false);
        plain->DrawPolyline(n, xs.data(), ys.data(), Green, markers, 2, Red, false);
        int lit = 0;
        for (int r = 0; r < 300; ++r)
            for (int c = 0; c < 400; ++c)
                lit += merged->Bitmap.pixel(c, r) == GreenRgb || merged->Bitmap.pixel(c, r) == RedRgb;
        EXPECT_GT(lit, 10000) << "markers " << markers;
        EXPECT_TRUE(merged->Bitmap == plain->Bitmap) << "markers " << markers;
    }
}

TEST_F(RenderTest, PaintToCopiesOrStretches)
{
    auto net = ScreenNet();
    QImage target(900, 700, QImage::Format_RGB32);
    target.fill(Qt::white);
    {
        QPainter p(&target);
        net->PaintTo(&p, 10, 20, 0, 123); // H is ignored at natural size
    }
    EXPECT_EQ(target.pixel(10 + 24, 20 + 150), GreyRgb);
    EXPECT_EQ(target.pixel(10 + 394, 20 + 276), BlackRgb);
    EXPECT_EQ(target.pixel(10 + 400, 20 + 150), 0xFFFFFFFFu);
    target.fill(Qt::white);
    {
        QPainter p(&target);
        net->PaintTo(&p, 0, 0, 800, 600);
    }
    EXPECT_EQ(target.pixel(2 * 24, 2 * 150), GreyRgb);
    EXPECT_EQ(target.pixel(2 * 24 + 1, 2 * 150 + 1), GreyRgb);
    EXPECT_EQ(target.pixel(799, 599), BlackRgb);
    EXPECT_EQ(target.pixel(800, 600), 0xFFFFFFFFu);
}

// The lit pixels of an image, as (x, y) pairs in row order.
std::set<std::pair<int, int>> Lit(const QImage &img, std::uint32_t rgb)
{
    std::set<std::pair<int, int>> lit;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (img.pixel(x, y) == rgb)
                lit.insert({x, y});
    return lit;
}

// The device API's line: the ends put in order (left to right, then top to
// bottom), one pixel per step of the longer axis from the first end, the
// shorter axis rounded to the nearest (halves towards the first end), the
// second end left out.
std::set<std::pair<int, int>> DeviceLine(int x1, int y1, int x2, int y2)
{
    if (x1 > x2) {
        std::swap(x1, x2);
        std::swap(y1, y2);
    }
    if (y1 > y2) {
        std::swap(x1, x2);
        std::swap(y1, y2);
    }
    const int dx = x2 - x1, dy = y2 - y1;
    const int steps = std::max(std::abs(dx), std::abs(dy));
    std::set<std::pair<int, int>> px;
    for (int i = 0; i < steps; ++i) {
        auto along = [&](int d) {
            const double t = double(i) * std::abs(d) / steps;
            return (d < 0 ? -1 : 1) * int(std::ceil(t - 0.5));
        };
        px.insert({x1 + along(dx), y1 + along(dy)});
    }
    return px;
}

std::set<std::pair<int, int>> DrawnLine(const TNet &net, int x1, int y1, int x2, int y2)
{
    QImage img(400, 300, QImage::Format_RGB32);
    img.fill(Qt::black);
    {
        QPainter p(&img);
        p.setPen(QPen(QColor(0, 255, 0), 1));
        net.DrawLine(p, x1, y1, x2, y2);
    }
    return Lit(img, GreenRgb);
}

TEST_F(RenderTest, OnePixelLineLeavesOutTheSecondEndAsTheDeviceDoes)
{
    auto net = ScreenNet();
    // Rising shallowly from (100, 200) to (110, 195): put in order, the line
    // runs from the upper end down to the lower one and leaves out (100, 200),
    // not the end with the larger x.
    const std::set<std::pair<int, int>> rising = {{110, 195}, {109, 195}, {108, 196}, {107, 196}, {106, 197},
                                                  {105, 197}, {104, 198}, {103, 198}, {102, 199}, {101, 199}};
    EXPECT_EQ(DrawnLine(*net, 100, 200, 110, 195), rising);
    EXPECT_EQ(DrawnLine(*net, 110, 195, 100, 200), rising);
    // Horizontal: left to right, the right end left out; vertical: downward.
    std::set<std::pair<int, int>> row, column;
    for (int x = 50; x < 60; ++x)
        row.insert({x, 100});
    for (int y = 140; y < 150; ++y)
        column.insert({70, y});
    EXPECT_EQ(DrawnLine(*net, 60, 100, 50, 100), row);
    EXPECT_EQ(DrawnLine(*net, 70, 150, 70, 140), column);
    // One step: the first end alone; no length: nothing.
    EXPECT_EQ(DrawnLine(*net, 81, 91, 80, 90), (std::set<std::pair<int, int>>{{80, 90}}));
    EXPECT_TRUE(DrawnLine(*net, 80, 90, 80, 90).empty());
}

TEST_F(RenderTest, OnePixelLinesOfEveryDirection)
{
    auto net = ScreenNet();
    const int cx = 200, cy = 150;
    for (int dx = -23; dx <= 23; ++dx)
        for (int dy : {-23, -17, -9, -4, -1, 0, 1, 3, 8, 13, 23}) {
            if (dx == 0 && dy == 0)
                continue;
            const auto drawn = DrawnLine(*net, cx, cy, cx + dx, cy + dy);
            EXPECT_EQ(drawn, DeviceLine(cx, cy, cx + dx, cy + dy)) << dx << ", " << dy;
            EXPECT_EQ(drawn.size(), size_t(std::max(std::abs(dx), std::abs(dy)))) << dx << ", " << dy;
        }
    // Clipped at the plot: the clipped end is the one left out.
    EXPECT_EQ(DrawnLine(*net, 300, 100, 500, 120), DeviceLine(300, 100, 394, 109));
}

// A curve of short rising segments has no gaps: every column from the first
// vertex on is lit, and neighbouring columns touch.
TEST_F(RenderTest, RisingCurveIsUnbroken)
{
    auto net = ScreenNet();
    std::vector<double> xs, ys;
    for (double x = 10; x <= 90; x += 2) {
        xs.push_back(x);
        ys.push_back(10 + 0.3 * x);
    }
    net->DrawPolyline(int(xs.size()), xs.data(), ys.data(), Green, false, 3, Red, false);
    int x0, y0, x1, y1;
    net->ValueToPixel(x0, y0, xs.front(), ys.front());
    net->ValueToPixel(x1, y1, xs.back(), ys.back());
    const QImage &img = net->Bitmap;
    int prevLo = -1, prevHi = -1;
    for (int c = x0 + 1; c <= x1; ++c) {
        int lo = 1000, hi = -1;
        for (int r = y1; r <= y0; ++r)
            if (img.pixel(c, r) == GreenRgb) {
                lo = std::min(lo, r);
                hi = std::max(hi, r);
            }
        ASSERT_GE(hi, 0) << "column " << c << " is empty";
        if (prevHi >= 0) {
            EXPECT_LE(lo, prevHi + 1) << "column " << c;
            EXPECT_GE(hi, prevLo - 1) << "column " << c;
        }
        prevLo = lo;
        prevHi = hi;
    }
}

} // namespace
