#include "common/ini.h"
#include "common/numtext.h"
#include "common/win1251.h"
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <QDir>
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

class Ini : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString Path(const char *name) const { return dir.filePath(name); }
    void Put(const QString &path, const QByteArray &bytes)
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    QByteArray Get(const QString &path)
    {
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::ReadOnly));
        return f.readAll();
    }
};

} // namespace

TEST_F(Ini, WritesKeyByKeyInSectionOrder)
{
    QString p = Path("a.scl3");
    {
        IniFile ini(p);
        ini.WriteString("File", "Handle", "SIG");
        ini.WriteString("Scale", "About", QString::fromUtf8("~Шкала"));
        ini.WriteInteger("Scale", "ApproType", 1);
        ini.WriteInteger("Points", "Count", 2);
    }
    EXPECT_EQ(Get(p), cp1251::Encode(QString::fromUtf8(
                          "[File]\r\nHandle=SIG\r\n\r\n[Scale]\r\nAbout=~Шкала\r\nApproType=1\r\n\r\n[Points]\r\nCount=2\r\n")));
    IniFile back(p);
    EXPECT_EQ(back.ReadString("scale", "ABOUT", ""), QString::fromUtf8("~Шкала"));
    EXPECT_EQ(back.ReadInteger("Points", "Count", 0), 2);
    EXPECT_TRUE(back.SectionExists("FILE"));
    EXPECT_EQ(back.ReadSection("Scale"), QStringList({"About", "ApproType"}));
}

TEST_F(Ini, ReplacesInPlaceAndKeepsForeignLines)
{
    QString p = Path("b.ini");
    Put(p, "; made by hand\r\n[Points]\r\nCount=10\r\nX9=5\r\n\r\n[Other]\r\nkey = spaced value \r\nq=\"quoted\"\r\n");
    IniFile ini(p);
    EXPECT_EQ(ini.ReadString("Other", "key", "d"), "spaced value");
    EXPECT_EQ(ini.ReadString("Other", "q", "d"), "quoted");
    EXPECT_EQ(ini.ReadString("Other", "missing", "d"), "d");
    EXPECT_EQ(ini.ReadString("Nowhere", "key", "d"), "d");
    ini.WriteInteger("points", "count", 3);
    ini.WriteString("Points", "X0", "1,5");
    EXPECT_EQ(Get(p), QByteArray("; made by hand\r\n[Points]\r\nCount=3\r\nX9=5\r\nX0=1,5\r\n\r\n[Other]\r\nkey = spaced value \r\nq=\"quoted\"\r\n"));
}

TEST_F(Ini, NumbersUseTheProcessSeparator)
{
    numtext::SetDecimalSeparator(',');
    QString p = Path("c.ini");
    IniFile ini(p);
    ini.WriteFloat("P", "X0", 12.5);
    ini.WriteString("P", "Bad", "12.5");
    ini.WriteString("P", "Int", "x7");
    EXPECT_EQ(ini.ReadString("P", "X0", ""), "12,5");
    EXPECT_DOUBLE_EQ(ini.ReadFloat("P", "X0", 0), 12.5);
    EXPECT_DOUBLE_EQ(ini.ReadFloat("P", "Bad", -1), -1);
    EXPECT_EQ(ini.ReadInteger("P", "Int", 42), 42);
    EXPECT_EQ(ini.ReadInteger("P", "Missing", -3), -3);
    numtext::SetDecimalSeparator('.');
}

// A full disk, as root too: the file-size limit binds every user. The write
// fails part way and the old file must stay as it was, with no stray copy.
TEST_F(Ini, FailedWriteThrowsAndKeepsOldContent)
{
    const QString p = Path("full.ini");
    const QByteArray old = "[S]\r\nK=old\r\n";
    Put(p, old);
    IniFile ini(p);
    ASSERT_EQ(ini.ReadString("S", "K", ""), "old");

    struct rlimit saved;
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    void (*previous)(int) = signal(SIGXFSZ, SIG_IGN); // EFBIG instead of the signal
    struct rlimit small = saved;
    small.rlim_cur = rlim_t(old.size());
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    std::string error;
    try {
        ini.WriteString("S", "K", "a value longer than the limit allows");
    } catch (const EIniFileException &e) {
        error = e.what();
    }
    setrlimit(RLIMIT_FSIZE, &saved);
    signal(SIGXFSZ, previous);

    EXPECT_EQ(error, "Unable to write to " + p.toStdString());
    EXPECT_EQ(Get(p), old);
    EXPECT_EQ(IniFile(p).ReadString("S", "K", ""), "old");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"full.ini"});
    // The object keeps the file as it is on disk, and writes again once it can.
    EXPECT_EQ(ini.ReadString("S", "K", ""), "old");
    ini.WriteString("S", "K", "new");
    EXPECT_EQ(IniFile(p).ReadString("S", "K", ""), "new");
}

TEST_F(Ini, UnwritableFileThrowsAndKeepsOldContent)
{
    // A path under a regular file can never be created, not even by root.
    QString plain = Path("plain");
    Put(plain, "x");
    IniFile under(plain + "/sub.ini");
    try {
        under.WriteString("S", "K", "V");
        FAIL() << "write under a file succeeded";
    } catch (const EIniFileException &e) {
        EXPECT_EQ(std::string(e.what()), "Unable to write to " + (plain + "/sub.ini").toStdString());
    }
    EXPECT_EQ(Get(plain), QByteArray("x"));
    if (geteuid() == 0)
        return; // root writes into a read-only folder; the full-disk case above covers it

    QString p = Path("ro.ini");
    Put(p, "[S]\r\nK=old\r\n");
    chmod(dir.path().toLocal8Bit(), 0500);
    IniFile ini(p);
    EXPECT_THROW(ini.WriteString("S", "K", "new"), EIniFileException);
    chmod(dir.path().toLocal8Bit(), 0700);
    EXPECT_EQ(IniFile(p).ReadString("S", "K", ""), "old");
}

TEST_F(Ini, EraseAndDelete)
{
    QString p = Path("d.ini");
    Put(p, "[A]\nk=1\nj=2\n[B]\nx=3\n");
    IniFile ini(p);
    ini.DeleteKey("A", "K");
    ini.EraseSection("b");
    EXPECT_EQ(Get(p), QByteArray("[A]\r\nj=2\r\n"));
    EXPECT_FALSE(ini.ValueExists("A", "k"));
    EXPECT_TRUE(ini.ValueExists("A", "j"));
}
