// Stored settings as the programs read them: an integer that cannot be read
// takes its default, as a missing one does.
#include "common/settingsread.h"
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// A settings file written by hand, then read as the programs read theirs.
class SettingsRead : public ::testing::Test {
protected:
    QSettings &Written(const char *lines)
    {
        // A file of its own each time: QSettings keeps what it read of a path.
        const QString path = dir.filePath(QStringLiteral("Ostrel%1.ini").arg(++files));
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("[Window]\n");
        f.write(lines);
        f.close();
        settings = std::make_unique<QSettings>(path, QSettings::IniFormat);
        return *settings;
    }
    QTemporaryDir dir;
    int files = 0;
    std::unique_ptr<QSettings> settings;
};

struct IntegerCase {
    const char *stored;
    int read; // with the default 838
};

TEST_F(SettingsRead, IntegersAreNumbersOrTheDefault)
{
    const IntegerCase cases[] = {
        {"874", 874}, {"-12", -12}, {"+5", 5}, {" 40 ", 40}, {"2147483647", 2147483647},
        {"-2147483648", -2147483648}, {"@Variant(\\0\\0\\0\\x2\\0\\0\\x3\\0)", 768},
        // Not an integer: the default.
        {"abc", 838}, {"12abc", 838}, {"1e3", 838}, {"1.5", 838}, {"0x10", 838}, {"", 838},
        {"2147483648", 838}, {"-2147483649", 838}, {"1,2", 838}, {"@Variant(\\0\\0\\0\\x6@\\0\\0\\0\\0\\0\\0\\0)", 838},
    };
    for (const IntegerCase &c : cases) {
        QSettings &s = Written((QByteArray("Width=") + c.stored + "\n").constData());
        EXPECT_EQ(ReadInteger(s, QStringLiteral("Window/Width"), 838), c.read) << c.stored;
    }
    QSettings &s = Written("Top=1\n");
    EXPECT_EQ(ReadInteger(s, QStringLiteral("Window/Width"), 838), 838) << "missing";
    s.setValue(QStringLiteral("Window/Width"), 900);
    EXPECT_EQ(ReadInteger(s, QStringLiteral("Window/Width"), 838), 900) << "as the programs write it";
    s.setValue(QStringLiteral("Window/Width"), 4294967295u);
    EXPECT_EQ(ReadInteger(s, QStringLiteral("Window/Width"), 838), 838) << "beyond int";
}

TEST_F(SettingsRead, TextsAsStoredOrTheDefault)
{
    QSettings &s = Written("Min=1,5\nMax=\"2,5\"\nStep=\nUnits= mV \n");
    EXPECT_EQ(ReadString(s, QStringLiteral("Window/Min"), QStringLiteral("1")), "1,5") << "split by the INI syntax";
    EXPECT_EQ(ReadString(s, QStringLiteral("Window/Max"), QStringLiteral("100")), "2,5");
    EXPECT_EQ(ReadString(s, QStringLiteral("Window/Step"), QStringLiteral("1")), "") << "stored empty";
    EXPECT_EQ(ReadString(s, QStringLiteral("Window/Units"), QString()), "mV");
    EXPECT_EQ(ReadString(s, QStringLiteral("Window/MaxError"), QStringLiteral("1")), "1") << "missing";
}

} // namespace
