// The two print commands of the designer's menu: what they hand to the
// printer, read back from the PDF the print dialog chose.
#include "tests/designer/designer_util.h"
#include "tests/support/pdf_pages.h"
#include <QFile>
#include <QLineEdit>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <functional>

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

    // The next print dialog answers OK with output to a PDF file, after
    // choose (a page range, say) when given.
    QString AnswerPdf(const QString &name, std::function<void(QPrinter &)> choose = {})
    {
        QString path = pdfDir.filePath(name);
        dialogs.printSetups.push_back([path, choose](QPrinter &printer) {
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(path);
            if (choose)
                choose(printer);
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

// The window's printer stays for the run, but each print offers all of its
// own pages: a range chosen once is not chosen again.
TEST_F(PrintMenuTest, TheNextPrintAfterAPageRangePrintsEveryPage)
{
    form->MinEdit->setText(QStringLiteral("-1"));
    form->MaxEdit->setText(QStringLiteral("301"));
    form->StepEdit->setText(QStringLiteral("1"));
    Add(0, 0);
    Add(300, 300);
    // Two pages.
    ASSERT_GT(form->Document.TableCount, 250);
    ASSERT_LT(form->Document.TableCount, 400);
    const auto onlyPage = [](int page) {
        return [page](QPrinter &p) {
            p.setPrintRange(QPrinter::PageRange);
            p.setFromTo(page, page);
        };
    };
    const QString second = AnswerPdf(QStringLiteral("second.pdf"), onlyPage(2));
    form->PrintTableItemClick();
    EXPECT_EQ(PdfPages(second), 1);
    const QString both = AnswerPdf(QStringLiteral("both.pdf"));
    form->PrintTableItemClick();
    EXPECT_EQ(PdfPages(both), 2);
    // A range the graph's one page lies outside, then the graph again.
    const QString none = AnswerPdf(QStringLiteral("none.pdf"), onlyPage(2));
    form->PrintGraphikItemClick();
    EXPECT_FALSE(QFile::exists(none));
    const QString graph = AnswerPdf(QStringLiteral("graph.pdf"));
    form->PrintGraphikItemClick();
    EXPECT_EQ(PdfPages(graph), 1);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text,
              QString::fromUtf8("В выбранном диапазоне нет страниц: в задании печати страницы с 1 по 1."));
    EXPECT_EQ(dialogs.messages[0].flags, ui::MbOk | ui::MbIconError);
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
