// Where the designer's dialogs open: the point, About, write and scale-list
// dialogs at the centre of the available desktop, wherever the main window is.
#include "tests/designer/designer_util.h"
#include "common/aboutform.h"
#include "transfer/prx54.h"
#include "transfer/scalelist.h"
#include <QCheckBox>
#include <QGuiApplication>
#include <QScreen>
#include <QTest>

namespace {

class DialogPlaceTest : public DesignerTest {
protected:
    // The next form is shown, its frame noted, and cancelled (or OK'd when
    // it is the About dialog).
    void NoteFrame(QRect &frame)
    {
        dialogs.forms.push_back([&frame](QDialog &d) {
            d.show();
            EXPECT_TRUE(QTest::qWaitForWindowExposed(&d));
            frame = d.frameGeometry();
            d.reject();
            return d.result();
        });
    }
    static QPoint DesktopCentre() { return QGuiApplication::primaryScreen()->availableGeometry().center(); }
};

TEST_F(DialogPlaceTest, ItsDialogsOpenAtTheDesktopCentre)
{
    TMainForm &f = Start();
    f.IntervalsCheckBox->setChecked(true); // the write dialog needs programming points
    Add(1, 10);
    Add(2, 20);
    // The main window well off the centre: its centre is no answer.
    for (const QPoint &windowAt : {QPoint(1010, 144), QPoint(20, 30), QPoint(1600, 700)}) {
        SCOPED_TRACE(windowAt.x());
        f.move(windowAt);
        f.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(f.windowHandle()));
        ASSERT_NE(f.frameGeometry().center(), DesktopCentre());

        struct Opened {
            const char *name;
            void (TMainForm::*command)();
        };
        for (const Opened &o : {Opened{"add", &TMainForm::AddPointButtonClick},
                                Opened{"change", &TMainForm::EditPointButtonClick},
                                Opened{"about", &TMainForm::AboutProgClick},
                                Opened{"write", &TMainForm::RX54ItemClick},
                                Opened{"list", &TMainForm::ScalelistClick}}) {
            SCOPED_TRACE(o.name);
            QRect frame;
            NoteFrame(frame);
            const int forms = dialogs.formCount;
            (f.*o.command)();
            ASSERT_EQ(dialogs.formCount, forms + 1);
            EXPECT_EQ(frame.center(), DesktopCentre());
            // Moved away by the user, it comes back to the centre next time.
            f.EditPointForm->move(0, 0);
            f.AboutForm->move(0, 0);
            f.PRx54ProgForm->move(0, 0);
            f.ScaleListForm->move(0, 0);
        }
    }
    EXPECT_EQ(f.Document.PointCount, 2);
}

} // namespace
