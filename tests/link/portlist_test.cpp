#include "link/portlist.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace {

void MakeTty(const QString &root, const QString &name, bool device, const char *type = nullptr)
{
    QDir(root).mkpath(name);
    if (device)
        QDir(root).mkpath(name + QStringLiteral("/device"));
    if (type) {
        QFile f(root + u'/' + name + QStringLiteral("/type"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(type);
    }
}

} // namespace

TEST(SerialPortNames, ListsTerminalsWithADeviceInNaturalOrder)
{
    QTemporaryDir sys;
    const QString root = sys.path();
    MakeTty(root, QStringLiteral("ttyS10"), true, "4\n");
    MakeTty(root, QStringLiteral("ttyS2"), true, "4\n");
    MakeTty(root, QStringLiteral("ttyS3"), true, "0\n"); // no UART behind it
    MakeTty(root, QStringLiteral("ttyUSB0"), true);
    MakeTty(root, QStringLiteral("ttyACM1"), true);
    MakeTty(root, QStringLiteral("tty1"), false);
    MakeTty(root, QStringLiteral("ptmx"), false);
    EXPECT_EQ(SerialPortNames(root), (QStringList{QStringLiteral("/dev/ttyACM1"), QStringLiteral("/dev/ttyS2"),
                                                  QStringLiteral("/dev/ttyS10"), QStringLiteral("/dev/ttyUSB0")}));
}

TEST(SerialPortNames, AMissingDirectoryGivesAnEmptyList)
{
    EXPECT_TRUE(SerialPortNames(QStringLiteral("/nonexistent/q5m8/tty")).isEmpty());
}

TEST(NaturalLess, ComparesDigitRunsByValue)
{
    struct Case {
        const char *a, *b;
        bool less;
    } cases[] = {
        {"ttyS2", "ttyS10", true}, {"ttyS10", "ttyS2", false}, {"ttyS1", "ttyUSB0", true},
        {"ttyS02", "ttyS10", true}, {"tty", "tty0", true},      {"ttyS1", "ttyS1", false},
        {"ttyUSB9", "ttyUSB10", true},
    };
    for (const Case &c : cases)
        EXPECT_EQ(NaturalLess(QString::fromLatin1(c.a), QString::fromLatin1(c.b)), c.less) << c.a << " " << c.b;
}
