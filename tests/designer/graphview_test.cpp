// The graph view: the zoom box, the axis-range dialog from a right press, the
// value readout and the fit to the table on a double click.
#include "tests/designer/graph_util.h"
#include "common/numtext.h"
#include "designer/graphxy.h"
#include <QApplication>
#include <QComboBox>
#include <QMouseEvent>
#include <limits>

namespace {

class GraphViewTest : public GraphWindowTest {
protected:
    // A window with the graph made (by a paint) and, when asked, two points.
    TMainForm &Shown(bool withPoints = true)
    {
        TMainForm &f = StartZeroToHundred(withPoints);
        f.grab();
        QApplication::processEvents(); // the first paint's recalculation
        EXPECT_NE(f.Graph, nullptr);
        dialogs.Clear();
        return f;
    }

    void Send(QEvent::Type type, Qt::MouseButton button, const QPoint &pos, Qt::MouseButtons held)
    {
        QMouseEvent e(type, QPointF(pos), form->ClientArea->mapToGlobal(QPointF(pos)), button, held, Qt::NoModifier);
        QApplication::sendEvent(form->ClientArea, &e);
    }
    void Press(const QPoint &p, Qt::MouseButton b = Qt::LeftButton) { Send(QEvent::MouseButtonPress, b, p, b); }
    void Move(const QPoint &p) { Send(QEvent::MouseMove, Qt::NoButton, p, Qt::LeftButton); }
    void Release(const QPoint &p, Qt::MouseButton b = Qt::LeftButton)
    {
        Send(QEvent::MouseButtonRelease, b, p, Qt::NoButton);
    }
    // What Qt sends for a double click: press, release, then the double-click
    // event in place of the second press, and its release.
    void DoubleClick(const QPoint &p)
    {
        Press(p);
        Release(p);
        Send(QEvent::MouseButtonDblClick, Qt::LeftButton, p, Qt::LeftButton);
        Release(p);
    }

