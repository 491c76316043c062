#include "common/lang.h"
#include "common/numtext.h"
#include "graph/net.h"
#include "tests/support/recording_dialogs.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>
#include <cctype>

#include <limits>
#include <ostream>
#include <memory>

namespace {

// 6 x 12 characters: hw 3, hh 6. On a 400 x 300 bitmap with 0..100 on both
// axes the widest y label "100" takes 18 + 3, so the plot is
// left 24, top 24, right 394, bottom 276: 3.7 pixels per x, 2.52 per y.
const TFixedTextMeasurer Fixed(6, 12);

std::unique_ptr<TNet> MakeNet(double x0 = 0, double x1 = 100, double y0 = 0, double y1 = 100)
{
    return std::make_unique<TNet>(nullptr, QString(), 400, 300, x0, x1, y0, y1, 0x00FFFF, 0x808080, 0,
                                  false, false, &Fixed);
}

class NetTest : public ::testing::Test {
protected:
    void SetUp() override { numtext::SetDecimalSeparator(','); }
    void TearDown() override { numtext::SetDecimalSeparator('.'); }
};

TEST_F(NetTest, ConstructionDrawsTheFirstFrame)
{
    auto net = MakeNet();
    EXPECT_EQ(net->Width, 400);
    EXPECT_EQ(net->Height, 300);
    ASSERT_FALSE(net->Bitmap.isNull());
    EXPECT_EQ(net->Bitmap.size(), QSize(400, 300));
    EXPECT_EQ(net->PlotRect.left, 24);
    EXPECT_EQ(net->PlotRect.top, 24);
    EXPECT_EQ(net->PlotRect.right, 394);
    EXPECT_EQ(net->PlotRect.bottom, 276);
    EXPECT_DOUBLE_EQ(net->PixelsPerX, 3.7);
    EXPECT_DOUBLE_EQ(net->PixelsPerY, 2.52);
    EXPECT_TRUE(net->Messages.isEmpty());
}

TEST_F(NetTest, SetRangeWidensEqualBoundsAndOrdersReversedOnes)
{
    struct {
        double in[4];
        double out[4];
    } cases[] = {
        {{5, 5, 0, 0}, {5 * 0.9, 5 * 1.1, -0.1, 0.1}},
        {{-10, -10, 0, 1}, {-11, -9, 0, 1}},
        {{100, 0, 1, -1}, {0, 100, -1, 1}},
    };
    auto net = MakeNet();
    for (const auto &c : cases) {
        net->SetRange(c.in[0], c.in[1], c.in[2], c.in[3]);
        EXPECT_DOUBLE_EQ(net->XMin, c.out[0]);
        EXPECT_DOUBLE_EQ(net->XMax, c.out[1]);
        EXPECT_DOUBLE_EQ(net->YMin, c.out[2]);
        EXPECT_DOUBLE_EQ(net->YMax, c.out[3]);
        EXPECT_LT(net->XMin, net->XMax);
        EXPECT_LT(net->YMin, net->YMax);
    }
}

TEST_F(NetTest, UnusableRangesKeepThePreviousRange)
{
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double cases[][4] = {
        {-1e308, 1e308, 0, 1},   // span overflows
        {1.7e308, 1.7e308, 0, 1}, // widening overflows
        {0, 1, nan, 1},
        {inf, 0, 0, 1},
        {0, 1e-310, 0, 1}, // pixel factor would be infinite
    };
    auto net = MakeNet();
    net->SetRange(1, 2, 3, 4);
    for (const auto &c : cases) {
        net->SetRange(c[0], c[1], c[2], c[3]);
        EXPECT_EQ(net->XMin, 1);
        EXPECT_EQ(net->XMax, 2);
        EXPECT_EQ(net->YMin, 3);
        EXPECT_EQ(net->YMax, 4);
        EXPECT_TRUE(std::isfinite(net->PixelsPerX));
    }
    // Near the limit but finite: accepted, and the frame is drawn.
    net->SetRange(1e308, 1e308, 0, 1);
    EXPECT_DOUBLE_EQ(net->XMin, 0.9e308);
    EXPECT_DOUBLE_EQ(net->XMax, 1.1e308);
    EXPECT_GT(net->PixelsPerX, 0);
}

TEST_F(NetTest, ValueToPixelAndBack)
{
    auto net = MakeNet();
    int x = 0, y = 0;
    net->ValueToPixel(x, y, 0, 0);
    EXPECT_EQ(x, 24);
    EXPECT_EQ(y, 276);
    net->ValueToPixel(x, y, 100, 100);
    EXPECT_EQ(x, 394);
    EXPECT_EQ(y, 24);
    // 24 + 203.5 and 276 - 113.4: truncated toward zero.
    net->ValueToPixel(x, y, 55, 45);
    EXPECT_EQ(x, 227);
    EXPECT_EQ(y, 162);
    // Left of the plot: 24 - 0.37 is 23.63, so 23.
    net->ValueToPixel(x, y, -0.1, 0);
    EXPECT_EQ(x, 23);
    // Far outside: saturates instead of wrapping.
    net->ValueToPixel(x, y, 1e300, -1e300);
    EXPECT_EQ(x, std::numeric_limits<int>::max());
    EXPECT_EQ(y, std::numeric_limits<int>::max());

    double vx = -1, vy = -1;
    net->PixelToValue(24, 276, vx, vy);
    EXPECT_EQ(vx, 0);
    EXPECT_EQ(vy, 0);
    net->PixelToValue(394, 24, vx, vy);
    EXPECT_DOUBLE_EQ(vx, 100);
    EXPECT_DOUBLE_EQ(vy, 100);
    net->PixelToValue(227, 162, vx, vy);
    EXPECT_DOUBLE_EQ(vx, 203 / 3.7);
    EXPECT_DOUBLE_EQ(vy, 114 / 2.52);
}

TEST_F(NetTest, LogAxisConvertsPerDecade)
{
    TNet net(nullptr, QString(), 400, 300, 1, 1000, 0, 100, 0xFFFFFF, 0x808080, 0, true, false, &Fixed);
    EXPECT_TRUE(net.Messages.isEmpty());
    const double perDecade = (net.PlotRect.right - net.PlotRect.left) / 3.0;
    EXPECT_DOUBLE_EQ(net.PixelsPerX, perDecade);
    int x = 0, y = 0;
    net.ValueToPixel(x, y, 10, 0);
    EXPECT_EQ(x, int(net.PlotRect.left + perDecade));
    double vx = 0, vy = 0;
    net.PixelToValue(net.PlotRect.left, net.PlotRect.bottom, vx, vy);
    EXPECT_DOUBLE_EQ(vx, 1);
}

TEST_F(NetTest, LogFrameRefusesValuesBelowOne)
{
    English = true;
    TNet net(nullptr, QString(), 400, 300, 0.5, 1000, 0, 100, 0xFFFFFF, 0x808080, 0, true, false, &Fixed);
    EXPECT_EQ(net.TakeMessages(), QStringList{"Wrong value for logarithmic scale"});
    EXPECT_EQ(net.PlotRect.left, 0);
    EXPECT_EQ(net.PlotRect.right, 400);
    EXPECT_EQ(net.Bitmap.pixel(200, 150), 0xFF000000u);
    English = false;
    net.Redraw();
    EXPECT_EQ(net.TakeMessages(),
              QStringList{QString::fromUtf8("Недопустимые значения координат для логарифмической шкалы !")});
    EXPECT_TRUE(net.Messages.isEmpty());
}

TEST_F(NetTest, BitmapFailuresAreQueuedAndShownPlain)
{
    RecordingDialogs dialogs;
    TNet net(nullptr, QString(), -5, 300, 0, 10, 0, 10, 0, 0, 0, false, false, &Fixed);
    EXPECT_EQ(net.Width, 0);
    EXPECT_EQ(net.Height, 0);
    EXPECT_EQ(net.XMax, 100); // no range was set
    EXPECT_TRUE(dialogs.messages.empty()); // nothing shown from inside the drawing

    net.Resize(nullptr, 200, -1);
    EXPECT_EQ(net.Width, 0);
    ShowNetMessages(net, nullptr);
    ASSERT_EQ(dialogs.messages.size(), 2u);
    EXPECT_EQ(dialogs.messages[0].text, "CreateBitmap FAILED !");
    EXPECT_EQ(dialogs.messages[1].text, "CreateCompatibleBitmap FAILED !");
    for (const RecordedMessage &m : dialogs.messages) {
        EXPECT_EQ(m.flags, unsigned(ui::MbOk));
        EXPECT_TRUE(m.caption.isEmpty());
    }
    EXPECT_TRUE(net.Messages.isEmpty());
    ShowNetMessages(net, nullptr);
    EXPECT_EQ(dialogs.messages.size(), 2u);
}

TEST_F(NetTest, ResizeRecreatesTheBitmapAndFrame)
{
    auto net = MakeNet();
    net->Resize(nullptr, 200, 150);
    EXPECT_EQ(net->Bitmap.size(), QSize(200, 150));
    EXPECT_EQ(net->PlotRect.right, 194);
    EXPECT_EQ(net->PlotRect.bottom, 126);
    // An empty size is no failure: no pixels, no message.
    net->Resize(nullptr, 0, 0);
    EXPECT_TRUE(net->Bitmap.isNull());
    EXPECT_TRUE(net->Messages.isEmpty());
}

TEST_F(NetTest, DirectModeHasNoSizeUntilPaintTo)
{
    QImage page(500, 400, QImage::Format_RGB32);
    page.fill(Qt::white);
    QPainter painter(&page);
    TNet net(&painter, QString(), 300, 300, 0, 100, 0, 100, 0, 0, 0xFFFFFF, false, true, &Fixed);
    EXPECT_EQ(net.Width, 0);
    EXPECT_EQ(net.Height, 0);
    EXPECT_TRUE(net.Bitmap.isNull());
    net.PaintTo(&painter, 50, 40, 400, 300);
    EXPECT_EQ(net.Width, 400);
    EXPECT_EQ(net.PlotRect.left, 50 + 24);
    EXPECT_EQ(net.PlotRect.top, 40 + 24);
    EXPECT_EQ(net.PlotRect.right, 50 + 394);
    EXPECT_EQ(net.PlotRect.bottom, 40 + 276);
    int x = 0, y = 0;
    net.ValueToPixel(x, y, 0, 0);
    EXPECT_EQ(x, 74);
    EXPECT_EQ(y, 316);
}

TEST_F(NetTest, DirectModeGivesThePainterItsStateBack)
{
    QImage page(500, 400, QImage::Format_RGB32);
    page.fill(Qt::white);
    QPainter painter(&page);
    const QPen pen(QColor(1, 2, 3), 5);
    const QBrush brush(QColor(4, 5, 6));
    painter.setPen(pen);
    painter.setBrush(brush);
    painter.setRenderHint(QPainter::Antialiasing, true);
    TNet net(&painter, QString(), 0, 0, 0, 100, 0, 100, 0, 0, 0xFFFFFF, false, true, &Fixed);
    net.PaintTo(&painter, 0, 0, 400, 300);
    const double xs[] = {10, 50, 90}, ys[] = {10, 90, 10};
    net.DrawPolyline(3, xs, ys, 0x0000FF, true, 3, 0xFF0000, true);
    net.DrawPoints(3, xs, ys, 3, 0x00FF00, false, 0);
    EXPECT_EQ(painter.pen(), pen);
    EXPECT_EQ(painter.brush(), brush);
    EXPECT_TRUE(painter.testRenderHint(QPainter::Antialiasing));
    painter.end();
    // The drawing itself was aliased: the frame is pure black on white.
    EXPECT_EQ(page.pixel(24, 150), 0xFF000000u);
    EXPECT_EQ(page.pixel(23, 150), 0xFFFFFFFFu);
}

TEST_F(NetTest, FontFollowsTheVerticalResolution)
{
    EXPECT_EQ(NetFontPixelHeight(96), 11);
    EXPECT_EQ(NetFontPixelHeight(72), 8);
    EXPECT_EQ(NetFontPixelHeight(600), 67);
    EXPECT_EQ(NetFont(96).pixelSize(), 11);
}

TEST_F(NetTest, AreaTooSmallForTheMarginsStillDraws)
{
    TNet net(nullptr, QString(), 20, 20, 0, 100, 0, 100, 0x00FFFF, 0x808080, 0, false, false, &Fixed);
    EXPECT_LT(net.PlotRect.right, net.PlotRect.left);
    EXPECT_LT(net.PlotRect.bottom, net.PlotRect.top);
    EXPECT_LT(net.PixelsPerX, 0);
    EXPECT_LT(net.PixelsPerY, 0);
    const double xs[] = {0, 50, 100}, ys[] = {0, 50, 100};
    net.DrawPolyline(3, xs, ys, 0x00FF00, true, 3, 0x0000FF, true);
    net.DrawPoints(3, xs, ys, 3, 0x00FF00, true, 0);
    EXPECT_TRUE(net.Messages.isEmpty());
}

// PlotRect left 10, top 20, right 110, bottom 120.
struct ClipCase {
    const char *what;
    int in[4];
    bool drawn;
    int out[4];
};

void PrintTo(const ClipCase &c, std::ostream *os)
{
    *os << c.what;
}

class ClipLineTable : public ::testing::TestWithParam<ClipCase> {};

TEST_P(ClipLineTable, Cascade)
{
    const ClipCase &c = GetParam();
    const TPlotRect rect{10, 20, 110, 120};
    int x1 = c.in[0], y1 = c.in[1], x2 = c.in[2], y2 = c.in[3];
    ASSERT_EQ(ClipLine(rect, x1, y1, x2, y2), c.drawn) << c.what;
    if (c.drawn) {
        EXPECT_EQ(x1, c.out[0]) << c.what;
        EXPECT_EQ(y1, c.out[1]) << c.what;
        EXPECT_EQ(x2, c.out[2]) << c.what;
        EXPECT_EQ(y2, c.out[3]) << c.what;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Segments, ClipLineTable,
    ::testing::Values(ClipCase{"inside", {30, 40, 50, 60}, true, {30, 40, 50, 60}},
                      ClipCase{"inside, drawn downward", {50, 60, 30, 40}, true, {30, 40, 50, 60}},
                      ClipCase{"left edge", {0, 20, 20, 40}, true, {10, 30, 20, 40}},
                      ClipCase{"left edge, reversed", {20, 40, 0, 20}, true, {10, 30, 20, 40}},
                      ClipCase{"right edge", {100, 50, 120, 70}, true, {100, 50, 110, 60}},
                      ClipCase{"two edges", {0, 0, 130, 130}, true, {20, 20, 110, 110}},
                      ClipCase{"vertical, top and bottom", {50, 200, 50, 0}, true, {50, 20, 50, 120}},
                      ClipCase{"horizontal, both sides", {-5, 70, 200, 70}, true, {10, 70, 110, 70}},
                      ClipCase{"on the top edge", {10, 20, 110, 20}, true, {10, 20, 110, 20}},
                      ClipCase{"both left", {0, 30, 5, 60}, false, {}},
                      ClipCase{"both above", {30, 0, 60, 10}, false, {}},
                      ClipCase{"both below", {30, 121, 60, 300}, false, {}},
                      ClipCase{"outside a corner", {0, 28, 28, 0}, false, {}}),
    [](const ::testing::TestParamInfo<ClipCase> &info) {
        // "inside, drawn downward" -> "InsideDrawnDownward"
        std::string name;
        bool upper = true;
        for (const char *p = info.param.what; *p; ++p) {
            if (std::isalnum(static_cast<unsigned char>(*p))) {
                name += upper ? char(std::toupper(static_cast<unsigned char>(*p))) : *p;
                upper = false;
            } else {
                upper = true;
            }
        }
        return name;
    });

} // namespace
