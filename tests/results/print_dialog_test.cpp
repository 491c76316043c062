// The results print through Qt's own print dialog: the page range it offers
// follows the paper the user picks under its properties, and what comes out
// is counted on that paper.
#include "output_fixture.h"
#include "common/lang.h"
#include "common/numtext.h"
#include "common/qtdialogs.h"
#include "results/printresults.h"
#include "tests/support/modal_wait.h"
#include "tests/support/pdf_pages.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPageSize>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

// 25 scale groups in one file: one page of A4, more of A6 (the statistics
// table runs on).
ResultsData TwentyFiveGroups()
{
    ResultsData r;
    r.DeviceText = "Q5-M8";
    r.FileCount = 1;
    TResFile &f = r.Files[0];
    f.ValuesCount = 50;
    for (int k = 0; k < 50; ++k) {
        f.Values[k].Str = QString::number(k % 9 + 1) + ".25";
        f.Values[k].Scale = "S" + QString::number(k % 25);
    }
    StatisticList(f);
    return r;
}

class ResultsPrintDialog : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        numtext::SetDecimalSeparator('.');
        English = true;
        previous = ui::Install(&qt);
    }
    void TearDown() override
    {
        ui::Install(previous);
        English = false;
    }

    // Opens the print dialog's properties, picks the paper named there and
    // closes them with OK; then notes what the dialog's range shows.
    void PickPaper(QWidget *dialog, const QString &paper)
    {
        QTimer::singleShot(50, [this, paper] {
            QWidget *properties = QApplication::activeModalWidget();
            auto *sizes = properties ? properties->findChild<QComboBox *>("pageSizeCombo") : nullptr;
            if (sizes) {
                for (int i = 0; i < sizes->count(); ++i)
                    if (sizes->itemText(i).startsWith(paper))
                        sizes->setCurrentIndex(i);
                picked = sizes->currentText();
            }
            if (auto *d = qobject_cast<QDialog *>(properties))
                d->accept();
        });
        dialog->findChild<QPushButton *>("properties")->click();
    }

    int ShownTo(QWidget *dialog) { return dialog->findChild<QSpinBox *>("to")->value(); }

    QTemporaryDir dir;
    QtDialogs qt;
    ui::Dialogs *previous = nullptr;
    QString picked;
};

TEST_F(ResultsPrintDialog, RangeFollowsThePaperPickedInTheDialog)
{
    const ResultsData r = TwentyFiveGroups();
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageSize(QPageSize(QPageSize::A4));
    const QString pdf = dir.filePath("a6.pdf");

    // Picked and then cancelled: the printer keeps its paper.
    int before = -1, afterA6 = -1;
    {
        ModalWaiter waiter([&](QWidget *w) {
            before = ShownTo(w);
            PickPaper(w, "A6");
            afterA6 = ShownTo(w);
            qobject_cast<QDialog *>(w)->reject();
        });
        PrintResults(nullptr, printer, r, false, NodeData(0));
        EXPECT_TRUE(waiter.Done()) << waiter.Unexpected().join(" | ").toStdString();
    }
    EXPECT_EQ(picked.left(2), "A6");
    EXPECT_EQ(before, 1);
    EXPECT_GE(afterA6, 2);
    EXPECT_EQ(printer.pageLayout().pageSize().id(), QPageSize::A4);

    // Picked and printed with all pages: as many as the dialog then showed.
    bool all = false;
    {
        ModalWaiter waiter([&](QWidget *w) {
            PickPaper(w, "A6");
            afterA6 = ShownTo(w);
            all = w->findChild<QRadioButton *>("printAll")->isChecked();
            w->findChild<QLineEdit *>("filename")->setText(pdf);
            qobject_cast<QDialog *>(w)->accept();
        });
        PrintResults(nullptr, printer, r, false, NodeData(0));
        EXPECT_TRUE(waiter.Done()) << waiter.Unexpected().join(" | ").toStdString();
    }
    EXPECT_TRUE(all);
    EXPECT_EQ(printer.pageLayout().pageSize().id(), QPageSize::A6);
    EXPECT_EQ(PdfPages(pdf), afterA6);

    // The next print starts from the A6 the printer kept.
    {
        ModalWaiter waiter([&](QWidget *w) {
            before = ShownTo(w);
            qobject_cast<QDialog *>(w)->reject();
        });
        PrintResults(nullptr, printer, r, false, NodeData(0));
        EXPECT_TRUE(waiter.Done());
    }
    EXPECT_EQ(before, afterA6);
}

} // namespace
