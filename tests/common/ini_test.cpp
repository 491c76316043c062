#include "common/ini.h"
#include "common/numtext.h"
#include "common/win1251.h"
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
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

TEST_F(Ini, UnwritableFileThrowsAndKeepsOldContent)
{
    if (geteuid() == 0) {
        // root writes anywhere; a path under a regular file can never be created
        QString p = Path("plain");
        Put(p, "x");
        IniFile ini(p + "/sub.ini");
        try {
            ini.WriteString("S", "K", "V");
            FAIL() << "write under a file succeeded";
        } catch (const EIniFileException &e) {
            EXPECT_EQ(std::string(e.what()), "Unable to write to " + (p + "/sub.ini").toStdString());
        }
        return;
    }
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
