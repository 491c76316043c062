// The results file at paths that are no plain file: FIFOs, sockets, devices,
// folders and links. Nothing may wait on them, and a refusal keeps both the
// results and whatever stands at the path.
#include "results/mainform.h"
#include "results/resfile.h"
#include "tests/common/odd_paths.h"
#include "common/ini.h"
#include "common/lang.h"
#include "common/numtext.h"
#include "tests/support/recording_dialogs.h"
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <gtest/gtest.h>
#include <memory>
#include <sys/stat.h>

namespace {

void AddValue(TResFile &f, const QString &str, const QString &scale)
{
    f.Values[f.ValuesCount].Str = str;
    f.Values[f.ValuesCount].Scale = scale;
    ++f.ValuesCount;
}

// files files of values values each, in two groups.
ResultsData Results(const char *device, int files, int values)
{
    ResultsData d;
    d.DeviceText = QString::fromUtf8(device);
    d.CommonRemark = QStringLiteral("remark");
    d.FileCount = files;
    for (int i = 0; i < files; ++i) {
        TResFile &f = d.Files[size_t(i)];
        f.Remark = QStringLiteral("file %1").arg(i + 1);
        for (int k = 0; k < values; ++k)
            AddValue(f, QString::number(k * 0.125 + i, 'f', 3), k % 2 ? QStringLiteral("mkm") : QStringLiteral("deg"));
        StatisticList(f);
    }
    return d;
}

class ResFilePaths : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        numtext::SetDecimalSeparator('.');
        English = false;
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir.filePath(QStringLiteral("cfg")));
    }
    void TearDown() override { English = false; }
    QString Path(const char *name) const { return dir.filePath(QString::fromUtf8(name)); }
    QStringList Listing() const
    {
        return QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                                          QDir::Name);
    }
    // The paths of the table; a.osl3 -> b.osl3 -> c.osl3 holds Results("end").
    void MakeSpecialPaths()
    {
        ASSERT_TRUE(special::MakeFifo(Path("fifo.osl3")));
        ASSERT_TRUE(special::MakeSocket(Path("socket.osl3")));
        ASSERT_TRUE(special::MakeLink("/dev/null", Path("device.osl3")));
        ASSERT_TRUE(QDir(dir.path()).mkdir("folder.osl3"));
        ASSERT_TRUE(special::MakeLink("gone.osl3", Path("dangling.osl3")));
        ASSERT_TRUE(special::MakeLink("nowhere/x.osl3", Path("nofolder.osl3")));
        ASSERT_TRUE(special::MakeLink("loop2.osl3", Path("loop1.osl3")));
        ASSERT_TRUE(special::MakeLink("loop1.osl3", Path("loop2.osl3")));
        SaveResultsFile(Results("end", 1, 2), Path("c.osl3"));
        ASSERT_TRUE(special::MakeLink("c.osl3", Path("b.osl3")));
        ASSERT_TRUE(special::MakeLink(Path("b.osl3"), Path("a.osl3")));
    }

    QTemporaryDir dir;
};

const char *const Refused[] = {"fifo.osl3",     "socket.osl3",    "device.osl3", "folder.osl3",
                               "dangling.osl3", "nofolder.osl3", "loop1.osl3"};

} // namespace

TEST_F(ResFilePaths, FileLayerReadsNothingButFilesAndFollowsLinks)
{
    MakeSpecialPaths();
    for (const char *name : Refused) {
        SCOPED_TRACE(name);
        const special::Watchdog watchdog(name);
        ResultsData data = Results("held", 3, 4);
        EXPECT_EQ(LoadResultsFile(data, Path(name)), DeviceKindNormal);
        EXPECT_EQ(data.DeviceText, "held");
        EXPECT_EQ(data.CommonRemark, "remark");
        EXPECT_EQ(data.FileCount, 3);
        EXPECT_EQ(data.Files[2].ValuesCount, 4);
    }
    ResultsData data = Results("held", 3, 4);
    LoadResultsFile(data, Path("a.osl3"));
    EXPECT_EQ(data.DeviceText, "end");
    EXPECT_EQ(data.FileCount, 1);
    EXPECT_TRUE(special::IsFifo(Path("fifo.osl3")));
}

