// The two print commands of the designer's menu: what they hand to the
// printer, read back from the PDF the print dialog chose.
#include "tests/designer/designer_util.h"
#include <QFile>
#include <QLineEdit>
#include <QPrinter>
#include <QProcess>

namespace {

QString PdfText(const QString &pdf)
{
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    p.waitForFinished(30000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

class PrintMenuTest : public DesignerTest {
protected:
    void SetUp() override { Start(); }

    // The next print dialog answers OK with output to a PDF file.
    QString AnswerPdf(const QString &name)
    {
        QString path = pdfDir.filePath(name);
        dialogs.printSetups.push_back([path](QPrinter &printer) {
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(path);
            return true;
        });
        return path;
    }

    QTemporaryDir pdfDir;
};

TEST_F(PrintMenuTest, TheTableCommandPrintsTheWindowsTable)
{
    form->YNameEdit->setText(QStringLiteral("Volts"));
    Add(1, 10);
    Add(3, 30);
    ASSERT_GT(form->Document.TableCount, 0);
    const QString pdf = AnswerPdf(QStringLiteral("table.pdf"));
    form->PrintTableItemClick();
    ASSERT_TRUE(QFile::exists(pdf)) << dialogs.Texts().join(u'|').toStdString();
    const QString text = PdfText(pdf);
    EXPECT_TRUE(text.contains(QStringLiteral("Volts"))) << text.toStdString();
    EXPECT_TRUE(dialogs.printSetups.empty());
}

TEST_F(PrintMenuTest, TheGraphCommandPrintsTheDescriptionAsTitle)
{
    form->ScaleEdit->setText(QStringLiteral("Thermocouple K"));
    Add(1, 10);
    Add(3, 30);
    const QString pdf = AnswerPdf(QStringLiteral("graph.pdf"));
    form->PrintGraphikItemClick();
    ASSERT_TRUE(QFile::exists(pdf)) << dialogs.Texts().join(u'|').toStdString();
    EXPECT_TRUE(PdfText(pdf).contains(QStringLiteral("Thermocouple K")));
}

TEST_F(PrintMenuTest, ACancelledDialogPrintsNothing)
{
    Add(1, 10);
    Add(3, 30);
    form->PrintTableItemClick(); // no answer queued: the dialog is cancelled
    form->PrintGraphikItemClick();
    EXPECT_TRUE(QDir(pdfDir.path()).isEmpty());
    EXPECT_TRUE(dialogs.messages.empty());
}

} // namespace
