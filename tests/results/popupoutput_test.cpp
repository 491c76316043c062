// The popup's copy and print commands in the main window: they act on the
// node under the last right click, as its number decodes (a root: all
// results; below: that file, a group's nodes that group), after a load, a
// read, a comment and a language switch.
#include "output_fixture.h"
#include "results/clipboardtext.h"
#include "results/mainform.h"
#include "results/resfile.h"
#include "common/lang.h"
#include "common/numtext.h"
#include "tests/support/pdf_pages.h"
#include "tests/support/recording_dialogs.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QMenu>
#include <QPageSize>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QSettings>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <gtest/gtest.h>
#include <functional>
#include <memory>

using outfix::U;

namespace {

QString RunTool(const QString &program, const QStringList &args)
{
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(30000) || p.exitCode() != 0)
        return QStringLiteral("<%1 failed>").arg(program);
    return QString::fromUtf8(p.readAllStandardOutput());
}

class PopupOutput : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir.filePath("cfg"));
        numtext::SetDecimalSeparator('.');
        English = false;
        DeviceKind = DeviceKindNormal;
        pdf = dir.filePath("out.pdf");
    }
    void TearDown() override
    {
        if (form)
            form->Modified = false;
        form.reset();
        English = false;
        DeviceKind = DeviceKindNormal;
    }

    // Three files: 1 with groups A and B, 2 without values, 3 with group C.
    TMainForm &OpenFixture(const char *device = "Q5-M8 v.1.2.15")
    {
        data.DeviceText = U(device);
        data.CommonRemark = "all";
        data.FileCount = 3;
        outfix::SetValues(data.Files[0], {{"1.5", "A"}, {"7", "B"}, {"2.5", "A"}});
        data.Files[1].Remark = "empty";
        outfix::SetValues(data.Files[2], {{"9", "C"}});
        const QString path = dir.filePath("fix.osl3");
        SaveResultsFile(data, path);
        form = std::make_unique<TMainForm>(QStringList{"Ostrel", path});
        form->show();
        return *form;
    }

    QTreeWidgetItem *Root(int i) const { return form->ResTree->topLevelItem(i); }

    // Right-clicks item; true when a popup opened (it is closed again).
    bool RightClick(QTreeWidgetItem *item)
    {
        for (QTreeWidgetItem *p = item->parent(); p; p = p->parent())
            p->setExpanded(true);
        form->ResTree->scrollToItem(item);
        const QRect row = form->ResTree->visualItemRect(item);
        form->ResTreeMouseDown(Qt::RightButton, QPoint(row.left() + 4, row.center().y())); // on the label
        const bool shown = form->PopupMenu->isVisible() || form->PopupMenuEng->isVisible();
        form->PopupMenu->hide();
        form->PopupMenuEng->hide();
        return shown;
    }

    // The next print dialog answers OK with output to a PDF file, after
    // choose (a page range, say) when given.
    void AnswerPdf(std::function<void(QPrinter &)> choose = {})
    {
        dialogs.printSetups.push_back([this, choose](QPrinter &printer) {
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(pdf);
            printer.setResolution(150);
            printer.setPageSize(QPageSize(QPageSize::A4));
            if (choose)
                choose(printer);
            return true;
        });
    }

    QString Clip() const { return QGuiApplication::clipboard()->text(); }

    QTemporaryDir dir;
    QString pdf;
    RecordingDialogs dialogs;
    ResultsData data;
    std::unique_ptr<TMainForm> form;
};