TEST_F(ResFilePaths, FileLayerSavesToNoPathThatIsNoFile)
{
    MakeSpecialPaths();
    const QStringList before = Listing();
    for (const char *name : {"fifo.osl3", "socket.osl3", "device.osl3", "folder.osl3", "nofolder.osl3", "loop1.osl3"}) {
        SCOPED_TRACE(name);
        const special::Watchdog watchdog(name);
        try {
            SaveResultsFile(Results("new", 2, 3), Path(name));
            ADD_FAILURE() << "saved";
        } catch (const EIniFileException &e) {
            EXPECT_EQ(QString::fromStdString(e.what()), "Unable to write to " + Path(name));
        }
    }
    EXPECT_EQ(Listing(), before) << "a path was replaced or a temporary left";
    struct stat null{};
    EXPECT_TRUE(stat("/dev/null", &null) == 0 && S_ISCHR(null.st_mode));

    // Through the chain the file at its end is replaced; a dangling link
    // gets the file it names.
    for (const char *name : {"a.osl3", "dangling.osl3"}) {
        SCOPED_TRACE(name);
        const special::Watchdog watchdog(name);
        SaveResultsFile(Results("new", 2, 3), Path(name));
        EXPECT_TRUE(special::IsLink(Path(name)));
    }
    EXPECT_TRUE(special::IsLink(Path("b.osl3")));
    for (const char *name : {"c.osl3", "gone.osl3"}) {
        SCOPED_TRACE(name);
        ResultsData back;
        LoadResultsFile(back, Path(name));
        EXPECT_EQ(back.DeviceText, "new");
        EXPECT_EQ(back.FileCount, 2);
    }
}

// The window: open says the file does not exist, save says it cannot write,
// and the results and Modified stay.
TEST_F(ResFilePaths, WindowRefusesAtOnceAndKeepsTheResults)
{
    MakeSpecialPaths();
    const QString fixture = Path("held.osl3");
    SaveResultsFile(Results("held", 3, 4), fixture);
    RecordingDialogs dialogs;
    for (const char *name : Refused) {
        SCOPED_TRACE(name);
        const special::Watchdog watchdog(name);
        auto form = std::make_unique<TMainForm>(QStringList{QStringLiteral("Ostrel"), fixture});
        form->Modified = true;
        const QString caption = form->windowTitle();
        dialogs.Clear();
        form->DoLoadFile(Path(name));
        ASSERT_EQ(dialogs.messages.size(), 1u);
        EXPECT_EQ(dialogs.messages[0].text,
                  QString::fromUtf8("Файл ") + Path(name) + QString::fromUtf8(" не существует!"));
        EXPECT_EQ(form->windowTitle(), caption);
        EXPECT_EQ(form->FileCount, 3);

        if (QString::fromUtf8(name) == "dangling.osl3")
            continue; // saving there creates the file it names
        dialogs.Clear();
        dialogs.savePaths = {Path(name)};
        form->SaveItemClick();
        ASSERT_FALSE(dialogs.messages.empty());
        EXPECT_EQ(dialogs.messages.back().text, "Unable to write to " + Path(name) + ".");
        EXPECT_TRUE(form->Modified);
        EXPECT_EQ(form->FileCount, 3);
        EXPECT_EQ(form->ResTree->topLevelItemCount(), 2);
        form->Modified = false;
    }
    EXPECT_TRUE(special::IsFifo(Path("fifo.osl3")));
}

// Under a file-size limit, in a process that keeps SIGXFSZ as it comes, the
// save of a full set of results fails with the message and leaves the old
// file and no temporary.
TEST_F(ResFilePaths, FileSizeLimitFailsTheSave)
{
    const QString p = Path("limited.osl3");
    SaveResultsFile(Results("old", 1, 1), p);
    QFile f(p);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray old = f.readAll();
    f.close();
    const ResultsData full = Results("Q5-M8 v.1.2.15", ResultFileCount, MaxValues);
    const std::string outcome = special::RunUnderFileSizeLimit(64 * 1024, [&] {
        try {
            SaveResultsFile(full, p);
            return 1;
        } catch (const EIniFileException &e) {
            return QString::fromStdString(e.what()) == "Unable to write to " + p ? 0 : 2;
        }
    });
    EXPECT_EQ(outcome, "exit 0");
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), old);
    QStringList left = Listing();
    left.removeAll(QStringLiteral("cfg"));
    EXPECT_EQ(left, QStringList{"limited.osl3"}) << "temporary left";
    // The same save without the limit is far larger than it.
    SaveResultsFile(full, p);
    EXPECT_GT(QFileInfo(p).size(), 64 * 1024);
}
