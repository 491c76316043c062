// The scale file at paths that are no plain file: FIFOs, sockets, devices,
// folders and links. Nothing may wait on them, and a refusal keeps both the
// document and whatever stands at the path.
#include "tests/support/designer_locale.h"
#include "tests/common/odd_paths.h"
#include "common/ini.h"
#include "common/lang.h"
#include "scale/scalefile.h"
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

class ScaleFilePaths : public DesignerLocaleTest {
protected:
    void SetUp() override
    {
        DesignerLocaleTest::SetUp();
        ASSERT_TRUE(dir.isValid());
    }
    QString Path(const char *name) const { return dir.filePath(QString::fromUtf8(name)); }
    QStringList Listing() const
    {
        return QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                                          QDir::Name);
    }
    QTemporaryDir dir;
};

ScaleDocument Held()
{
    ScaleDocument doc;
    doc.AboutText = QString::fromUtf8("Шкала в работе");
    doc.XNameText = QStringLiteral("mm");
    doc.MaxText = QStringLiteral("250,5");
    doc.PointCount = 2;
    doc.PointX[0] = 1;
    doc.PointY[0] = 2;
    doc.PointX[1] = 3;
    doc.PointY[1] = 4.5;
    doc.Modified = true;
    return doc;
}

ScaleDocument Other()
{
    ScaleDocument doc;
    doc.AboutText = QStringLiteral("the file at the end");
    doc.PointCount = 1;
    doc.PointX[0] = 7;
    doc.PointY[0] = 8;
    return doc;
}

void ExpectHeld(const ScaleDocument &doc)
{
    const ScaleDocument held = Held();
    EXPECT_EQ(doc.AboutText, held.AboutText);
    EXPECT_EQ(doc.XNameText, held.XNameText);
    EXPECT_EQ(doc.MaxText, held.MaxText);
    ASSERT_EQ(doc.PointCount, 2);
    EXPECT_EQ(doc.PointX[1], 3.0);
    EXPECT_EQ(doc.PointY[1], 4.5);
    EXPECT_TRUE(doc.Modified);
}

} // namespace

