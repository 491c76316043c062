// The table print through Qt's own print dialog: the job is named before the
// dialog opens, with no printer installed the dialog offers a PDF file of
// that name, and the pages go to the file the user accepts.
#include "common/lang.h"
#include "common/numtext.h"
#include "common/qtdialogs.h"
#include "designer/print_table.h"
#include "scale/scaledocument.h"
#include "tests/support/modal_wait.h"
#include "tests/support/pdf_pages.h"

#include <QFile>
#include <QLineEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QRadioButton>
#include <QSpinBox>
#include <QTemporaryDir>

#include <functional>

#include <gtest/gtest.h>

namespace {

// Prints go through Qt's own dialogs, with the designer's decimal separator,
// into a folder of the test's own.
class PrintDialog : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        numtext::SetDecimalSeparator(',');
        previous = ui::Install(&qt);
    }
    void TearDown() override
    {
        ui::Install(previous);
        numtext::SetDecimalSeparator('.');
    }

    QTemporaryDir dir;
    QtDialogs qt;
    ui::Dialogs *previous = nullptr;
};

TEST_F(PrintDialog, NamesTheJobFirstAndPrintsToTheChosenFile)
{
    ScaleDocument doc;
    doc.YNameText = "T1";
    doc.TableX = {0.5, 1, 1.5};
    doc.TableY = {1, 2, 3};
    doc.TableCount = 3;
    doc.TableStep = 0.5;

    const QString target = dir.filePath("table.pdf");
    QString jobName, offered;
    bool fileEdit = false;
    ModalWaiter waiter([&](QWidget *w) {
        if (auto *dialog = qobject_cast<QPrintDialog *>(w))
            jobName = dialog->printer()->docName();
        // The output file of "Print to File (PDF)".
        if (auto *edit = w->findChild<QLineEdit *>("filename")) {
            fileEdit = true;
            offered = edit->text();
            edit->setText(target);
        }
        qobject_cast<QDialog *>(w)->accept();
    });
    QPrinter printer(QPrinter::HighResolution);
    English = false;
    const bool printed = PrintTable(nullptr, doc, printer);

    EXPECT_TRUE(waiter.Done()) << waiter.Unexpected().join(" | ").toStdString();
    EXPECT_EQ(jobName, QString::fromUtf8("Шкала T1"));
    ASSERT_TRUE(fileEdit);
    // No printer here: the file offered is named after the job.
    EXPECT_TRUE(offered.endsWith(QString::fromUtf8("/Шкала T1.pdf"))) << offered.toStdString();
    EXPECT_TRUE(printed);
    EXPECT_TRUE(QFile::exists(target));
    EXPECT_GT(QFile(target).size(), 1000);
}

// What the dialog showed of its page range when it came up.
struct RangeShown {
    bool all = false;
    int from = -1, to = -1;
};

// Runs one table print through Qt's dialog: notes the range it shows, lets
// choose change the dialog, and prints to target.
bool PrintThroughDialog(const ScaleDocument &doc, QPrinter &printer, const QString &target, RangeShown &shown,
                        const std::function<void(QWidget *)> &choose = {})
{
    bool found = false;
    ModalWaiter waiter([&](QWidget *w) {
        auto *all = w->findChild<QRadioButton *>("printAll");
        auto *from = w->findChild<QSpinBox *>("from");
        auto *to = w->findChild<QSpinBox *>("to");
        auto *file = w->findChild<QLineEdit *>("filename");
        found = all && from && to && file;
        if (found) {
            shown = {all->isChecked(), from->value(), to->value()};
            file->setText(target);
            if (choose)
                choose(w);
        }
        qobject_cast<QDialog *>(w)->accept();
    });
    const bool printed = PrintTable(nullptr, doc, printer);
    EXPECT_TRUE(waiter.Done()) << waiter.Unexpected().join(" | ").toStdString();
    EXPECT_TRUE(found);
    return printed;
}

// The printer stays for the run; the page range chosen in its dialog does not.
TEST_F(PrintDialog, TheNextPrintOffersEveryPageAgain)
{
    ScaleDocument doc;
    doc.YNameText = "T1";
    for (int i = 0; i < 300; ++i) { // two pages
        doc.TableX.push_back(i);
        doc.TableY.push_back(2 * i);
    }
    doc.TableCount = 300;
    doc.TableStep = 1;
    QPrinter printer(QPrinter::HighResolution);

    RangeShown first, second;
    const QString page2 = dir.filePath("page2.pdf"), both = dir.filePath("both.pdf");
    EXPECT_TRUE(PrintThroughDialog(doc, printer, page2, first, [](QWidget *w) {
        w->findChild<QRadioButton *>("printRange")->setChecked(true);
        w->findChild<QSpinBox *>("from")->setValue(2);
        w->findChild<QSpinBox *>("to")->setValue(2);
    }));
    EXPECT_TRUE(PrintThroughDialog(doc, printer, both, second));

    EXPECT_TRUE(first.all);
    EXPECT_EQ(first.from, 1);
    EXPECT_EQ(first.to, 2);
    EXPECT_EQ(PdfPages(page2), 1);
    // Print pressed at once the second time: all pages, as offered.
    EXPECT_TRUE(second.all);
    EXPECT_EQ(second.from, 1);
    EXPECT_EQ(second.to, 2);
    EXPECT_EQ(PdfPages(both), 2);
}

} // namespace
