// The mouse on the window's panels, delivered as the platform delivers it
// (through the shown window to the widget under the cursor): it belongs to
// the panel, never to the graph's handlers of the client area; MainPanel's
// popup opens at once.
#include "tests/designer/graph_util.h"
#include <QApplication>
#include <QGroupBox>
#include <QMenu>
#include <QTest>
#include <QWindow>

namespace {

class PanelMouseTest : public GraphWindowTest {
protected:
    // A shown window with two points and a zoomed range (which a fit would lose).
    TMainForm &Shown()
    {
        TMainForm &f = StartZeroToHundred();
        f.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(f.windowHandle()));
        QApplication::processEvents(); // the first paint's recalculation
        EXPECT_NE(f.Graph, nullptr);
        EXPECT_TRUE(f.ApplyGraphRange(10, 20, 5, 15));
        dialogs.Clear();
        return f;
    }

    QWindow *Window() const { return form->windowHandle(); }
    QPoint InWindow(QWidget *w, const QPoint &local) const { return w->mapTo(form.get(), local); }
    // A window position of a plot pixel.
    QPoint WindowOnPlot(int dx, int dy) const { return InWindow(form->ClientArea, OnPlot(dx, dy)); }

    void ClosePopup()
    {
        if (form->PopupMenu->isVisible())
            form->PopupMenu->close();
        QApplication::processEvents();
    }
};

// A place on a panel: a widget and a point of it that is blank (no child
// there) when the widget is a container.
struct Area {
    const char *name;
    QWidget *(*widget)(TMainForm &);
    QPoint (*point)(QWidget *);
    bool onMainPanel; // its popup belongs there
};

QPoint Centre(QWidget *w) { return w->rect().center(); }

const Area Areas[] = {
    {"MainPanel blank", [](TMainForm &f) -> QWidget * { return f.MainPanel; },
     [](QWidget *w) { return QPoint(3, w->height() / 3); }, true},
    {"PosLabel", [](TMainForm &f) -> QWidget * { return f.PosLabel; }, Centre, true},
    {"Label9", [](TMainForm &f) -> QWidget * { return f.Label9; }, Centre, true},
    {"Panel1", [](TMainForm &f) -> QWidget * { return f.Panel1; }, Centre, true},
    {"ATypeRadioGroup blank", [](TMainForm &f) -> QWidget * { return f.ATypeRadioGroup; },
     [](QWidget *w) { return QPoint(w->width() - 4, w->height() - 4); }, true},
    {"Bevel1 blank", [](TMainForm &f) -> QWidget * { return f.Bevel1; },
     [](QWidget *w) { return QPoint(3, w->height() - 4); }, true},
    {"BottomPanel blank", [](TMainForm &f) -> QWidget * { return f.BottomPanel; },
     [](QWidget *) { return QPoint(40, 48); }, true},
    {"TopPanel blank (its bevel)", [](TMainForm &f) -> QWidget * { return f.TopBevel; },
     [](QWidget *w) { return QPoint(w->width() - 3, w->height() / 2); }, false},
    {"Label5", [](TMainForm &f) -> QWidget * { return f.Label5; }, Centre, false},
};

TEST_F(PanelMouseTest, ThePlatformsEventsReachTheClientAreaWhereItIsFree)
{
    // The way the events go in the cases below works: on the plot a right
    // press asks for the range dialog and a double click fits the range.
    TMainForm &f = Shown();
    const int forms = dialogs.formCount;
    QTest::mousePress(Window(), Qt::RightButton, {}, WindowOnPlot(30, 30));
    QTest::mouseRelease(Window(), Qt::RightButton, {}, WindowOnPlot(30, 30));
    EXPECT_EQ(dialogs.formCount, forms + 1);
    EXPECT_FALSE(f.PopupMenu->isVisible());
    const Range zoomed = DocRange();
    QTest::mouseDClick(Window(), Qt::LeftButton, {}, WindowOnPlot(30, 30));
    EXPECT_NE(DocRange(), zoomed) << "fitted to the table";
    QTest::mouseMove(Window(), WindowOnPlot(40, 40));
    EXPECT_FALSE(f.PosLabel->text().isEmpty()) << "the readout";
}

TEST_F(PanelMouseTest, APanelKeepsItsMouseAndMainPanelsPopupOpensAtOnce)
{
    TMainForm &f = Shown();
    for (const Area &a : Areas) {
        SCOPED_TRACE(a.name);
        QWidget *w = a.widget(f);
        const QPoint local = a.point(w);
        ASSERT_TRUE(w->rect().contains(local));
        if (!qobject_cast<QLabel *>(w)) {
            ASSERT_EQ(w->childAt(local), nullptr) << "a blank part";
        }
        const QPoint at = InWindow(w, local);
        ASSERT_EQ(f.childAt(at), w);
        const Range zoomed = DocRange();
        dialogs.Clear();
        const int forms = dialogs.formCount;

        // A right press: the panel's popup at once, no range dialog.
        QTest::mousePress(Window(), Qt::RightButton, {}, at);
        EXPECT_EQ(f.PopupMenu->isVisible(), a.onMainPanel);
        EXPECT_EQ(dialogs.formCount, forms) << "no range dialog";
        ClosePopup();
        QTest::mouseRelease(Window(), Qt::RightButton, {}, at);
        ClosePopup();

        // A double click: the zoom stays.
        QTest::mouseDClick(Window(), Qt::LeftButton, {}, at);
        EXPECT_EQ(DocRange(), zoomed);
        EXPECT_FALSE(f.Zooming);

        // A left press there dragged onto the plot starts no box.
        QTest::mousePress(Window(), Qt::LeftButton, {}, at);
        QTest::mouseMove(Window(), WindowOnPlot(50, 50));
        EXPECT_FALSE(f.Zooming);
        QTest::mouseRelease(Window(), Qt::LeftButton, {}, WindowOnPlot(50, 50));
        EXPECT_EQ(DocRange(), zoomed);

        // The readout of the plot stays while the mouse is over the panel.
        QTest::mouseMove(Window(), WindowOnPlot(60, 60));
        const QString readout = f.PosLabel->text();
        ASSERT_FALSE(readout.isEmpty());
        QTest::mouseMove(Window(), at);
        EXPECT_EQ(f.PosLabel->text(), readout);

        EXPECT_EQ(dialogs.formCount, forms);
        EXPECT_TRUE(dialogs.messages.empty());
    }
}

} // namespace
