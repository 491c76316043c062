// The table print through Qt's own print dialog: the job is named before the
// dialog opens, with no printer installed the dialog offers a PDF file of
// that name, and the pages go to the file the user accepts.
#include "common/lang.h"
#include "common/numtext.h"
#include "common/qtdialogs.h"
#include "designer/print_table.h"
#include "scale/scaledocument.h"
#include "tests/support/modal_wait.h"

#include <QFile>
#include <QLineEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

TEST(PrintDialog, NamesTheJobFirstAndPrintsToTheChosenFile)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    numtext::SetDecimalSeparator(',');
    ScaleDocument doc;
    doc.YNameText = "T1";
    doc.TableX = {0.5, 1, 1.5};
    doc.TableY = {1, 2, 3};
    doc.TableCount = 3;
    doc.TableStep = 0.5;
    QtDialogs qt;
    ui::Dialogs *previous = ui::Install(&qt);

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
    ui::Install(previous);
    numtext::SetDecimalSeparator('.');

    EXPECT_TRUE(waiter.Done()) << waiter.Unexpected().join(" | ").toStdString();
    EXPECT_EQ(jobName, QString::fromUtf8("Шкала T1"));
    ASSERT_TRUE(fileEdit);
    // No printer here: the file offered is named after the job.
    EXPECT_TRUE(offered.endsWith(QString::fromUtf8("/Шкала T1.pdf"))) << offered.toStdString();
    EXPECT_TRUE(printed);
    EXPECT_TRUE(QFile::exists(target));
    EXPECT_GT(QFile(target).size(), 1000);
}

} // namespace