    // The value of a client position, as the graph has it now.
    std::pair<double, double> ValueAt(const QPoint &p) const
    {
        double x = 0, y = 0;
        form->Graph->PixelToValue(p.x() - form->GraphOriginX, p.y() - form->GraphOriginY, x, y);
        return {x, y};
    }
};

QRgb ShownPixel(TMainForm &f, const QPoint &p) { return f.ClientArea->grab().toImage().pixel(p) & 0xFFFFFF; }

TEST_F(GraphViewTest, ADragSetsTheRangeToTheValuesOfTheOrderedCorners)
{
    TMainForm &f = Shown();
    const QPoint start = OnPlot(300, 40), end = OnPlot(100, 200);
    Press(start);
    Move(OnPlot(150, 100));
    Move(end);
    ASSERT_TRUE(f.Zooming);
    EXPECT_EQ(f.ZoomEnd, end);
    EXPECT_EQ(ShownPixel(f, {start.x(), end.y()}), 0xFF0000u) << "the red box";
    EXPECT_EQ(ShownPixel(f, {end.x(), start.y()}), 0xFF0000u);
    EXPECT_TRUE(f.PosLabel->text().isEmpty()) << "no readout while dragging";
    // Bottom-left and top-right corners, whichever way the box was drawn.
    const auto [xMin, yMin] = ValueAt({end.x(), end.y()});
    const auto [xMax, yMax] = ValueAt({start.x(), start.y()});
    Release(end);
    EXPECT_FALSE(f.Zooming);
    EXPECT_EQ(DocRange(), (Range{xMin, xMax, yMin, yMax}));
    EXPECT_EQ(f.Graph->XMin, xMin);
    EXPECT_EQ(f.Graph->YMax, yMax);
    EXPECT_NE(ShownPixel(f, {start.x(), end.y()}), 0xFF0000u) << "the box is gone";
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(GraphViewTest, AClickWithoutADragOnlyRepaints)
{
    TMainForm &f = Shown();
    const Range before = DocRange();
    Press(OnPlot(50, 50));
    ASSERT_TRUE(f.Zooming);
    Release(OnPlot(50, 50));
    EXPECT_FALSE(f.Zooming);
    EXPECT_EQ(DocRange(), before);
}

TEST_F(GraphViewTest, ARightPressDuringADragCancelsItWithoutTheDialog)
{
    TMainForm &f = Shown();
    const Range before = DocRange();
    const int forms = dialogs.formCount;
    Press(OnPlot(10, 10));
    Move(OnPlot(200, 200));
    Press(OnPlot(200, 200), Qt::RightButton);
    EXPECT_FALSE(f.Zooming);
    EXPECT_EQ(dialogs.formCount, forms);
    Release(OnPlot(200, 200), Qt::RightButton);
    Release(OnPlot(200, 200));
    EXPECT_EQ(DocRange(), before);
}

TEST_F(GraphViewTest, AReleaseOfAnotherButtonEndsTheBoxTheSameWay)
{
    TMainForm &f = Shown();
    Press(OnPlot(10, 10));
    Move(OnPlot(100, 100));
    const auto [xMax, yMax] = ValueAt(OnPlot(100, 10));
    Release(OnPlot(100, 100), Qt::MiddleButton);
    EXPECT_FALSE(f.Zooming);
    EXPECT_EQ(f.Document.GraphXMax, xMax);
    EXPECT_EQ(f.Document.GraphYMax, yMax);
}

TEST_F(GraphViewTest, TheMovingCornerStaysOnThePlotEdge)
{
    TMainForm &f = Shown();
    const TPlotRect r = f.Graph->PlotRect;
    const QPoint topLeft = OnPlot(0, 0), bottomRight = OnPlot(r.right - r.left, r.bottom - r.top);
    Press(OnPlot(50, 50));
    Move({-500, -500});
    EXPECT_EQ(f.ZoomEnd, topLeft);
    Move({5000, 5000});
    EXPECT_EQ(f.ZoomEnd, bottomRight);
    const auto [xMax, yMin] = ValueAt(bottomRight);
    Release({5000, 5000});
    EXPECT_EQ(f.Document.GraphXMax, xMax);
    EXPECT_EQ(f.Document.GraphYMin, yMin);
}

TEST_F(GraphViewTest, APressOffThePlotOrBeforeTheGraphStartsNoBox)
{
    TMainForm &f = Shown();
    Press(OnPlot(-1, 10));
    EXPECT_FALSE(f.Zooming);
    Press(OnPlot(0, 0)); // the edge belongs to the plot
    EXPECT_TRUE(f.Zooming);
    Release(OnPlot(0, 0));

    Stop();
    TMainForm &g = Start();
    Add(0, 0);
    Add(10, 10);
    ASSERT_EQ(g.Graph, nullptr);
    Press({400, 300});
    EXPECT_FALSE(g.Zooming);
}

TEST_F(GraphViewTest, AZeroWidthBoxGivesEqualBoundsTheGraphWidens)
{
    TMainForm &f = Shown();
    Press(OnPlot(100, 20));
    Move(OnPlot(100, 120));
    Release(OnPlot(100, 120));
    EXPECT_EQ(f.Document.GraphXMin, f.Document.GraphXMax);
    EXPECT_LT(f.Graph->XMin, f.Graph->XMax);
    EXPECT_NE(f.Document.GraphYMin, f.Document.GraphYMax);
}

TEST_F(GraphViewTest, ABoxNeverYieldsARangeTheGraphRefuses)
{
    TMainForm &f = Shown();
    // A span whose reciprocal is near the largest double: half of it is
    // beyond what the graph draws.
    ASSERT_TRUE(f.ApplyGraphRange(0, 1e-302, 0, 100));
    const Range before = DocRange();
    const TPlotRect r = f.Graph->PlotRect;
    Press(OnPlot(0, 10));
    Move(OnPlot((r.right - r.left) / 2, 100));
    Release(OnPlot((r.right - r.left) / 2, 100));
    EXPECT_EQ(DocRange(), before);
    EXPECT_EQ(f.Graph->XMax, 1e-302) << "the graph and the document agree";
    EXPECT_FALSE(f.ApplyGraphRange(0, std::numeric_limits<double>::infinity(), 0, 1));
    EXPECT_EQ(DocRange(), before);
}

TEST_F(GraphViewTest, WithoutPointsTheMouseOnlyReadsValues)
{
    TMainForm &f = Shown(false);
    const Range before = DocRange();
    Press(OnPlot(10, 10));
    EXPECT_FALSE(f.Zooming);
    Press(OnPlot(10, 10), Qt::RightButton);
    DoubleClick(OnPlot(10, 10));
    EXPECT_FALSE(f.Zooming);
    EXPECT_EQ(dialogs.formCount, 0);
    EXPECT_EQ(DocRange(), before);
    Move(OnPlot(10, 10));
    const auto [x, y] = ValueAt(OnPlot(10, 10));
    EXPECT_EQ(f.PosLabel->text(), ReadoutText(x, y, 0));
    EXPECT_FALSE(f.PosLabel->text().isEmpty());
}

struct ReadoutCase {
    int formatIndex;
    const char *text;
};

TEST(ReadoutText, XWithoutDecimalsAndYWithTheTableFormatAlwaysWithAPoint)
{
    numtext::SetDecimalSeparator(',');
    const ReadoutCase cases[] = {
        {0, "   13 - 3"}, {1, "   13 - 3.1"}, {2, "   13 - 3.14"}, {3, "   13 - 3.142"}, {-1, "   13 - 3"}, {7, "   13 - 3"},
    };
    for (const ReadoutCase &c : cases)
        EXPECT_EQ(ReadoutText(12.6, 3.14159, c.formatIndex), c.text) << c.formatIndex;
    EXPECT_EQ(ReadoutText(-123456.4, -0.5, 1), "-123456 - -0.5");
}

TEST_F(GraphViewTest, TheReadoutFollowsTheCursorOnThePlotOnly)
{
    TMainForm &f = Shown();
    f.ScalePwrComboBox->setCurrentIndex(2);
    const QPoint p = OnPlot(123, 45);
    Move(p);
    const auto [x, y] = ValueAt(p);
    EXPECT_EQ(f.PosLabel->text(), ReadoutText(x, y, 2));
    EXPECT_TRUE(f.PosLabel->text().contains('.'));
    Move(OnPlot(-2, 45));
    EXPECT_EQ(f.PosLabel->text(), "");
}

TEST_F(GraphViewTest, ARightPressOpensTheRangeDialog)
{
    TMainForm &f = Shown();
    const int forms = dialogs.formCount;
    QStringList shown;
    dialogs.forms.push_back([&](QDialog &d) {
        auto &n = dynamic_cast<TNetSizeForm &>(d);
        shown << n.MinXEdit->text() << n.MaxXEdit->text() << n.MinYEdit->text() << n.MaxYEdit->text();
        n.setResult(0);
        n.MinXEdit->setText("-5");
        n.MaxYEdit->setText("2,5");
        n.OkButton->click();
        return n.result();
    });
    const Range before = DocRange();
    Press({f.GraphOriginX + 2, f.GraphOriginY + 2}, Qt::RightButton); // anywhere on the free area
    EXPECT_EQ(dialogs.formCount, forms + 1);
    EXPECT_EQ(shown.size(), 4);
    EXPECT_EQ(DocRange(), (Range{-5, before.xMax, before.yMin, 2.5}));
    EXPECT_EQ(f.Graph->XMin, -5);
    EXPECT_EQ(f.Graph->YMax, 2.5);
    // Cancel keeps the range.
    Release({10, 10}, Qt::RightButton);
    Press(OnPlot(5, 5), Qt::RightButton);
    EXPECT_EQ(dialogs.formCount, forms + 2);
    EXPECT_EQ(DocRange(), (Range{-5, before.xMax, before.yMin, 2.5}));
}

TEST_F(GraphViewTest, ADoubleClickFitsTheRangeToTheTableThenPressesAsThePlatformDoes)
{
    TMainForm &f = Shown();
    const ScaleDocument &d = f.Document;
    ASSERT_GT(d.TableCount, 0);
    const double dx = d.TableXMax - d.TableXMin, dy = d.TableYMax - d.TableYMin;
    ASSERT_GT(dx, 0);
    ASSERT_GT(dy, 0);
    DoubleClick(OnPlot(40, 40));
    EXPECT_EQ(DocRange(), (Range{d.TableXMin - 0.1 * dx, d.TableXMax + 0.1 * dx, d.TableYMin - 0.1 * dy,
                                 d.TableYMax + 0.1 * dy}));
    EXPECT_EQ(f.Graph->XMin, d.GraphXMin);
    // The second press started a box, and its release ended it as a click.
    EXPECT_FALSE(f.Zooming);
    Send(QEvent::MouseButtonDblClick, Qt::LeftButton, OnPlot(40, 40), Qt::LeftButton);
    EXPECT_TRUE(f.Zooming);
    Release(OnPlot(40, 40));
}

TEST_F(GraphViewTest, FitOfAFlatTableAndOfASinglePoint)
{
    TMainForm &f = Start();
    f.MinEdit->setText("0");
    f.MaxEdit->setText("100");
    Add(10, 5);
    Add(50, 5);
    f.grab();
    QApplication::processEvents();
    const ScaleDocument &d = f.Document;
    ASSERT_EQ(d.TableYMin, d.TableYMax);
    f.FormDblClick();
    EXPECT_EQ(d.GraphYMin, 5);
    EXPECT_EQ(d.GraphYMax, 5);
    EXPECT_LT(f.Graph->YMin, 5) << "widened by the graph";
    EXPECT_GT(f.Graph->YMax, 5);

    // One point left: no table; the fit uses the last table that had rows.
    const double xMin = d.TableXMin, xMax = d.TableXMax;
    f.PointsGrid->SetRow(1);
    dialogs.answers.push_back(ui::IdYes);
    f.DelPointButtonClick();
    ASSERT_EQ(d.PointCount, 1);
    ASSERT_EQ(d.TableCount, 0);
    f.FormDblClick();
    EXPECT_EQ(d.GraphXMin, xMin - 0.1 * (xMax - xMin));
    EXPECT_EQ(d.GraphXMax, xMax + 0.1 * (xMax - xMin));
}

} // namespace