TEST_F(ScaleFilePaths, OpenRefusesAtOnceWhatIsNoScaleFile)
{
    ASSERT_TRUE(special::MakeFifo(Path("fifo.scl3")));
    ASSERT_TRUE(special::MakeSocket(Path("socket.scl3")));
    ASSERT_TRUE(special::MakeLink("/dev/null", Path("device.scl3")));
    ASSERT_TRUE(QDir(dir.path()).mkdir("folder.scl3"));
    ASSERT_TRUE(special::MakeLink("gone.scl3", Path("dangling.scl3")));
    ASSERT_TRUE(special::MakeLink("loop2.scl3", Path("loop1.scl3")));
    ASSERT_TRUE(special::MakeLink("loop1.scl3", Path("loop2.scl3")));
    SaveScaleFile(Path("c.scl3"), Other());
    ASSERT_TRUE(special::MakeLink(Path("c.scl3"), Path("b.scl3")));
    ASSERT_TRUE(special::MakeLink("b.scl3", Path("a.scl3")));

    struct Case {
        const char *name;
        ScaleFileResult result;
        const char *english; // the message after "File " + path
    };
    const Case cases[] = {
        {"fifo.scl3", ScaleFileResult::NoData, " contains no data"},
        {"socket.scl3", ScaleFileResult::NoData, " contains no data"},
        {"device.scl3", ScaleFileResult::NoData, " contains no data"},
        {"folder.scl3", ScaleFileResult::NotFound, " not found !"},
        {"dangling.scl3", ScaleFileResult::NotFound, " not found !"},
        {"loop1.scl3", ScaleFileResult::NotFound, " not found !"},
        {"a.scl3", ScaleFileResult::Loaded, ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const special::Watchdog watchdog(c.name);
        ScaleDocument doc = Held();
        const ScaleFileStatus s = LoadScaleFile(Path(c.name), doc);
        EXPECT_EQ(s.result, c.result);
        if (c.result == ScaleFileResult::Loaded) {
            EXPECT_EQ(doc.AboutText, "the file at the end"); // read through both links
            EXPECT_EQ(doc.PointX[0], 7.0);
            continue;
        }
        English = true;
        EXPECT_EQ(s.Text(), "File " + Path(c.name) + c.english);
        English = false;
        ExpectHeld(doc);
    }
    EXPECT_TRUE(special::IsFifo(Path("fifo.scl3")));
}

TEST_F(ScaleFilePaths, SaveRefusesAtOnceWhatIsNoFileAndFollowsLinks)
{
    ASSERT_TRUE(special::MakeFifo(Path("fifo.scl3")));
    ASSERT_TRUE(special::MakeSocket(Path("socket.scl3")));
    ASSERT_TRUE(special::MakeLink("/dev/null", Path("device.scl3")));
    ASSERT_TRUE(QDir(dir.path()).mkdir("folder.scl3"));
    ASSERT_TRUE(special::MakeLink("nowhere/x.scl3", Path("nofolder.scl3")));
    ASSERT_TRUE(special::MakeLink("loop2.scl3", Path("loop1.scl3")));
    ASSERT_TRUE(special::MakeLink("loop1.scl3", Path("loop2.scl3")));
    const QStringList before = Listing();
    for (const char *name : {"fifo.scl3", "socket.scl3", "device.scl3", "folder.scl3", "nofolder.scl3", "loop1.scl3"}) {
        SCOPED_TRACE(name);
        const special::Watchdog watchdog(name);
        const QString path = Path(name);
        const ScaleDocument doc = Held();
        try {
            SaveScaleFile(path, doc);
            ADD_FAILURE() << "saved";
        } catch (const EIniFileException &e) {
            EXPECT_EQ(std::string(e.what()), "Unable to write to " + path.toStdString());
        }
        ExpectHeld(doc);
    }
    EXPECT_EQ(Listing(), before) << "a path was replaced or a temporary left";
    EXPECT_TRUE(special::IsFifo(Path("fifo.scl3")));
    struct stat null{};
    EXPECT_TRUE(stat("/dev/null", &null) == 0 && S_ISCHR(null.st_mode));

    // a.scl3 -> b.scl3 -> c.scl3: c gets the scale, both links stay.
    SaveScaleFile(Path("c.scl3"), Other());
    ASSERT_TRUE(special::MakeLink("c.scl3", Path("b.scl3")));
    ASSERT_TRUE(special::MakeLink(Path("b.scl3"), Path("a.scl3")));
    // A dangling link: the file it names is created, as for any new name.
    ASSERT_TRUE(special::MakeLink("made.scl3", Path("dangling.scl3")));
    for (const char *name : {"a.scl3", "dangling.scl3"}) {
        SCOPED_TRACE(name);
        const special::Watchdog watchdog(name);
        SaveScaleFile(Path(name), Held());
        EXPECT_TRUE(special::IsLink(Path(name)));
    }
    EXPECT_TRUE(special::IsLink(Path("b.scl3")));
    for (const char *name : {"c.scl3", "made.scl3"}) {
        SCOPED_TRACE(name);
        ScaleDocument back;
        ASSERT_TRUE(LoadScaleFile(Path(name), back).Loaded());
        EXPECT_EQ(back.AboutText, Held().AboutText);
        EXPECT_EQ(back.PointCount, 2);
    }
}

// Under a file-size limit the save fails with the message and leaves the old
// file and no temporary, in a process that keeps SIGXFSZ as it comes.
TEST_F(ScaleFilePaths, FileSizeLimitFailsTheSave)
{
    const QString p = Path("limited.scl3");
    SaveScaleFile(p, Other());
    QFile f(p);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray old = f.readAll();
    f.close();
    ScaleDocument big = Held();
    big.PointCount = MaxPoints;
    for (int i = 0; i < MaxPoints; ++i) {
        big.PointX[i] = i + 0.123456789012345;
        big.PointY[i] = -i - 0.987654321098765;
    }
    const std::string outcome = special::RunUnderFileSizeLimit(1024, [&] {
        try {
            SaveScaleFile(p, big);
            return 1;
        } catch (const EIniFileException &e) {
            return std::string(e.what()) == "Unable to write to " + p.toStdString() ? 0 : 2;
        }
    });
    EXPECT_EQ(outcome, "exit 0");
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), old);
    EXPECT_EQ(Listing(), QStringList{"limited.scl3"}) << "temporary left";
}