TEST_F(PopupOutput, CopyActsOnTheRightClickedNode)
{
    TMainForm &f = OpenFixture();
    QTreeWidgetItem *file1 = Root(1)->child(0);
    QTreeWidgetItem *groupB = file1->child(1)->child(1);  // Статистика / B
    ASSERT_EQ(groupB->text(0), "B");
    QGuiApplication::clipboard()->setText("before");

    // A file node opens no popup and copies nothing.
    EXPECT_FALSE(RightClick(file1));
    f.CopyItem->trigger();
    EXPECT_EQ(Clip(), "before");

    // A group's mean line: the whole of its file.
    ASSERT_TRUE(RightClick(groupB->child(3)));
    f.CopyItem->trigger();
    EXPECT_EQ(Clip(), *ClipboardText(data, false, NodeData(0)));
    EXPECT_TRUE(Clip().startsWith(U("Q5-M8 v.1.2.15\r\nall\r\nФайл 1\r\nРезультатов 3\r\n")))
        << Clip().toStdString();

    // Either root: every file with values, a form feed between them.
    ASSERT_TRUE(RightClick(Root(0)));
    f.CopyItem->trigger();
    const QString all = *ClipboardText(data, true, 0);
    EXPECT_EQ(Clip(), all);
    EXPECT_TRUE(all.contains(U("\f\r\nQ5-M8 v.1.2.15\r\nall\r\nФайл 3\r\n")));
    QGuiApplication::clipboard()->setText("before");
    ASSERT_TRUE(RightClick(Root(1)));
    f.CopyItem->trigger();
    EXPECT_EQ(Clip(), all);

    // The remark node of a file without values copies its (empty) text.
    ASSERT_TRUE(RightClick(Root(1)->child(1)->child(0)));
    f.CopyItem->trigger();
    EXPECT_EQ(Clip(), QString());

    // After a switch the tree is new; the English popup copies in English.
    f.EnglishItemClick();
    EXPECT_EQ(f.SelectedNode, nullptr);
    ASSERT_TRUE(RightClick(Root(1)->child(2)->child(0)));
    f.MenuItem21->trigger();
    EXPECT_TRUE(Clip().startsWith("Q5-M8 v.1.2.15\r\nall\r\nFile 3\r\nResults count 1\r\nStatistics\r\n    C\r\n"))
        << Clip().toStdString();
}

TEST_F(PopupOutput, PrintActsOnTheRightClickedNode)
{
    TMainForm &f = OpenFixture();
    // Root: one page for each file with values.
    ASSERT_TRUE(RightClick(Root(0)));
    AnswerPdf();
    f.PrintItem->trigger();
    EXPECT_TRUE(dialogs.messages.empty()) << dialogs.Texts().join("|").toStdString();
    EXPECT_EQ(PdfPages(pdf), 2);
    const QString both = RunTool("pdftotext", {"-layout", pdf, "-"});
    EXPECT_TRUE(both.contains(U("Файл 1")) && both.contains(U("Файл 3"))) << both.toStdString();

    // A group's count line: that group alone.
    QTreeWidgetItem *groupB = Root(1)->child(0)->child(1)->child(1);
    ASSERT_TRUE(RightClick(groupB->child(0)));
    QFile::remove(pdf);
    AnswerPdf();
    f.PrintItem->trigger();
    ASSERT_EQ(PdfPages(pdf), 1);
    const QString one = RunTool("pdftotext", {"-layout", pdf, "-"});
    EXPECT_TRUE(QRegularExpression("1\\s+B\\s+7").match(one).hasMatch()) << one.toStdString();
    EXPECT_FALSE(one.contains("1.5")) << one.toStdString();

    // The file's count node: the whole file.
    ASSERT_TRUE(RightClick(Root(1)->child(0)->child(0)));
    QFile::remove(pdf);
    AnswerPdf();
    f.PrintItem->trigger();
    ASSERT_EQ(PdfPages(pdf), 1);
    const QString whole = RunTool("pdftotext", {"-layout", pdf, "-"});
    EXPECT_TRUE(whole.contains("1.5") && whole.contains("2.5") && whole.contains("7")) << whole.toStdString();

    // A file node: no popup and no print dialog even when the item runs.
    EXPECT_FALSE(RightClick(Root(1)->child(0)));
    f.PrintItem->trigger();
    EXPECT_EQ(dialogs.printSetups.size(), 0u);
}

// The window's printer stays for the run, but each print offers all of its
// own pages: a range chosen once is not chosen again.
TEST_F(PopupOutput, TheNextPrintAfterAPageRangePrintsEveryPage)
{
    TMainForm &f = OpenFixture();
    ASSERT_TRUE(RightClick(Root(0)));
    AnswerPdf([](QPrinter &p) {
        p.setPrintRange(QPrinter::PageRange);
        p.setFromTo(2, 2);
    });
    f.PrintItem->trigger();
    ASSERT_EQ(PdfPages(pdf), 1);
    EXPECT_TRUE(RunTool("pdftotext", {"-layout", pdf, "-"}).contains(U("Файл 3")));
    QFile::remove(pdf);
    AnswerPdf();
    f.PrintItem->trigger();
    EXPECT_EQ(PdfPages(pdf), 2);
    // Page 2 left over from a print of two pages, then one file of one page.
    ASSERT_TRUE(RightClick(Root(1)->child(2)->child(0)));
    QFile::remove(pdf);
    AnswerPdf();
    f.PrintItem->trigger();
    EXPECT_EQ(PdfPages(pdf), 1);
    EXPECT_TRUE(dialogs.messages.empty()) << dialogs.Texts().join("|").toStdString();
}

TEST_F(PopupOutput, OnlyAClickOnTheLabelCounts)
{
    TMainForm &f = OpenFixture();
    f.resize(900, 600);
    QTreeWidgetItem *root = Root(0);
    const QRect row = f.ResTree->visualItemRect(root);
    const int label = f.ResTree->fontMetrics().horizontalAdvance(root->text(0));
    ASSERT_GT(row.width(), label + 100);
    // The blank part of the row after the label: nothing selected, no popup.
    f.ResTree->setCurrentItem(Root(1));
    f.ResTreeMouseDown(Qt::RightButton, QPoint(row.left() + label + 60, row.center().y()));
    EXPECT_EQ(f.SelectedNode, nullptr);
    EXPECT_EQ(f.ResTree->currentItem(), Root(1));
    EXPECT_FALSE(f.PopupMenu->isVisible());
    // The expand button before a label is not the label either.
    QTreeWidgetItem *file1 = Root(1)->child(0);
    const QRect fileRow = f.ResTree->visualItemRect(file1);
    f.ResTreeMouseDown(Qt::RightButton, QPoint(fileRow.left() - 5, fileRow.center().y()));
    EXPECT_EQ(f.SelectedNode, nullptr);
    // On the label's last letters it counts.
    f.ResTreeMouseDown(Qt::RightButton, QPoint(row.left() + label - 2, row.center().y()));
    EXPECT_EQ(f.SelectedNode, root);
    EXPECT_TRUE(f.PopupMenu->isVisible());
    f.PopupMenu->hide();
}

TEST_F(PopupOutput, CommentThenCopyTakesTheNewRemark)
{
    TMainForm &f = OpenFixture();
    ASSERT_TRUE(RightClick(Root(1)->child(2)->child(0)));
    dialogs.inputs.push_back("third");
    f.RemarkItem->trigger();
    // The rebuilt subtree: the remark is its first child and the selected node.
    ASSERT_EQ(f.SelectedNode, Root(1)->child(2)->child(0));
    EXPECT_EQ(f.SelectedNode->text(0), "third");
    f.CopyItem->trigger();
    EXPECT_TRUE(Clip().contains(U("Файл 3\r\nthird\r\nРезультатов 1\r\n"))) << Clip().toStdString();
}

TEST_F(PopupOutput, ReadResultsCopyFromTheRoot)
{
    TMainForm &f = OpenFixture();
    f.Modified = false;
    ASSERT_TRUE(f.TryClearResults());
    std::vector<std::vector<TValue>> files(ResultFileCount);
    files[1] = {TValue{"1.0", "S", 0, {}}};
    files[4] = {TValue{"2.0", "S", 0, {}}};
    f.CommonRemark = U("Результаты измерений");
    f.InstallReadResults("Q5-M8 v.1.2.15", files);
    ASSERT_TRUE(RightClick(Root(0)));
    f.CopyItem->trigger();
    // Files 2 and 5, each closed by a form feed (file 5 is not the last).
    const QString block2 = U("Q5-M8 v.1.2.15\r\nРезультаты измерений\r\nФайл 2\r\nРезультатов 1\r\n");
    const QString block5 = U("Q5-M8 v.1.2.15\r\nРезультаты измерений\r\nФайл 5\r\nРезультатов 1\r\n");
    EXPECT_TRUE(Clip().startsWith(block2)) << Clip().toStdString();
    EXPECT_TRUE(Clip().contains(U("2.0\r\n\f\r\n")));
    EXPECT_TRUE(Clip().contains(block5));
    EXPECT_TRUE(Clip().endsWith("2.0\r\n\f\r\n")) << Clip().toStdString();
}

TEST_F(PopupOutput, OtherInstrumentOffersNoCopyOrPrint)
{
    TMainForm &f = OpenFixture("KVR-20 v.1.0.0");
    EXPECT_EQ(DeviceKind, DeviceKindKvr20);
    QGuiApplication::clipboard()->setText("before");
    EXPECT_FALSE(RightClick(Root(0)));
    EXPECT_FALSE(RightClick(Root(1)->child(0)->child(0)));
    EXPECT_TRUE(f.ResMemo->isHidden());
}

} // namespace
